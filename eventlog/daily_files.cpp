#include "daily_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

namespace eventlog {

namespace {

const QString kFilePrefix = QStringLiteral("norv_smena-");
const QString kFileSuffix = QStringLiteral(".log");

// The whole line in one write(): appended lines of two programs never interleave.
bool appendLine(const QString& path, const QByteArray& line, QString& failure) {
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        failure = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    qsizetype done = 0;
    while (done < line.size()) {
        const ssize_t n = ::write(fd, line.constData() + done, size_t(line.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            failure = QString::fromLocal8Bit(std::strerror(errno));
            ::close(fd);
            return false;
        }
        done += n;
    }
    return ::close(fd) == 0;
}

} // namespace

QString defaultFolder() {
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/norv_smena");
}

DailyFiles::DailyFiles(QString folder) : folder_(std::move(folder)) {}

QString DailyFiles::fileOf(const QDate& day) const {
    return folder_ + u'/' + kFilePrefix + day.toString(Qt::ISODate) + kFileSuffix;
}

void DailyFiles::write(const Entry& entry) {
    if (!QFileInfo::exists(folder_)) {
        if (!QDir().mkpath(folder_)) {
            complain(folder_ + QStringLiteral(": папка не создаётся"));
            return;
        }
        // logins and what they did are for the user and the administrator only
        QFile::setPermissions(folder_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    const QDate day = entry.time.date();
    if (cleaned_ != day) {
        removeOldFiles(day);
        cleaned_ = day;
    }
    QString failure;
    if (!appendLine(fileOf(day), (lineText(entry) + u'\n').toUtf8(), failure))
        complain(fileOf(day) + QStringLiteral(": ") + failure);
}

void DailyFiles::removeOldFiles(const QDate& today) {
    static const QRegularExpression name(
        QStringLiteral(R"(^norv_smena-(\d{4}-\d{2}-\d{2})\.log$)"));
    const QDate oldestKept = today.addDays(-kKeptDays);
    const QStringList files =
        QDir(folder_).entryList({kFilePrefix + u'*' + kFileSuffix}, QDir::Files);
    for (const QString& file : files) {
        const QRegularExpressionMatch match = name.match(file);
        if (!match.hasMatch())
            continue;
        const QDate day = QDate::fromString(match.captured(1), Qt::ISODate);
        if (day.isValid() && day < oldestKept)
            QFile::remove(folder_ + u'/' + file);
    }
}

void DailyFiles::complain(const QString& what) {
    if (complained_)
        return;
    complained_ = true;
    std::fprintf(stderr, "norv_smena: протокол не записывается: %s\n",
                 what.toLocal8Bit().constData());
}

void writeToFiles(const QString& folder) {
    useProgramSink(std::make_unique<DailyFiles>(folder));
}

} // namespace eventlog
