#include "closed_months.h"

#include "statement.h"
#include "statement_files.h"

#include <libpq-fe.h>

namespace data {

namespace {

Parameters monthOf(int month, int year) {
    Parameters params;
    params.set(QStringLiteral("month"), month);
    params.set(QStringLiteral("year"), year);
    return params;
}

ResultPtr run(Connection& connection, const QString& statement, int month, int year) {
    return execute(connection, parseNamedParameters(statementText(statement)),
                   monthOf(month, year));
}

} // namespace

std::optional<MonthClosing> ClosedMonths::closing(int month, int year) {
    const ResultPtr result = run(connection_, QStringLiteral("data/month_closing"), month, year);
    if (PQntuples(result.get()) == 0)
        return std::nullopt;
    return MonthClosing{QString::fromUtf8(PQgetvalue(result.get(), 0, 0)),
                        QString::fromUtf8(PQgetvalue(result.get(), 0, 1))};
}

void ClosedMonths::close(int month, int year) {
    run(connection_, QStringLiteral("data/close_month"), month, year);
}

void ClosedMonths::reopen(int month, int year) {
    run(connection_, QStringLiteral("data/reopen_month"), month, year);
}

} // namespace data
