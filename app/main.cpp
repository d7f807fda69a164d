#include "startup.h"

#include "data/data_error.h"
#include "seams/messages.h"

#include <QApplication>

#include <exception>
#include <memory>

int main(int argc, char** argv) {
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
