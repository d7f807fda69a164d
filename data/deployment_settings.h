#pragma once

#include <QString>

namespace data {

// Values of one installation, given when the program is built; tests put their own.
struct DeploymentSettings {
    QString builtinServer;   // IPv4 address of the database server
    QString builtinPassword; // password of the sys login
    QString serviceCode;     // four digits that log in as sys
    QString defaultDatabase;

    static const DeploymentSettings& current();
    static void set(const DeploymentSettings& settings);
};

// The connection text the login builds: the twelve pieces, with the user's values
// braced where they would otherwise cut or add keys.
QString buildConnectionString(const QString& server, const QString& database, const QString& user,
                              const QString& password);

// The built-in text: default database, built-in server, sys and the built-in password.
QString builtinConnectionString();

} // namespace data
