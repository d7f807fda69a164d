#include "atomic_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace files {

namespace {

// --- the temporary files a signal removes

// Fixed storage, as a signal handler may neither allocate nor lock.
struct SignalSlot {
    std::atomic<bool> used{false};
    std::array<char, 4096> path{};
};
std::array<SignalSlot, 16> signalSlots;

// Blocks SIGINT and SIGTERM while a temporary file is made and registered, or renamed and
// forgotten, so a signal never finds one of them half done.
class SignalsHeld {
public:
    SignalsHeld() {
        sigset_t held;
        sigemptyset(&held);
        sigaddset(&held, SIGINT);
        sigaddset(&held, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &held, &before_);
    }
    ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t before_{};
};

int rememberForSignals(const QByteArray& path) {
    if (path.size() >= qsizetype(signalSlots[0].path.size()))
        return -1;
    for (size_t i = 0; i < signalSlots.size(); ++i) {
        SignalSlot& slot = signalSlots[i];
        if (slot.used.load())
            continue;
        std::memcpy(slot.path.data(), path.constData(), size_t(path.size()) + 1);
        slot.used.store(true);
        return int(i);
    }
    return -1;
}

void forgetForSignals(int slot) {
    if (slot >= 0)
        signalSlots[size_t(slot)].used.store(false);
}

extern "C" void removeTemporariesAndEnd(int signal) {
    for (SignalSlot& slot : signalSlots)
        if (slot.used.load())
            ::unlink(slot.path.data());
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// --- where and how the file is written

// The umask without changing it (a change would race with other threads creating files).
mode_t currentUmask() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly))
        for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine())
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const uint mask = line.mid(6).trimmed().toUInt(&ok, 8);
                if (ok)
                    return mode_t(mask);
            }
    return 022;
}

bool isProcessLink(const QString& path) {
    return path.startsWith(QLatin1String("/proc/")) || path.startsWith(QLatin1String("/dev/fd/"));
}

// The end of a chain of symbolic links; empty when a link leads into /proc or /dev/fd (the
// name stands for an open file of a process, written through as given).
QString linkTarget(const QString& path) {
    QString current = QFileInfo(path).absoluteFilePath();
    for (int hop = 0; hop < 40; ++hop) {
        const QFileInfo info(current);
        if (!info.isSymLink())
            return current;
        current = info.symLinkTarget();
        if (current.isEmpty() || isProcessLink(current))
            return {};
    }
    return current; // a loop: opening it will say so
}

// A temporary name beside the target that tells what it was for, short enough for any folder.
QByteArray temporaryTemplate(const QString& folder, const QString& name) {
    QByteArray base = QFile::encodeName(name);
    if (base.size() > 180)
        base = QFile::encodeName(name.left(60));
    return QFile::encodeName(folder) + "/." + base + ".XXXXXX";
}

bool writeAll(int fd, const char* data, qint64 size, int* error) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            *error = errno;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

} // namespace

// Buffers the writer's many small writes and remembers the first system error; the writer
// (QPdfWriter) does not look at what its writes return.
class AtomicFile::CheckedDevice : public QIODevice {
public:
    explicit CheckedDevice(int fd) : fd_(fd) { QIODevice::open(QIODevice::WriteOnly); }
    bool isSequential() const override { return true; }
    int error() const { return error_; }

    bool flushBuffer() {
        if (error_ == 0 && !buffer_.isEmpty() &&
            !writeAll(fd_, buffer_.constData(), buffer_.size(), &error_))
            setErrorString(QString::fromLocal8Bit(std::strerror(error_)));
        buffer_.clear();
        return error_ == 0;
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        if (error_ != 0)
            return -1;
        buffer_.append(data, size);
        if (buffer_.size() >= kBufferSize && !flushBuffer())
            return -1;
        return size;
    }

private:
    static constexpr qsizetype kBufferSize = 1 << 16;
    int fd_;
    int error_ = 0;
    QByteArray buffer_;
};

AtomicFile::AtomicFile(const QString& path) : path_(path) {}

AtomicFile::~AtomicFile() {
    discard();
}

