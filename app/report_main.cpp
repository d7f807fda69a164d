// norv_report: the printed reports and spreadsheet exports of the program written to files
// from the command line, with no window and no display.
#include "report_cli.h"
#include "startup.h"

#include "files/atomic_file.h"

#include <QApplication>
#include <QFile>
#include <QTextStream>

#include <cstdio>

#include <termios.h>
#include <unistd.h>

namespace {

// A line of standard input; at a terminal after a prompt, with what is typed not shown.
QString readPassword(QTextStream& err) {
    termios before{};
    const bool terminal = isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &before) == 0;
    if (terminal) {
        err << "Пароль: " << Qt::flush;
        termios quiet = before;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        quiet.c_lflag |= ECHONL;
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    QTextStream in(stdin);
    QString password = in.readLine();
    if (terminal)
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &before);
    return password;
}

} // namespace

int main(int argc, char** argv) {
    // the report engine measures and draws with fonts, the summary's charts with widgets;
    // neither needs a screen here
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // the toolkit's own notes (no runtime folder, no session) are not the user's business
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "norv_report: %s\n", qPrintable(text));
    });
    QApplication app(argc, argv);
    setupRussianLocale(app);
    // a PDF names the program that made it
    QCoreApplication::setApplicationName(QStringLiteral("norv_report"));
    files::removeTemporariesOnSignals();
    QTextStream out(stdout);
    QTextStream err(stderr);
    QString error;
    const std::optional<cli::Request> request = cli::parseArguments(app.arguments().mid(1), &error);
    if (!request) {
        err << "norv_report: " << error << Qt::endl;
        return cli::kBadRequest;
    }
    if (request->help) {
        out << cli::usage();
        return cli::kDone;
    }
    if (request->version) {
        out << "norv_report " << NORV_VERSION << Qt::endl;
        return cli::kDone;
    }
    QString password;
    if (!request->passwordFile.isEmpty()) {
        QFile file(request->passwordFile);
        if (!file.open(QIODevice::ReadOnly)) {
            err << "norv_report: файл пароля «" << request->passwordFile
                << "» не прочитан: " << file.errorString() << Qt::endl;
            return cli::kBadRequest;
        }
        password = QString::fromUtf8(file.readLine()).remove(u'\n').remove(u'\r');
    } else {
        password = readPassword(err);
    }
    return cli::run(*request, password, err, isatty(STDERR_FILENO) != 0);
}
