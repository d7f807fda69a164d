#pragma once

#include <QString>

#include <stdexcept>

namespace data {

// Every failure of the data layer (connection, statement, conversion, filter) is
// reported as one of these; the windows' general error handler shows its text.
class DataError : public std::runtime_error {
public:
    explicit DataError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

} // namespace data
