#include "schema_version.h"

#include "statement.h"

#include <libpq-fe.h>

namespace data {

namespace {

// by the catalogue, so a missing table is an answer and not an error
const QString kTablesSql = QStringLiteral(R"(select
  exists (select 1 from pg_catalog.pg_class c
          join pg_catalog.pg_namespace n on n.oid = c.relnamespace
          where n.nspname = 'accounts_dep' and c.relname = 'smena'),
  exists (select 1 from pg_catalog.pg_class c
          join pg_catalog.pg_namespace n on n.oid = c.relnamespace
          where n.nspname = 'accounts_dep' and c.relname = 'schema_version'))");

const QString kVersionSql =
    QStringLiteral("select coalesce(max(version), 1) from accounts_dep.schema_version");

bool isTrue(const PGresult* result, int column) {
    return PQgetvalue(result, 0, column)[0] == 't';
}

} // namespace

int programSchemaVersion() {
    return NORV_SCHEMA_VERSION;
}

int databaseSchemaVersion(Connection& connection) {
    const ResultPtr tables = execute(connection, parseNamedParameters(kTablesSql), {});
    if (!isTrue(tables.get(), 0))
        return 0;
    if (!isTrue(tables.get(), 1))
        return 1;
    const ResultPtr version = execute(connection, parseNamedParameters(kVersionSql), {});
    return QByteArray(PQgetvalue(version.get(), 0, 0)).toInt();
}

std::optional<QString> schemaVersionRefusal(Connection& connection) {
    const int database = databaseSchemaVersion(connection);
    const int program = programSchemaVersion();
    if (database < program)
        return QStringLiteral("База данных версии %1, программе нужна версия %2. Обратитесь к "
                              "администратору (norv_admin upgrade).")
            .arg(database)
            .arg(program);
    if (database > program)
        return QStringLiteral("Программа старше базы данных: обновите программу на рабочем месте.");
    return std::nullopt;
}

} // namespace data
