#pragma once

#include <QString>

namespace data {

// Where an installation says which database its workstations use. Kept by the package as a
// configuration file, so an upgrade never overwrites what the administrator wrote.
inline const QString kSiteSettingsFile = QStringLiteral("/etc/norv-smena/norv-smena.conf");

// The database a workstation connects to. Nothing here is a secret: who connects is what
// the person types at the login.
struct SiteSettings {
    QString server = QStringLiteral("localhost"); // host name, address or socket folder
    int port = 5432;
    QString database = QStringLiteral("norv_erp_dev");
    QString sslmode = QStringLiteral("prefer");
    QString sslrootcert; // the CA certificate for sslmode verify-ca / verify-full

    // The file's values over the built-in defaults; a missing file leaves the defaults, a
    // value that cannot be used (a port that is no number) keeps its default too.
    static SiteSettings read(const QString& file = kSiteSettingsFile);

    // Command-line server and database over the file's; an empty argument changes nothing.
    SiteSettings withArguments(const QString& server, const QString& database) const;
};

} // namespace data
