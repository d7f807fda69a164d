#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

typedef struct pg_result PGresult;

namespace data {

class Connection;

struct PGresultDeleter {
    void operator()(PGresult* r) const;
};
using ResultPtr = std::unique_ptr<PGresult, PGresultDeleter>;

// SQL with ":name" parameters turned into "$1", "$2"... The same name (any case) gets
// the same number; names inside quotes, comments and the "::" cast are left alone.
struct ParsedSql {
    QByteArray text;
    QStringList names; // lower case, in $N order
};
ParsedSql parseNamedParameters(const QString& sql);

// Named parameter values, names matched without regard to case.
class Parameters {
public:
    void set(const QString& name, const QVariant& value) { values_[name.toLower()] = value; }
    QVariant value(const QString& name) const { return values_.value(name.toLower()); }
    bool contains(const QString& name) const { return values_.contains(name.toLower()); }
    void clear() { values_.clear(); }

private:
    QHash<QString, QVariant> values_;
};

// The text a value is sent as; numbers in plain decimal with '.', dates as ISO.
QByteArray parameterText(const QVariant& value);

// Runs one statement with its parameters; throws DataError with the server's message.
// A parameter that was never set goes as NULL.
ResultPtr execute(Connection& connection, const ParsedSql& sql, const Parameters& params);

// The server's message of a failed statement: primary text plus detail and hint.
QString resultErrorMessage(const PGresult* result);

} // namespace data
