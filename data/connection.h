#pragma once

#include "connection_text.h"

#include <QString>

typedef struct pg_conn PGconn;

namespace data {

// What a failed open() reports as its SQLSTATE: the server refused the name or password,
// the database does not exist there, or no server answered.
inline const QString kLoginRefusedState = QStringLiteral("28000");
inline const QString kNoSuchDatabaseState = QStringLiteral("3D000");
inline const QString kServerUnreachableState = QStringLiteral("08001");
// What a person is told for the first of them, in the login window and by norv_report.
inline const QString kLoginRefusedText = QStringLiteral("Неверное имя пользователя или пароль.");

// The program's one database connection, opened from the login's connection text.
class Connection {
public:
    Connection() = default;
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void setConnectionString(const QString& text) { connectionString_ = text; }
    const QString& connectionString() const { return connectionString_; }

    // Throws DataError with the server's own message and one of the states above.
    void open();
    void close();
    bool isOpen() const;

    PGconn* handle() const { return conn_; }
    // The handle, or a DataError when the connection is not open. A connection that was
    // lost (the server restarted, the network dropped) is opened again first with the same
    // login; when that fails too, the error says the connection is lost.
    PGconn* requireHandle();

    // After a statement failed: when the connection itself is gone, it is opened again for
    // the next action and true is returned (the statement's own outcome is unknown to the
    // server's reply, so the caller reports the action as not done).
    bool recoverAfterFailure();

private:
    QString connectionString_;
    PGconn* conn_ = nullptr;
};

} // namespace data
