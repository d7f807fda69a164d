#pragma once

#include <QString>

#include <optional>

namespace data {

class Connection;

// The schema version this build of the programs works with: the number of the newest
// migration it was built with.
int programSchemaVersion();

// The schema version of the connected database: the newest recorded migration; a database
// with the program's tables but no record of versions is version 1, one without the
// program's tables is 0. Throws DataError.
int databaseSchemaVersion(Connection& connection);

// Why the programs must not work on the connected database (in Russian), or nullopt when its
// schema is the one this build expects. Throws DataError.
std::optional<QString> schemaVersionRefusal(Connection& connection);

} // namespace data
