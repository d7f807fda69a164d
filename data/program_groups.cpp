#include "program_groups.h"

#include "statement.h"
#include "statement_files.h"

#include <libpq-fe.h>

namespace data {

QStringList programGroupsOfLogin(Connection& connection) {
    Parameters params;
    params.set(QStringLiteral("administrator"), kAdministratorGroup);
    params.set(QStringLiteral("master"), kMasterGroup);
    params.set(QStringLiteral("writer"), kWriterGroup);
    params.set(QStringLiteral("reader"), kReaderGroup);
    const ResultPtr result =
        execute(connection,
                parseNamedParameters(statementText(QStringLiteral("data/program_groups_of_login"))),
                params);
    QStringList groups;
    for (int row = 0; row < PQntuples(result.get()); ++row)
        groups << QString::fromUtf8(PQgetvalue(result.get(), row, 0));
    return groups;
}

} // namespace data
