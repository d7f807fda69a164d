#include "program_groups.h"

#include "statement.h"

#include <libpq-fe.h>

namespace data {

namespace {

// pg_has_role by oid, so a group missing from this cluster is just not listed
const QString kGroupsSql = QStringLiteral(R"(select r.rolname::text
from pg_catalog.pg_roles r
where r.rolname in (:administrator, :master, :writer, :reader)
  and pg_catalog.pg_has_role(r.oid, 'MEMBER'))");

} // namespace

QStringList programGroupsOfLogin(Connection& connection) {
    Parameters params;
    params.set(QStringLiteral("administrator"), kAdministratorGroup);
    params.set(QStringLiteral("master"), kMasterGroup);
    params.set(QStringLiteral("writer"), kWriterGroup);
    params.set(QStringLiteral("reader"), kReaderGroup);
    const ResultPtr result = execute(connection, parseNamedParameters(kGroupsSql), params);
    QStringList groups;
    for (int row = 0; row < PQntuples(result.get()); ++row)
        groups << QString::fromUtf8(PQgetvalue(result.get(), row, 0));
    return groups;
}

} // namespace data
