// Connection texts: parsing, mapping to libpq, the login's bracing, and the errors a
// person sees when the server says no.
#include "data/connection.h"
#include "data/connection_text.h"
#include "data/data_error.h"
#include "data/site_settings.h"
#include "tests/support/test_database.h"

#include <QtTest>

#include <memory>

using namespace data;

class ConnectionTest : public QObject {
    Q_OBJECT
private slots:
    void mapsText_data();
    void mapsText();
    void loginValuesRoundTrip_data();
    void loginValuesRoundTrip();
    void twelvePiecesAsTheLoginWritesThem();
    void malformedText();
    void liveConnections_data();
    void liveConnections();
    void emptyPasswordIgnoresEnvironment();

private:
    std::unique_ptr<TestDatabase> db_;
};

void ConnectionTest::mapsText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected"); // host, port, dbname, user, password, sslmode
    QTest::newRow("login text") << buildConnectionString("10.0.0.5", "erp", "ivanov", "secret")
                                << QStringList{"10.0.0.5", "5432",   "erp",
                                               "ivanov",   "secret", "prefer"};
    QTest::newRow("keys any case") << "server=h;Database=d;uid=u;Pwd=p;PORT=6000"
                                   << QStringList{"h", "6000", "d", "u", "p", ""};
    QTest::newRow("braced with ; and =")
        << "SERVER=h;PWD={a;b=c};UID=u" << QStringList{"h", "", "", "u", "a;b=c", ""};
    QTest::newRow("doubled closing brace")
        << "PWD={x}}y};UID=u" << QStringList{"", "", "", "u", "x}y", ""};
    QTest::newRow("later key wins") << "UID=a;UID=b" << QStringList{"", "", "", "b", "", ""};
    QTest::newRow("empty value") << "ExtraSysTablePrefixes=;UID=u"
                                 << QStringList{"", "", "", "u", "", ""};
    QTest::newRow("ADO text with extended properties")
        << "Provider=MSDASQL.1;Password=outer;Persist Security Info=True;User ID=sys;"
           "Extended Properties=\"DRIVER={PostgreSQL UNICODE};DATABASE=norv;SERVER=1.2.3.4;"
           "PORT=5432;UID=sys;PWD=inner;SSLmode=allow\""
        << QStringList{"1.2.3.4", "5432", "norv", "sys", "inner", "allow"};
    QTest::newRow("site settings")
        << loginConnectionString(
               SiteSettings{"db.plant", 6432, "erp", "verify-full", "/etc/ca.crt"}, "u", "p")
        << QStringList{"db.plant", "6432", "erp", "u", "p", "verify-full"};
    QTest::newRow("cyrillic password")
        << "UID=u;PWD=пароль" << QStringList{"", "", "", "u", "пароль", ""};
}

void ConnectionTest::mapsText() {
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    const ConnectionParams p = mapConnectionText(text);
    QCOMPARE((QStringList{p.host, p.port, p.dbname, p.user, p.password, p.sslmode}), expected);
}

void ConnectionTest::loginValuesRoundTrip_data() {
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::newRow("plain") << "petrova"
                           << "abc";
    QTest::newRow("semicolon adds no key") << "petrova"
                                           << "x;SERVER=elsewhere";
    QTest::newRow("braces") << "petrova"
                            << "{abc}";
    QTest::newRow("closing brace") << "a}b"
                                   << "}";
    QTest::newRow("opening brace only") << "u"
                                        << "{";
    QTest::newRow("equals") << "u"
                            << "a=b";
    QTest::newRow("blanks inside") << "u"
                                   << "a b";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("cyrillic") << "Петрова"
                              << "пароль;1";
}

void ConnectionTest::loginValuesRoundTrip() {
    QFETCH(QString, user);
    QFETCH(QString, password);
    const ConnectionParams p =
        mapConnectionText(buildConnectionString("server1", "db1", user, password));
    QCOMPARE(p.user, user);
    QCOMPARE(p.password, password);
    QCOMPARE(p.host, QString("server1"));
    QCOMPARE(p.dbname, QString("db1"));
}

