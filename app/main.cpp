#include "startup.h"

#include "data/data_error.h"
#include "seams/messages.h"

#include <QApplication>

#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>

int main(int argc, char** argv) {
    // asked before any window exists, so it also answers where there is no display
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("norv_smena %s\n", NORV_VERSION);
        return 0;
    }
    QApplication app(argc, argv);
    setupRussianLocale(app);
    std::unique_ptr<Program> program;
    try {
        program = std::make_unique<Program>(AppArguments::fromCommandLine(app.arguments()));
    } catch (const data::DataError& e) {
        // an error while the windows are created ends the program
        seams::Messages::current().standardError(e.message());
        return 1;
    } catch (const std::exception& e) {
        seams::Messages::current().standardError(QString::fromLocal8Bit(e.what()));
        return 1;
    }
    return app.exec();
}
