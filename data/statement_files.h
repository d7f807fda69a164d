#pragma once

#include <QString>
#include <QStringList>

namespace data {

// The program's statements live as .sql files beside the code of their subject
// (journal/statements/delete_material.sql), built in as resources, so they read as SQL,
// no formatter breaks them and one test prepares every one of them against the schema.

// The text of the statement "subject/name" (":/statements/subject/name.sql"). A name the
// build does not hold is a programming error: it throws std::logic_error.
const QString& statementText(const QString& name);

// Every statement the program holds, as "subject/name", sorted.
QStringList statementNames();

} // namespace data
