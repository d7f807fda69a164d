#pragma once

#include <QString>

#include <stdexcept>

namespace data {

// What a person is told when the server restarted or the network dropped: the action was
// not done, and the program has connected again for the next one.
inline const QString kConnectionLost =
    QStringLiteral("Соединение с базой данных потеряно. Повторите действие.");

// Every failure of the data layer (connection, statement, conversion, filter) is
// reported as one of these; the windows' error guard (ui/guard.h) tells a person what it
// means, with this text as the detail.
class DataError : public std::runtime_error {
public:
    explicit DataError(const QString& message, const QString& sqlState = {},
                       const QString& primary = {})
        : std::runtime_error(message.toStdString()), message_(message), sqlState_(sqlState),
          primary_(primary.isEmpty() ? message : primary) {}
    // A typed or stored text the program itself could not read as a number (a whole one when
    // wholeNumber).
    static DataError notANumber(const QString& message, bool wholeNumber = false) {
        DataError e(message);
        e.notANumber_ = true;
        e.wholeNumber_ = wholeNumber;
        return e;
    }
    const QString& message() const { return message_; }
    // The server's primary message alone, without detail and hint.
    const QString& primaryMessage() const { return primary_; }
    // The server's SQLSTATE ("23505" for a unique violation); empty for client errors.
    const QString& sqlState() const { return sqlState_; }
    // A unique index refused the row: the same key was written meanwhile.
    bool isUniqueViolation() const { return sqlState_ == u"23505"; }
    // A foreign key refused the change: the row is still referenced (or the referenced one
    // is missing), as another workstation may have made it meanwhile.
    bool isForeignKeyViolation() const { return sqlState_ == u"23503"; }
    // The connection to the server was lost during the action (SQLSTATE class 08).
    bool isConnectionLost() const { return sqlState_.startsWith(u"08"); }
    // The server refused the login the right to do it (SQLSTATE class 28, or 42501).
    bool isPermissionDenied() const { return sqlState_.startsWith(u"28") || sqlState_ == u"42501"; }
    // A rule of the database refused the change: its own errors (NV...) and values out of
    // range (check_violation). Their primary message is meant for the person.
    bool isRuleRefusal() const { return sqlState_.startsWith(u"NV") || sqlState_ == u"23514"; }
    bool isNotANumber() const { return notANumber_; }
    bool wantedWholeNumber() const { return wholeNumber_; }
    // The data was held by another session longer than the lock or statement timeout.
    bool isBusy() const { return sqlState_ == u"55P03" || sqlState_ == u"57014"; }
    // Another session changed a row after this transaction's snapshot (repeatable read).
    bool isSerializationFailure() const { return sqlState_ == u"40001"; }

private:
    QString message_;
    QString sqlState_;
    QString primary_;
    bool notANumber_ = false;
    bool wholeNumber_ = false;
};

} // namespace data
