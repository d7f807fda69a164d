#include "command.h"

#include "connection.h"
#include "conversions.h"
#include "data_error.h"

#include <libpq-fe.h>

#include <cstdlib>

namespace data {

ResultPtr Command::run() {
    if (!parsedValid_) {
        parsed_ = parseNamedParameters(sql_);
        parsedValid_ = true;
    }
    return data::execute(*connection_, parsed_, params_);
}

int Command::execute() {
    ResultPtr r = run();
    return std::atoi(PQcmdTuples(r.get()));
}

qint64 Command::executeReturningInt() {
    ResultPtr r = run();
    if (PQresultStatus(r.get()) != PGRES_TUPLES_OK || PQntuples(r.get()) < 1 ||
        PQnfields(r.get()) < 1 || PQgetisnull(r.get(), 0, 0))
        throw DataError(QStringLiteral("%1: команда не вернула значение").arg(name_));
    return toInt64(QString::fromUtf8(PQgetvalue(r.get(), 0, 0)));
}

} // namespace data
