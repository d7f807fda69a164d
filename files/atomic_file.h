#pragma once

#include "write_failure.h"

#include <QString>

#include <memory>

class QIODevice;

namespace files {

// A file that appears under its name only when it is written whole: the bytes go to a
// temporary file beside it, and commit() checks every write, syncs it and renames it into
// place. On any failure the file that had the name stays as it was and the temporary file is
// removed. A new file gets the mode the umask gives, a replaced one keeps its mode; a name that
// is a symbolic link writes to the link's target, and a name that is no regular file (a
// device, /dev/stdout, a FIFO) is written straight through once the content is complete.
class AtomicFile {
public:
    explicit AtomicFile(const QString& path);
    ~AtomicFile(); // removes what was not committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file; false with failure() set.
    bool open();
    // For a writer that takes a device (QPdfWriter): every write is checked.
    QIODevice& device();
    // For a library that writes by name (libxlsxwriter): the temporary file, already there.
    const QString& temporaryPath() const { return temporary_; }
    // The producer failed on its own: with the system error it met, or a failure it describes.
    void fail(int error);
    void fail(const WriteFailure& failure);

    // Puts the file in place; false with failure() set, nothing left behind.
    bool commit();
    void discard();

    const QString& path() const { return path_; }
    const WriteFailure& failure() const { return failure_; }

private:
    class CheckedDevice;

    void failWith(int error);
    bool putInPlace(int fd);
    bool writeThrough(int fd);

    QString path_;         // as given
    QString target_;       // where the bytes land: the end of a chain of links
    bool through_ = false; // no regular file: written straight through at commit
    bool replacing_ = false;
    unsigned mode_ = 0;
    unsigned owner_ = 0;
    unsigned group_ = 0;
    QString temporary_;
    int fd_ = -1;
    int signalSlot_ = -1;
    std::unique_ptr<CheckedDevice> device_;
    WriteFailure failure_;
};

// SIGINT and SIGTERM remove the temporary files of every AtomicFile not yet committed, then
// end the program as the signal would have (the shell then says 130 or 143).
void removeTemporariesOnSignals();

} // namespace files
