#pragma once

#include <QString>

#include <stdexcept>

namespace files {

// Why a file was not written: one Russian sentence saying what failed and what to do, and the
// system's or the library's own text as its detail.
struct WriteFailure {
    QString sentence;
    QString detail;
    int error = 0; // the errno behind it; 0 when it was no system error

    bool failed() const { return !sentence.isEmpty(); }
};

// The sentence for a system error while writing path: no space, read-only, no permission, no
// such folder, a folder in the file's place, and a plain "not written" for the rest.
WriteFailure writeFailure(int error, const QString& path);

// "Not written" for a failure that is no system error; detail is the producer's own words.
WriteFailure notWritten(const QString& path, const QString& detail);

// A failure that ends the action; windows show the sentence with the detail behind it.
class WriteError : public std::runtime_error {
public:
    explicit WriteError(WriteFailure failure)
        : std::runtime_error(failure.sentence.toStdString()), failure_(std::move(failure)) {}
    const WriteFailure& failure() const { return failure_; }
    const QString& sentence() const { return failure_.sentence; }
    const QString& detail() const { return failure_.detail; }

private:
    WriteFailure failure_;
};

} // namespace files
