#pragma once

#include <QString>

#include <stdexcept>

namespace data {

// Every failure of the data layer (connection, statement, conversion, filter) is
// reported as one of these; the windows' general error handler shows its text.
class DataError : public std::runtime_error {
public:
    explicit DataError(const QString& message, const QString& sqlState = {})
        : std::runtime_error(message.toStdString()), message_(message), sqlState_(sqlState) {}
    const QString& message() const { return message_; }
    // The server's SQLSTATE ("23505" for a unique violation); empty for client errors.
    const QString& sqlState() const { return sqlState_; }
    // A unique index refused the row: the same key was written meanwhile.
    bool isUniqueViolation() const { return sqlState_ == u"23505"; }
    // A foreign key refused the change: the row is still referenced (or the referenced one
    // is missing), as another workstation may have made it meanwhile.
    bool isForeignKeyViolation() const { return sqlState_ == u"23503"; }

private:
    QString message_;
    QString sqlState_;
};

} // namespace data