void ConnectionTest::twelvePiecesAsTheLoginWritesThem() {
    QCOMPARE(buildConnectionString("srv", "db", "u", "p"),
             QString("DRIVER={PostgreSQL UNICODE};DATABASE=db;SERVER=srv;PORT=5432;UID=u;PWD=p;"
                     "SSLmode=prefer;ReadOnly=0;Protocol=7.4;FakeOidIndex=0;ShowOidColumn=0;"
                     "RowVersioning=0;ShowSystemTables=0;Fetch=100;UnknownSizes=0;"
                     "MaxVarcharSize=255;MaxLongVarcharSize=8190;Debug=0;CommLog=0;"
                     "UseDeclareFetch=0;TextAsLongVarchar=1;UnknownsAsLongVarchar=0;BoolsAsChar=1;"
                     "Parse=0;ExtraSysTablePrefixes=;LFConversion=1;UpdatableCursors=1;"
                     "TrueIsMinus1=0;BI=0;ByteaAsLongVarBinary=1;UseServerSidePrepare=1;"
                     "LowerCaseIdentifier=0;D6=-101;OptionalErrors=0;XaOpt=1"));
}

void ConnectionTest::malformedText() {
    QVERIFY_THROWS_EXCEPTION(DataError, parseConnectionText("UID=u;PWD={abc"));
    QVERIFY_THROWS_EXCEPTION(DataError, parseConnectionText("Extended Properties=\"UID=u"));
}

void ConnectionTest::liveConnections_data() {
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("errorPart"); // empty: must connect
    QTest::addColumn<QString>("state");     // what the failure is told apart as
    QTest::newRow("sys") << "sys"
                         << ""
                         << "";
    QTest::newRow("master") << "zemplar"
                            << ""
                            << "";
    QTest::newRow("wrong password") << "badpassword"
                                    << "password authentication failed" << kLoginRefusedState;
    QTest::newRow("unknown login") << "nobody"
                                   << "password authentication failed" << kLoginRefusedState;
    QTest::newRow("unknown database") << "nodb"
                                      << "does not exist" << kNoSuchDatabaseState;
    QTest::newRow("server down") << "down"
                                 << "No such file or directory" << kServerUnreachableState;
}

void ConnectionTest::liveConnections() {
    QFETCH(QString, what);
    QFETCH(QString, errorPart);
    QFETCH(QString, state);
    if (!db_)
        db_ = std::make_unique<TestDatabase>("conn");
    QString text;
    if (what == "badpassword")
        text = buildConnectionString(db_->socketDir(), db_->name(), "sys", "wrongpw");
    else if (what == "nobody")
        text = buildConnectionString(db_->socketDir(), db_->name(), "nobody", "whatever");
    else if (what == "nodb")
        text = buildConnectionString(db_->socketDir(), "no_such_db", "sys", "sysdemo");
    else if (what == "down")
        text = buildConnectionString("/tmp/norv-no-server-here", db_->name(), "sys", "sysdemo");
    else
        text = db_->connectionString(what);
    Connection c;
    c.setConnectionString(text);
    if (errorPart.isEmpty()) {
        c.open();
        QVERIFY(c.isOpen());
        return;
    }
    try {
        c.open();
        QFAIL("the connection opened");
    } catch (const DataError& e) {
        QVERIFY2(e.message().contains(errorPart), qPrintable(e.message()));
        QCOMPARE(e.sqlState(), state);
        QVERIFY(!c.isOpen());
    }
}

void ConnectionTest::emptyPasswordIgnoresEnvironment() {
    if (!db_)
        db_ = std::make_unique<TestDatabase>("conn");
    qputenv("PGPASSWORD", "sysdemo");
    Connection c;
    c.setConnectionString(buildConnectionString(db_->socketDir(), db_->name(), "sys", ""));
    QVERIFY_THROWS_EXCEPTION(DataError, c.open());
    QVERIFY(!c.isOpen());
}

QTEST_GUILESS_MAIN(ConnectionTest)
#include "connection_test.moc"
