// A lost connection survived: the test's own database server is restarted between two
// actions of the journal and of the entry dialog. The action after the restart says once
// that the connection was lost and is not done; the one after that works again on a new
// connection, and a save that was interrupted leaves no position the clerk was not told of.
#include "data/data_error.h"
#include "journal/journal_window.h"
#include "seams/clock.h"
#include "tests/support/position_editor_harness.h"
#include "tests/support/recording_messages.h"
#include "tests/support/scripted_modal_runner.h"
#include "tests/support/small_shop.h"
#include "tests/support/test_database.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

class ReconnectTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void theJournalAfterARestart();
    void aSaveInterruptedByARestart();

private:
    void pg(const QString& command);
    void restartServer();

    QTemporaryDir folder_;
    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<RecordingMessages> messages_;
    std::unique_ptr<ScriptedModalRunner> modal_;
};

// A cluster of this test's own, so restarting it disturbs no other test.
void ReconnectTest::pg(const QString& command) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("NORV_PG_DIR", folder_.filePath("pg"));
    env.insert("NORV_PG_DB", "reconnect_template");
    p.setProcessEnvironment(env);
    p.start("bash", {QStringLiteral(NORV_SOURCE_DIR "/scripts/pg"), command});
    QVERIFY(p.waitForFinished(120000));
    QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
}

void ReconnectTest::restartServer() {
    pg("stop");
    pg("start");
}

void ReconnectTest::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    pg("start");
    qputenv("NORV_TEST_PGHOST", folder_.filePath("pg/run").toUtf8());
    qputenv("NORV_TEST_TEMPLATE", "reconnect_template");
    db_ = std::make_unique<TestDatabase>("reconnect");
    messages_ = std::make_unique<RecordingMessages>();
    modal_ = std::make_unique<ScriptedModalRunner>();
    seams::Clock::setFixedToday(QDate(2026, 3, 2));
    db_->exec(kSmallShopSql);
    db_->exec(kSmallShopRequisitionSql);
    db_->exec(R"(
        insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, cena, kol_vo, time) values
            ('2026-03-02', 1, 101, 500, 1, 4.5, 10, 8);
    )");
}

void ReconnectTest::cleanupTestCase() {
    seams::Clock::setFixedToday(QDate());
    db_.reset();
    pg("stop");
    QFile cluster(folder_.filePath("pg/cluster"));
    if (cluster.open(QIODevice::ReadOnly))
        QDir(QString::fromUtf8(cluster.readAll()).trimmed()).removeRecursively();
}

void ReconnectTest::theJournalAfterARestart() {
    StationJournal journal(db_->connectionString());
    journal.show();
    auto* refresh = journal.findChild<QPushButton*>("refreshButton");
    refresh->click();
    QCOMPARE(journal.shownPositions().recordCount(), 1);
    messages_->clear();

    restartServer();
    db_->sys().open(); // the test's own fixture connection, not the program's
    refresh->click();
    QCOMPARE(messages_->shown.size(), 1);
    QCOMPARE(messages_->last(), data::kConnectionLost);
    refresh->click();
    QCOMPARE(messages_->shown.size(), 1);
    QCOMPARE(journal.shownPositions().recordCount(), 1);
}

void ReconnectTest::aSaveInterruptedByARestart() {
    StationJournal journal(db_->connectionString());
    EntryWindows windows(journal.connection());
    PositionEditor& entry = windows.entry;
    journal.useEntryDialog(entry);
    journal.show();
    messages_->clear();
    QStringList said;
    modal_->then([&](QDialog* d) {
        fillEntryHeader(*modal_, d,
                        {.requisition = 7000001, .line = 7100001, .quantity = "5", .hours = "2"});

        restartServer();
        d->findChild<QPushButton*>("saveHeaderButton")->click(); // the server went away meanwhile
        said << messages_->last();
        said << QString::number(entry.positionId());
        d->findChild<QPushButton*>("saveHeaderButton")->click(); // and again
        said << QString::number(messages_->shown.size());
        said << (entry.positionId() > 0 ? "stored" : "not stored");
    });
    journal.findChild<QPushButton*>("addButton")->click();
    QCOMPARE(said, QStringList({data::kConnectionLost, "0", "1", "stored"}));
    db_->sys().open();
    QCOMPARE(db_->scalar("select count(*) from accounts_dep.smena where kol_vo = 5"), QString("1"));
    QCOMPARE(db_->timesheetText(101), QString("s1 3.2026: d2=10"));
}

QTEST_MAIN(ReconnectTest)
#include "reconnect_test.moc"
