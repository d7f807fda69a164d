#pragma once
// A folder where writing runs out of room after a few kilobytes, for the tests of what a
// failed write leaves. As root it is a small tmpfs (the disk is full: ENOSPC); elsewhere the
// folder is plain and the process's file size limit stops a write instead (EFBIG). Either
// way a write fails half-way, which is what the tests look at.

#include <QDir>
#include <QProcess>
#include <QString>

#include <csignal>

#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

class FullDisk {
public:
    // room: about what fits (a tmpfs counts whole pages of 4 kB, so less than a page is none),
    // besides a page for a small file the test leaves there first
    explicit FullDisk(const QString& folder, int room = 16 * 1024)
        : folder_(folder), room_(rlim_t(room)) {
        QDir().mkpath(folder_);
        const int pages = room / 4096 + 1;
        const QByteArray size = "size=" + QByteArray::number(pages * 4096) + ",mode=0777";
        mounted_ = ::geteuid() == 0 && ::mount("tmpfs", QFile::encodeName(folder_).constData(),
                                               "tmpfs", 0, size.constData()) == 0;
    }
    ~FullDisk() {
        if (mounted_)
            ::umount2(QFile::encodeName(folder_).constData(), MNT_DETACH);
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    const QString& folder() const { return folder_; }
    QString filePath(const QString& name) const { return QDir(folder_).filePath(name); }
    bool isTmpfs() const { return mounted_; }

    // Fills the disk, or lowers this process's file size limit until the object goes.
    class Limit {
    public:
        Limit(bool mounted, rlim_t room) : active_(!mounted) {
            if (!active_)
                return;
            ::getrlimit(RLIMIT_FSIZE, &before_);
            rlimit low = before_;
            low.rlim_cur = room;
            ::setrlimit(RLIMIT_FSIZE, &low);
            previous_ = std::signal(SIGXFSZ, SIG_IGN); // a write past it fails instead
        }
        ~Limit() {
            if (!active_)
                return;
            ::setrlimit(RLIMIT_FSIZE, &before_);
            std::signal(SIGXFSZ, previous_);
        }
        Limit(const Limit&) = delete;
        Limit& operator=(const Limit&) = delete;

    private:
        bool active_;
        rlimit before_{};
        void (*previous_)(int) = SIG_DFL;
    };
    // While this lives, writing more than a few kilobytes in the folder fails.
    Limit whileFull() const { return Limit(mounted_, room_); }

    // The same for a program the test starts: its own limit, set in the child.
    void applyTo(QProcess& process) const {
        if (mounted_)
            return;
        process.setChildProcessModifier([room = room_] {
            rlimit low{};
            ::getrlimit(RLIMIT_FSIZE, &low);
            low.rlim_cur = room;
            ::setrlimit(RLIMIT_FSIZE, &low);
            std::signal(SIGXFSZ, SIG_IGN);
        });
    }

private:
    QString folder_;
    rlim_t room_;
    bool mounted_ = false;
};
