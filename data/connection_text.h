#pragma once

#include <QList>
#include <QPair>
#include <QString>

namespace data {

// The ODBC/ADO style connection text of the login: "KEY=VALUE;KEY={VALUE};...".
// Keys are case-insensitive; a value in {} may hold ';' and '=' ("}}" stands for '}');
// an ADO value in double quotes ("" for a quote) may hold a nested connection text
// (Extended Properties). Throws DataError on an unterminated brace or quote.
QList<QPair<QString, QString>> parseConnectionText(const QString& text);

// Writes a value so that parseConnectionText() gives it back unchanged: braced when it
// holds anything the plain form cannot carry.
QString odbcValue(const QString& value);

// The libpq parameters a connection text maps to.
struct ConnectionParams {
    QString host; // a path means a unix-socket directory
    QString port;
    QString dbname;
    QString user;
    QString password;
    QString sslmode;
    QString sslrootcert;
};

// SERVER, PORT, DATABASE, UID, PWD, SSLmode (also ADO's "User ID" and "Password", and
// "Extended Properties" with a nested text); the driver's tuning keys are accepted and
// ignored. Later keys win, nested ones included.
ConnectionParams mapConnectionText(const QString& text);

struct SiteSettings;

// The text a login connects with: the site's server, port, database and SSL settings and
// the typed name and password, each value braced where it would otherwise cut or add keys.
QString loginConnectionString(const SiteSettings& site, const QString& user,
                              const QString& password);

// The same on a server and database with the default port and SSL mode.
QString buildConnectionString(const QString& server, const QString& database, const QString& user,
                              const QString& password);

} // namespace data
