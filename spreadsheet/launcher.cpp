#include "launcher.h"

#include "seams/messages.h"

#include <QDir>
#include <QProcess>

#include <utility>

namespace spreadsheet {

namespace {

Launcher* installed = nullptr;

DesktopLauncher& desktopLauncher() {
    static DesktopLauncher launcher;
    return launcher;
}

// xdg-mime only reads a few files; a longer wait means something is wrong with it.
constexpr int kMimeQueryTimeoutMs = 5000;

} // namespace

Launcher& Launcher::current() {
    return installed ? *installed : desktopLauncher();
}

void Launcher::install(Launcher* launcher) {
    installed = launcher;
}

QString savedWithoutApplicationMessage(const QString& path) {
    return QStringLiteral("Книга сохранена: %1\nНет программы для её открытия.")
        .arg(QDir::toNativeSeparators(path));
}

DesktopLauncher::DesktopLauncher(QString mimeQueryProgram, QString openerProgram)
    : mimeQueryProgram_(std::move(mimeQueryProgram)), openerProgram_(std::move(openerProgram)) {}

QString DesktopLauncher::defaultApplication() const {
    QProcess query;
    query.start(mimeQueryProgram_,
                {QStringLiteral("query"), QStringLiteral("default"), kXlsxMimeType});
    if (!query.waitForStarted())
        return {};
    if (!query.waitForFinished(kMimeQueryTimeoutMs)) {
        query.kill();
        query.waitForFinished();
        return {};
    }
    if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
        return {};
    return QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
}

void DesktopLauncher::open(const QString& path) {
    if (defaultApplication().isEmpty() || !QProcess::startDetached(openerProgram_, {path}))
        seams::Messages::current().information(savedWithoutApplicationMessage(path),
                                               kSavedWorkbookCaption);
}

} // namespace spreadsheet
