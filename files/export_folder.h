#pragma once

#include "write_failure.h"

#include <QString>

namespace files {

// Where exports go: the desktop's documents folder, made when it is missing; the home folder
// when that cannot be, never the temporary folder (emptied at boot). Throws WriteError when
// neither can take a file.
QString exportFolder();

// 0 when a file can be created in folder, else the errno of trying.
int creationError(const QString& folder);

// Takes the first free name of "name.ext", "name (2).ext", ... in folder by creating it empty,
// so two exports never write over each other or over an older file. Throws WriteError.
QString reserveFreeName(const QString& folder, const QString& fileName);

} // namespace files
