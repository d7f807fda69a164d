#include "app_arguments.h"
#include "startup.h"

#include "data/data_error.h"
#include "eventlog/daily_files.h"
#include "eventlog/event_log.h"
#include "files/atomic_file.h"
#include "seams/messages.h"

#include <QApplication>

#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>

namespace {

// An error while the windows are created ends the program: said, and written to the log.
int startFailed(const QString& detail, const QString& sqlState = {}) {
    eventlog::write({.kind = eventlog::Kind::Error,
                     .window = QStringLiteral("запуск программы"),
                     .message = detail,
                     .sqlState = sqlState});
    seams::Messages::current().errorWithDetail(
        QStringLiteral("Программа не смогла запуститься. Сообщите администратору время ошибки: "
                       "подробности записаны в протокол программы."),
        detail, seams::kErrorCaption);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    // asked before any window exists, so they also answer where there is no display
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("norv_smena %s\n", NORV_VERSION);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(applicationUsage().toUtf8().constData(), stdout);
            return 0;
        }
    }
    QApplication app(argc, argv);
    setupRussianLocale(app);
    tieToDesktopEntry();
    // a session ending while a report is written leaves no half file
    files::removeTemporariesOnSignals();
    eventlog::writeToFiles();
    std::unique_ptr<Program> program;
    try {
        program = std::make_unique<Program>(AppArguments::fromCommandLine(app.arguments()));
    } catch (const data::DataError& e) {
        return startFailed(e.message(), e.sqlState());
    } catch (const std::exception& e) {
        return startFailed(QString::fromLocal8Bit(e.what()));
    }
    return app.exec();
}
