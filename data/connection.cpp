#include "connection.h"

#include "data_error.h"

#include <QByteArray>
#include <QDir>

#include <libpq-fe.h>

#include <vector>

namespace data {

Connection::~Connection() {
    close();
}

bool Connection::isOpen() const {
    return conn_ && PQstatus(conn_) == CONNECTION_OK;
}

PGconn* Connection::requireHandle() {
    if (!conn_)
        throw DataError(QStringLiteral("Нет подключения к базе данных"));
    if (PQstatus(conn_) != CONNECTION_OK) {
        PQreset(conn_);
        if (PQstatus(conn_) != CONNECTION_OK)
            throw DataError(kConnectionLost, QStringLiteral("08006"));
    }
    return conn_;
}

bool Connection::recoverAfterFailure() {
    if (!conn_ || PQstatus(conn_) == CONNECTION_OK)
        return false;
    PQreset(conn_); // when the server is still away, the next requireHandle tries again
    return true;
}

void Connection::close() {
    if (conn_) {
        PQfinish(conn_);
        conn_ = nullptr;
    }
}

void Connection::open() {
    close();
    const ConnectionParams p = mapConnectionText(connectionString_);

    // The login decides who connects: never a password from the environment or a
    // password file, even when the typed one is empty.
    qunsetenv("PGPASSWORD");
    qunsetenv("PGSERVICE");

    std::vector<QByteArray> keys;
    std::vector<QByteArray> values;
    auto add = [&](const char* key, const QString& value) {
        keys.emplace_back(key);
        values.emplace_back(value.toUtf8());
    };
    const bool socketDir = p.host.startsWith(u'/');
    add("host", p.host.isEmpty() ? QStringLiteral("localhost") : p.host);
    if (!p.port.isEmpty())
        add("port", p.port);
    add("dbname", p.dbname);
    if (!socketDir && !p.sslrootcert.isEmpty())
        add("sslrootcert", p.sslrootcert);
    add("user", p.user);
    add("password", p.password);
    // a path that cannot exist: libpq then skips the password file without a word
    add("passfile", QStringLiteral("/dev/null/no-password-file"));
    // sslmode means nothing on a unix socket; keep it for TCP only
    if (!socketDir && !p.sslmode.isEmpty())
        add("sslmode", p.sslmode);
    add("connect_timeout", QStringLiteral("10"));
    add("client_encoding", QStringLiteral("UTF8"));
    add("application_name", QStringLiteral("norv_smena"));
    // What the statements rely on comes with the connection, not from settings of the login
    // role, so a clerk the administrator adds with plain SQL works like any other: dates
    // written as DD.MM.YYYY text read day first, and names the operations export leaves
    // without a schema are found in accounts_dep. A report's groups are hashed in memory
    // rather than sorted on disk, and no statement waits for a JIT compilation that costs more
    // than the statement.
    add("options", QStringLiteral("-c DateStyle=ISO,DMY -c search_path=public,accounts_dep "
                                  "-c lock_timeout=10s -c statement_timeout=300s "
                                  "-c work_mem=32MB -c jit=off"));

    std::vector<const char*> k;
    std::vector<const char*> v;
    for (size_t i = 0; i < keys.size(); ++i) {
        k.push_back(keys[i].constData());
        v.push_back(values[i].constData());
    }
    k.push_back(nullptr);
    v.push_back(nullptr);

    conn_ = PQconnectdbParams(k.data(), v.data(), 0);
    if (!conn_)
        throw DataError(QStringLiteral("Не удалось создать подключение к базе данных"));
    if (PQstatus(conn_) != CONNECTION_OK) {
        const QString message = QString::fromUtf8(PQerrorMessage(conn_)).trimmed();
        close();
        // libpq gives no SQLSTATE for a refused connection: a server that answers a ping
        // is there, so it refused this login, unless it named the missing database
        QString state = kServerUnreachableState;
        if (PQpingParams(k.data(), v.data(), 0) == PQPING_OK)
            state =
                message.contains(u'"' + p.dbname + u'"') && !message.contains(u'"' + p.user + u'"')
                    ? kNoSuchDatabaseState
                    : kLoginRefusedState;
        throw DataError(message, state);
    }
    // Notices (for example from functions) are not for the user.
    PQsetNoticeProcessor(
        conn_, [](void*, const char*) {}, nullptr);
}

} // namespace data
