#pragma once

#include <QStringList>

namespace data {

class Connection;

// The program's group roles: membership in one of them is what lets a login in, and which
// one decides what the windows let it do. The database grants follow the same groups.
inline const QString kAdministratorGroup = QStringLiteral("norv_administrator");
inline const QString kMasterGroup = QStringLiteral("norv_master");
inline const QString kWriterGroup = QStringLiteral("norv_writer");
inline const QString kReaderGroup = QStringLiteral("norv_reader");

// What a login in none of them is told, in the login window and by norv_report.
inline const QString kNoProgramRightsText =
    QStringLiteral("У учётной записи нет прав в программе.");

// Those of the program's groups the connected login is a member of, directly or through
// another group. A database without them gives an empty list, not an error.
QStringList programGroupsOfLogin(Connection& connection);

} // namespace data
