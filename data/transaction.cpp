#include "transaction.h"

#include "connection.h"
#include "statement.h"

namespace data {

namespace {

void run(Connection& connection, const char* statement) {
    execute(connection, parseNamedParameters(QString::fromLatin1(statement)), Parameters());
}

} // namespace

Transaction::Transaction(Connection& connection, Isolation isolation) : connection_(connection) {
    run(connection_,
        isolation == Isolation::RepeatableRead ? "begin isolation level repeatable read" : "begin");
    open_ = true;
}

Transaction::~Transaction() {
    if (!open_)
        return;
    try {
        run(connection_, "rollback");
    } catch (...) {
        // a connection that is gone has rolled back by itself
    }
}

void Transaction::commit() {
    run(connection_, "commit");
    open_ = false;
}

} // namespace data
