#include "export_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace files {

// Creating a file is the only honest test: permissions, read-only mounts and root all answer
// differently to a look at the mode bits.
int creationError(const QString& folder) {
    QByteArray name = QFile::encodeName(folder) + "/.norv-probe-XXXXXX";
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return errno;
    ::close(fd);
    ::unlink(name.constData());
    return 0;
}

QString exportFolder() {
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QDir().mkpath(documents) && creationError(documents) == 0)
        return documents;
    QString home = QDir::homePath();
    const int error = creationError(home);
    if (error == 0)
        return home;
    throw WriteError(writeFailure(
        error, QDir(documents.isEmpty() ? home : documents).filePath(QStringLiteral("файл"))));
}

QString reserveFreeName(const QString& folder, const QString& fileName) {
    const QFileInfo info(fileName);
    const QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    const QString stem = fileName.left(fileName.size() - suffix.size());
    for (int n = 1; n <= 10000; ++n) {
        QString candidate = QDir(folder).filePath(
            n == 1 ? fileName : QStringLiteral("%1 (%2)%3").arg(stem).arg(n).arg(suffix));
        const int fd = ::open(QFile::encodeName(candidate).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            return candidate;
        }
        if (errno != EEXIST)
            throw WriteError(writeFailure(errno, candidate));
    }
    throw WriteError(writeFailure(EEXIST, QDir(folder).filePath(fileName)));
}

} // namespace files
