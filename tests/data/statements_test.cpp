// Every statement the program holds is prepared against the schema, so a renamed table or
// column fails here first instead of in a window that happens to run it.
#include "data/connection.h"
#include "data/statement.h"
#include "data/statement_files.h"
#include "tests/support/test_database.h"

#include <QtTest>

#include <libpq-fe.h>

#include <memory>

class StatementsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void everyStatementPrepares_data();
    void everyStatementPrepares();
    void missingStatementIsAProgrammingError();

private:
    std::unique_ptr<TestDatabase> db_;
};

void StatementsTest::initTestCase() {
    db_ = std::make_unique<TestDatabase>("statements");
}

void StatementsTest::everyStatementPrepares_data() {
    QTest::addColumn<QString>("name");
    const QStringList names = data::statementNames();
    QVERIFY2(!names.isEmpty(), "the build holds no statements");
    for (const QString& name : names)
        QTest::newRow(qPrintable(name)) << name;
}

void StatementsTest::everyStatementPrepares() {
    QFETCH(QString, name);
    const QString& text = data::statementText(name);
    QVERIFY2(!text.isEmpty(), "an empty statement");
    const data::ParsedSql parsed = data::parseNamedParameters(text);
    PGconn* conn = db_->sys().requireHandle();
    // one unnamed statement at a time: each prepare replaces the one before
    data::ResultPtr prepared(PQprepare(conn, "", parsed.text.constData(), 0, nullptr));
    QVERIFY2(PQresultStatus(prepared.get()) == PGRES_COMMAND_OK,
             qPrintable(data::resultErrorMessage(prepared.get())));
    data::ResultPtr described(PQdescribePrepared(conn, ""));
    QVERIFY2(PQresultStatus(described.get()) == PGRES_COMMAND_OK,
             qPrintable(data::resultErrorMessage(described.get())));
    // every named parameter reached the server as one of its parameters
    QCOMPARE(PQnparams(described.get()), int(parsed.names.size()));
}

void StatementsTest::missingStatementIsAProgrammingError() {
    QVERIFY_THROWS_EXCEPTION(std::logic_error, data::statementText("journal/no_such_statement"));
}

QTEST_GUILESS_MAIN(StatementsTest)
#include "statements_test.moc"
