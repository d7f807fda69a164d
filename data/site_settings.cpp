#include "site_settings.h"

#include <QFileInfo>
#include <QSettings>

namespace data {

SiteSettings SiteSettings::read(const QString& file) {
    SiteSettings s;
    if (!QFileInfo(file).isReadable())
        return s;
    const QSettings ini(file, QSettings::IniFormat);
    const auto text = [&](const char* key, QString& value) {
        const QString v = ini.value(QLatin1String(key)).toString().trimmed();
        if (!v.isEmpty())
            value = v;
    };
    text("server", s.server);
    text("database", s.database);
    text("sslmode", s.sslmode);
    text("sslrootcert", s.sslrootcert);
    bool ok = false;
    const int port = ini.value(QStringLiteral("port")).toString().trimmed().toInt(&ok);
    if (ok && port > 0 && port < 65536)
        s.port = port;
    s.sslmode = s.sslmode.toLower();
    return s;
}

SiteSettings SiteSettings::withArguments(const QString& server, const QString& database) const {
    SiteSettings s = *this;
    if (!server.trimmed().isEmpty())
        s.server = server.trimmed();
    if (!database.trimmed().isEmpty())
        s.database = database.trimmed();
    return s;
}

} // namespace data
