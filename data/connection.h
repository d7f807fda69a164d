#pragma once

#include "connection_text.h"

#include <QString>

typedef struct pg_conn PGconn;

namespace data {

// The program's one database connection, opened from the login's connection text.
class Connection {
public:
    Connection() = default;
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void setConnectionString(const QString& text) { connectionString_ = text; }
    const QString& connectionString() const { return connectionString_; }

    // Throws DataError with the server's own message.
    void open();
    void close();
    bool isOpen() const;

    PGconn* handle() const { return conn_; }
    // The handle, or a DataError when the connection is not open.
    PGconn* requireHandle() const;

private:
    QString connectionString_;
    PGconn* conn_ = nullptr;
};

} // namespace data
