#include "connection_text.h"

#include "data_error.h"
#include "site_settings.h"

namespace data {

namespace {

// A value from an opening '{' or quote at pos up to its closing character; a doubled
// closing character stands for itself ("}}" in braces, "" in quotes).
QString readDelimited(const QString& text, qsizetype& pos, QChar closing) {
    QString value;
    ++pos;
    while (pos < text.size()) {
        const QChar c = text[pos];
        if (c == closing) {
            if (pos + 1 < text.size() && text[pos + 1] == closing) {
                value += closing;
                pos += 2;
                continue;
            }
            ++pos;
            return value;
        }
        value += c;
        ++pos;
    }
    throw DataError(closing == u'}' ? QStringLiteral("Строка подключения: не закрыта скобка '{'")
                                    : QStringLiteral("Строка подключения: не закрыта кавычка"));
}

// The value after a '=' at pos: braced, quoted, or plain up to the next ';'. Leaves pos at
// the separator after it, past anything between a closing brace or quote and the ';'.
QString readValue(const QString& text, qsizetype& pos) {
    const qsizetype n = text.size();
    while (pos < n && text[pos] == u' ')
        ++pos;
    QString value;
    if (pos < n && text[pos] == u'{') {
        value = readDelimited(text, pos, u'}');
    } else if (pos < n && (text[pos] == u'"' || text[pos] == u'\'')) {
        value = readDelimited(text, pos, text[pos]);
    } else {
        const qsizetype end = text.indexOf(u';', pos);
        value = text.mid(pos, (end < 0 ? n : end) - pos);
        pos = end < 0 ? n : end;
    }
    while (pos < n && text[pos] != u';')
        ++pos;
    return value;
}

} // namespace

QList<QPair<QString, QString>> parseConnectionText(const QString& text) {
    QList<QPair<QString, QString>> pairs;
    qsizetype pos = 0;
    const qsizetype n = text.size();
    while (pos < n) {
        while (pos < n && (text[pos] == u';' || text[pos].isSpace()))
            ++pos;
        if (pos >= n)
            break;
        const qsizetype eq = text.indexOf(u'=', pos);
        const qsizetype semi = text.indexOf(u';', pos);
        if (eq < 0 || (semi >= 0 && semi < eq)) {
            // a bare word without '=': tolerated like the driver manager does
            pos = semi < 0 ? n : semi + 1;
            continue;
        }
        const QString key = text.mid(pos, eq - pos).trimmed();
        pos = eq + 1;
        pairs.append({key, readValue(text, pos)});
    }
    return pairs;
}

QString odbcValue(const QString& value) {
    const bool plain = !value.contains(u';') && !value.contains(u'{') && !value.contains(u'}') &&
                       !value.contains(u'=') && value == value.trimmed() &&
                       !value.startsWith(u'"') && !value.startsWith(u'\'');
    if (plain)
        return value;
    QString escaped = value;
    escaped.replace(QStringLiteral("}"), QStringLiteral("}}"));
    return u'{' + escaped + u'}';
}

namespace {

void applyPairs(const QList<QPair<QString, QString>>& pairs, ConnectionParams& params) {
    for (const auto& [rawKey, value] : pairs) {
        const QString key = rawKey.toLower();
        if (key == u"server" || key == u"host" || key == u"servername")
            params.host = value;
        else if (key == u"port")
            params.port = value;
        else if (key == u"database" || key == u"dbname")
            params.dbname = value;
        else if (key == u"uid" || key == u"user id" || key == u"username")
            params.user = value;
        else if (key == u"pwd" || key == u"password")
            params.password = value;
        else if (key == u"sslmode")
            params.sslmode = value.toLower();
        else if (key == u"sslrootcert")
            params.sslrootcert = value;
        else if (key == u"extended properties")
            applyPairs(parseConnectionText(value), params);
        // every other key tunes the ODBC driver and has no libpq counterpart
    }
}

} // namespace

ConnectionParams mapConnectionText(const QString& text) {
    ConnectionParams params;
    applyPairs(parseConnectionText(text), params);
    return params;
}

QString loginConnectionString(const SiteSettings& site, const QString& user,
                              const QString& password) {
    QString text = QStringLiteral("DRIVER={PostgreSQL UNICODE};DATABASE=") +
                   odbcValue(site.database) + QStringLiteral(";SERVER=") + odbcValue(site.server) +
                   QStringLiteral(";PORT=") + QString::number(site.port) + QStringLiteral(";UID=") +
                   odbcValue(user) + QStringLiteral(";PWD=") + odbcValue(password) +
                   QStringLiteral(";SSLmode=") + odbcValue(site.sslmode) + u';';
    if (!site.sslrootcert.isEmpty())
        text += QStringLiteral("SSLrootcert=") + odbcValue(site.sslrootcert) + u';';
    // the ODBC driver's tuning, kept so the text reads as it always has; libpq ignores it
    return text +
           QStringLiteral("ReadOnly=0;Protocol=7.4;FakeOidIndex=0;ShowOidColumn=0;RowVersioning=0;"
                          "ShowSystemTables=0;Fetch=100;UnknownSizes=0;MaxVarcharSize=255;"
                          "MaxLongVarcharSize=8190;") +
           QStringLiteral("Debug=0;CommLog=0;UseDeclareFetch=0;TextAsLongVarchar=1;"
                          "UnknownsAsLongVarchar=0;BoolsAsChar=1;Parse=0;ExtraSysTablePrefixes=;"
                          "LFConversion=1;UpdatableCursors=1;") +
           QStringLiteral("TrueIsMinus1=0;BI=0;ByteaAsLongVarBinary=1;UseServerSidePrepare=1;"
                          "LowerCaseIdentifier=0;D6=-101;OptionalErrors=0;XaOpt=1");
}

QString buildConnectionString(const QString& server, const QString& database, const QString& user,
                              const QString& password) {
    SiteSettings site;
    site.server = server;
    site.database = database;
    return loginConnectionString(site, user, password);
}

} // namespace data