bool AtomicFile::open() {
    target_ = linkTarget(path_);
    through_ = target_.isEmpty();
    struct stat st {};
    if (!through_ && ::stat(QFile::encodeName(target_).constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            failWith(EISDIR);
            return false;
        }
        through_ = !S_ISREG(st.st_mode);
        replacing_ = S_ISREG(st.st_mode);
        mode_ = st.st_mode & 07777;
        owner_ = st.st_uid;
        group_ = st.st_gid;
    } else if (!through_) {
        mode_ = 0666 & ~currentUmask();
    }
    // what goes straight through is first made whole in the temporary folder
    const QFileInfo target(through_ ? path_ : target_);
    QByteArray name =
        temporaryTemplate(through_ ? QDir::tempPath() : target.absolutePath(), target.fileName());
    SignalsHeld held;
    fd_ = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd_ < 0) {
        failWith(errno);
        return false;
    }
    temporary_ = QFile::decodeName(name);
    signalSlot_ = rememberForSignals(name);
    return true;
}

QIODevice& AtomicFile::device() {
    if (!device_)
        device_ = std::make_unique<CheckedDevice>(fd_);
    return *device_;
}

void AtomicFile::fail(int error) {
    failWith(error);
}

void AtomicFile::fail(const WriteFailure& failure) {
    if (!failure_.failed())
        failure_ = failure;
}

void AtomicFile::failWith(int error) {
    if (!failure_.failed())
        failure_ = writeFailure(error, through_ || target_.isEmpty() ? path_ : target_);
}

bool AtomicFile::commit() {
    if (fd_ < 0 && !failure_.failed())
        failWith(EBADF);
    if (failure_.failed()) {
        discard();
        return false;
    }
    if (device_ && !device_->flushBuffer())
        failWith(device_->error());
    else if (::fsync(fd_) != 0)
        failWith(errno);
    const bool written = !failure_.failed() && (through_ ? writeThrough(fd_) : putInPlace(fd_));
    if (!written) {
        discard();
        return false;
    }
    return true;
}

bool AtomicFile::putInPlace(int fd) {
    if (::fchmod(fd, mode_t(mode_)) != 0) {
        failWith(errno);
        return false;
    }
    // root replacing another's file leaves it theirs
    if (replacing_ && ::geteuid() == 0)
        (void)!::fchown(fd, uid_t(owner_), gid_t(group_));
    device_.reset();
    const int closed = ::close(fd);
    fd_ = -1;
    if (closed != 0) {
        failWith(errno);
        return false;
    }
    {
        SignalsHeld held;
        if (::rename(QFile::encodeName(temporary_).constData(),
                     QFile::encodeName(target_).constData()) != 0) {
            failWith(errno);
            return false;
        }
        forgetForSignals(signalSlot_);
        signalSlot_ = -1;
        temporary_.clear();
    }
    // the rename itself is on the disk once its folder is
    const int folder = ::open(QFile::encodeName(QFileInfo(target_).absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

bool AtomicFile::writeThrough(int fd) {
    const int out = ::open(QFile::encodeName(path_).constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (out < 0) {
        failWith(errno);
        return false;
    }
    std::array<char, 1 << 16> chunk{};
    off_t at = 0;
    int error = 0;
    for (;;) {
        const ssize_t n = ::pread(fd, chunk.data(), chunk.size(), at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = errno;
            break;
        }
        if (n == 0 || !writeAll(out, chunk.data(), n, &error))
            break;
        at += n;
    }
    if (::close(out) != 0 && error == 0)
        error = errno;
    if (error != 0) {
        failWith(error);
        return false;
    }
    discard(); // the content is out; the temporary copy goes
    return true;
}

void AtomicFile::discard() {
    device_.reset();
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporary_.isEmpty()) {
        SignalsHeld held;
        ::unlink(QFile::encodeName(temporary_).constData());
        forgetForSignals(signalSlot_);
        signalSlot_ = -1;
        temporary_.clear();
    }
}

void removeTemporariesOnSignals() {
    struct sigaction action {};
    action.sa_handler = removeTemporariesAndEnd;
    sigemptyset(&action.sa_mask);
    sigaddset(&action.sa_mask, SIGINT);
    sigaddset(&action.sa_mask, SIGTERM);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

} // namespace files
