#include "deployment_settings.h"

#include "connection_text.h"

namespace data {

namespace {

DeploymentSettings& storage() {
    static DeploymentSettings settings{
        QStringLiteral(NORV_BUILTIN_SERVER), QStringLiteral(NORV_BUILTIN_PASSWORD),
        QStringLiteral(NORV_SERVICE_CODE), QStringLiteral(NORV_DEFAULT_DATABASE)};
    return settings;
}

} // namespace

const DeploymentSettings& DeploymentSettings::current() {
    return storage();
}

void DeploymentSettings::set(const DeploymentSettings& settings) {
    storage() = settings;
}

QString buildConnectionString(const QString& server, const QString& database, const QString& user,
                              const QString& password) {
    return QStringLiteral("DRIVER={PostgreSQL UNICODE};DATABASE=") + odbcValue(database) +
           QStringLiteral(";SERVER=") + odbcValue(server) + QStringLiteral(";PORT=5432;UID=") +
           odbcValue(user) + QStringLiteral(";PWD=") + odbcValue(password) +
           QStringLiteral(";SSLmode=allow;") +
           QStringLiteral("ReadOnly=0;Protocol=7.4;FakeOidIndex=0;ShowOidColumn=0;RowVersioning=0;"
                          "ShowSystemTables=0;Fetch=100;UnknownSizes=0;MaxVarcharSize=255;"
                          "MaxLongVarcharSize=8190;") +
           QStringLiteral("Debug=0;CommLog=0;UseDeclareFetch=0;TextAsLongVarchar=1;"
                          "UnknownsAsLongVarchar=0;BoolsAsChar=1;Parse=0;ExtraSysTablePrefixes=;"
                          "LFConversion=1;UpdatableCursors=1;") +
           QStringLiteral("TrueIsMinus1=0;BI=0;ByteaAsLongVarBinary=1;UseServerSidePrepare=1;"
                          "LowerCaseIdentifier=0;D6=-101;OptionalErrors=0;XaOpt=1");
}

QString builtinConnectionString() {
    const DeploymentSettings& s = DeploymentSettings::current();
    return buildConnectionString(s.builtinServer, s.defaultDatabase, QStringLiteral("sys"),
                                 s.builtinPassword);
}

} // namespace data
