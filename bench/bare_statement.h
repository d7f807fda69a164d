#pragma once
// Statements sent through libpq alone: the baseline the benchmarks hold the program's own
// statements against.

#include "data/statement.h"

#include <QByteArray>

#include <libpq-fe.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

// A bare statement's result, cleared when it goes.
struct BareResult {
    data::ResultPtr result;

    PGresult* get() const { return result.get(); }
    int rows() const { return PQntuples(get()); }
    int column(const char* name) const { return PQfnumber(get(), name); }
    const char* text(int row, int column) const { return PQgetvalue(get(), row, column); }
    double number(int row, int column) const { return std::atof(text(row, column)); }
};

// Runs one statement with text values for its $1, $2...; stops the benchmark on an error, as
// figures against a failed baseline would mean nothing.
inline BareResult runBare(PGconn* connection, const data::ParsedSql& sql,
                          const std::vector<QByteArray>& values) {
    std::vector<const char*> texts;
    for (const QByteArray& v : values)
        texts.push_back(v.constData());
    BareResult out{data::ResultPtr(PQexecParams(connection, sql.text.constData(), int(texts.size()),
                                                nullptr, texts.data(), nullptr, nullptr, 0))};
    const ExecStatusType status = PQresultStatus(out.get());
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
        std::fprintf(stderr, "bare statement failed: %s\n", PQresultErrorMessage(out.get()));
        std::exit(1);
    }
    return out;
}
