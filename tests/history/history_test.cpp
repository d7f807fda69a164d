// The history as a person reads it: a row for each kind of change with its login and values,
// a deleted position restored from its row (and its day cell back), who is offered the
// history at all, and the command line's export of a period.
#include "app/report_cli.h"
#include "history/history_data.h"
#include "history/history_window.h"
#include "journal/journal_window.h"
#include "journal/positions.h"

#include "data/data_error.h"
#include "tests/support/recording_messages.h"
#include "tests/support/small_shop.h"
#include "tests/support/test_database.h"
#include "tests/support/xlsx_reader.h"
#include "ui/login_role.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

namespace {

// Material 3000001 beside the small shop, and a second worker for a brigade.
const QString kShopSql = kSmallShopSql + QStringLiteral(R"(
    insert into cmn_contractor.person(id, s_code, s_caption) values (11, '102', 'Петров П.П.');
    insert into cmn_gds_and_srv.gds(id, s_group_tmc, s_code, s_caption, s_full_caption)
        values (3000001, 'Металл', 'Л2', 'Лист 2 мм', 'Лист стальной 2 мм');
)");

const QString kInsertPosition = QStringLiteral(
    "insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time) "
    "values ('2026-03-02', 1, 101, 500, 1, 4.5, 10, 0, 8) returning id");

// The latest row of what, as "login|change|change…".
QString changesOf(const std::vector<history::HistoryEntry>& entries, const QString& what) {
    for (auto e = entries.rbegin(); e != entries.rend(); ++e)
        if (e->what == what)
            return e->login + u'|' + e->changes.join(u'|');
    return QStringLiteral("no «%1» among %2 rows").arg(what).arg(entries.size());
}

} // namespace

class HistoryTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void init();
    void cleanup();
    void eachChangeIsTold_data();
    void eachChangeIsTold();
    void aDeletedPositionComesBack();
    void onlyTheAdministratorRestores();
    void aClerkIsOfferedNoHistory_data();
    void aClerkIsOfferedNoHistory();
    void theCommandLineWritesThePeriod();

private:
    int positionBy(const QString& login);
    std::unique_ptr<TestDatabase> db_;
};

void HistoryTest::init() {
    db_ = std::make_unique<TestDatabase>(QStringLiteral("history"));
    db_->exec(kShopSql);
}

void HistoryTest::cleanup() {
    db_.reset();
}

int HistoryTest::positionBy(const QString& login) {
    OpenConnection clerk(db_->connectionString(login));
    return readScalar(clerk, kInsertPosition).toInt();
}

// Each change written by a login is a row of the position's or the operation's history, in
// Russian, with the login and the values.
void HistoryTest::eachChangeIsTold_data() {
    QTest::addColumn<QString>("change"); // :p is the position's id
    QTest::addColumn<bool>("ofOperation");
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("told");

    QTest::newRow("a position saved")
        << "select 1" << false << "Позиция добавлена"
        << "petrova|Дата: 02.03.2026|Смена: 1|Рабочий: 101 Иванов И.И.|Изделие: КМ-120|"
           "Операция: КМ-120; Сборка|Количество: 10|Брак: 0|Часы: 8|Цена: 4,5|Принята: нет";
    QTest::newRow("a position changed")
        << "update accounts_dep.smena set kol_vo = 12, brak = 1, w_id = 102 where id = :p" << false
        << "Позиция изменена"
        << "petrova|Рабочий: 101 Иванов И.И. → 102 Петров П.П.|Количество: 10 → 12|Брак: 0 → 1";
    QTest::newRow("a position deleted: its last state")
        << "delete from accounts_dep.smena where id = :p" << false << "Позиция удалена"
        << "petrova|Дата: 02.03.2026|Смена: 1|Рабочий: 101 Иванов И.И.|Изделие: КМ-120|"
           "Операция: КМ-120; Сборка|Количество: 10|Брак: 0|Часы: 8|Цена: 4,5|Принята: нет";
    QTest::newRow("a material added")
        << "insert into accounts_dep.smena_gds_use(id_smena, id_gds_use, f_qty_use) "
           "values (:p, 3000001, 2.5)"
        << false << "Материал добавлен"
        << "petrova|Материал: Лист 2 мм|Расход: 2,5|Партия: пусто";
    QTest::newRow("a material deleted")
        << "insert into accounts_dep.smena_gds_use(id_smena, id_gds_use, f_qty_use) "
           "values (:p, 3000001, 2.5); delete from accounts_dep.smena_gds_use"
        << false << "Материал удалён"
        << "petrova|Материал: Лист 2 мм|Расход: 2,5|Партия: пусто";
    QTest::newRow("a brigade member added")
        << "insert into accounts_dep.person_temp(id_smena, id_person) values (:p, 11)" << false
        << "Бригада: добавлен член бригады"
        << "petrova|Член бригады: Петров П.П.";
    QTest::newRow("an operation's price changed")
        << "update accounts_dep.norm set price = 5 where o_id = 1" << true << "Норма изменена"
        << "petrova|Цена: 4,5 → 5";
    QTest::newRow("an operation type added and given to the operation")
        << "insert into accounts_dep.vid_oper(id, vid) values (2, 'Покраска'); "
           "update accounts_dep.oper set vid = 2 where id = 1"
        << true << "Вид операции добавлен"
        << "petrova|Название: Покраска";
    QTest::newRow("the operation changed")
        << "insert into accounts_dep.vid_oper(id, vid) values (2, 'Покраска'); "
           "update accounts_dep.oper set vid = 2 where id = 1"
        << true << "Операция изменена"
        << "petrova|Вид операции: Сборка → Покраска";
}

void HistoryTest::eachChangeIsTold() {
    QFETCH(QString, change);
    QFETCH(bool, ofOperation);
    QFETCH(QString, what);
    QFETCH(QString, told);
    const int position = positionBy(QStringLiteral("petrova"));
    {
        OpenConnection clerk(db_->connectionString(QStringLiteral("petrova")));
        for (const QString& statement : change.split(QStringLiteral("; ")))
            readScalar(clerk,
                       QString(statement).replace(QStringLiteral(":p"), QString::number(position)));
    }
    OpenConnection reader(db_->connectionString(QStringLiteral("econom")));
    history::HistoryData data(reader);
    HistoryWindow window(data);
    if (ofOperation)
        window.readOperation(1);
    else
        window.readPosition(position);
    QCOMPARE(qPrintable(changesOf(window.entries(), what)), qPrintable(told));
    // the grid shows them oldest first, the time as the journal shows a time
    auto* grid = window.findChild<QTableView*>();
    const int rows = grid->model()->rowCount();
    QVERIFY(rows >= 1);
    QCOMPARE(grid->model()->index(rows - 1, 3).data().toString(), window.entries().back().what);
    QVERIFY(QDateTime::fromString(grid->model()->index(0, 0).data().toString(),
                                  QStringLiteral("dd.MM.yyyy HH:mm:ss"))
                .isValid());
}

// The administrator restores a deletion from its row: the position with its id and values,
// and its day cell; the row is then offered no more.
void HistoryTest::aDeletedPositionComesBack() {
    OpenConnection admin(db_->connectionString(QStringLiteral("sys")));
    const int position = readScalar(admin, kInsertPosition).toInt();
    readScalar(admin, QStringLiteral("delete from accounts_dep.smena where id = %1").arg(position));
    QCOMPARE(db_->timesheetText(101), QString());

    history::HistoryData data(admin);
    HistoryWindow window(data);
    window.useRestoreRight([] { return true; });
    window.readDeletedPositions(QDate(2026, 3, 2));
    QCOMPARE(int(window.entries().size()), 1);
    auto* restore = window.findChild<QPushButton*>(QStringLiteral("restoreButton"));
    QVERIFY(restore->isEnabled());
    RecordingMessages messages;
    restore->click();
    QCOMPARE(messages.shown.size(), 1); // the question, answered yes
    QCOMPARE(db_->scalar(QStringLiteral("select w_id || ':' || kol_vo || ':' || time from "
                                        "accounts_dep.smena where id = %1")
                             .arg(position)),
             QString("101:10:8"));
    QCOMPARE(db_->timesheetText(101), QString("s1 3.2026: d2=8"));
    QVERIFY(!restore->isEnabled());

    window.readPosition(position);
    QCOMPARE(window.entries().back().what, QString("Позиция восстановлена"));
    // what a person sees, to look at
    if (const QString out = qEnvironmentVariable("TEST_OUTPUT_DIR"); QDir().mkpath(out)) {
        window.resize(1000, 360);
        window.grab().save(out + QStringLiteral("/history_window.png"));
    }
    QCOMPARE(window.entries().back().login, QString("sys"));
}

// A master reads the history but is offered no restore; the database would refuse it too.
void HistoryTest::onlyTheAdministratorRestores() {
    const int position = positionBy(QStringLiteral("petrova"));
    db_->exec(QStringLiteral("delete from accounts_dep.smena where id = %1").arg(position));
    OpenConnection master(db_->connectionString(QStringLiteral("zemplar")));
    history::HistoryData data(master);
    HistoryWindow window(data);
    window.useRestoreRight([] { return false; });
    window.readPosition(position);
    QCOMPARE(window.entries().back().what, QString("Позиция удалена"));
    QVERIFY(window.findChild<QPushButton*>(QStringLiteral("restoreButton"))->isHidden());
    QVERIFY_THROWS_EXCEPTION(data::DataError, data.restorePosition(window.entries().back().id));
    QCOMPARE(db_->scalar(QStringLiteral("select count(*) from accounts_dep.smena")), QString("0"));
}

// The journal offers "История" to those the database lets read it.
void HistoryTest::aClerkIsOfferedNoHistory_data() {
    QTest::addColumn<ui::LoginRole>("role");
    QTest::addColumn<bool>("offered");
    QTest::newRow("clerk") << ui::LoginRole::Clerk << false;
    QTest::newRow("master") << ui::LoginRole::Master << true;
    QTest::newRow("economist") << ui::LoginRole::Economist << true;
    QTest::newRow("administrator") << ui::LoginRole::Administrator << true;
}

void HistoryTest::aClerkIsOfferedNoHistory() {
    QFETCH(ui::LoginRole, role);
    QFETCH(bool, offered);
    data::Connection connection;
    journal::Positions positions(connection);
    JournalWindow journal(connection, positions);
    journal.applyRights(ui::journalRights(role));
    QCOMPARE(!journal.findChild<QPushButton*>(QStringLiteral("historyButton"))->isHidden(),
             offered);
    QCOMPARE(journal.findChild<QAction*>(QStringLiteral("deletedPositionsAction"))->isVisible(),
             offered);
}

// norv_report … history: a row per change of the period, in the window's words; a clerk's
// request is refused and leaves no file.
void HistoryTest::theCommandLineWritesThePeriod() {
    const int position = positionBy(QStringLiteral("petrova"));
    {
        OpenConnection clerk(db_->connectionString(QStringLiteral("petrova")));
        readScalar(clerk, QStringLiteral("update accounts_dep.smena set kol_vo = 12 where id = %1")
                              .arg(position));
    }
    db_->exec(QStringLiteral("insert into accounts_dep.history(at, subject, action, old, new, "
                             "login) values ('2020-01-01', 'smena', 'update', '{\"brak\": 0}', "
                             "'{\"brak\": 5}', 'old_login')"));
    QTemporaryDir dir;
    const QDate today = QDate::currentDate();
    const auto request = [&](const QString& user) {
        cli::Request r;
        r.server = db_->socketDir();
        r.database = db_->name();
        r.user = user;
        r.report = QStringLiteral("history");
        r.period.from = today.addDays(-1);
        r.period.to = today.addDays(2);
        r.xlsx = dir.filePath(user + QStringLiteral(".xlsx"));
        return r;
    };
    QString messages;
    QTextStream err(&messages);
    QCOMPARE(
        cli::run(request(QStringLiteral("econom")), TestDatabase::passwordOf("econom"), err, false),
        int(cli::kDone));
    XlsxReader sheet;
    QVERIFY2(sheet.load(dir.filePath(QStringLiteral("econom.xlsx"))), qPrintable(sheet.error()));
    QCOMPARE(sheet.text(1, 1) + u'|' + sheet.text(1, 4) + u'|' + sheet.text(1, 5),
             QString("Когда|Что|Изменения"));
    QStringList rows;
    for (int row = 2; !sheet.text(row, 1).isEmpty(); ++row)
        rows << sheet.text(row, 2) + u'|' + sheet.text(row, 4) + u'|' + sheet.text(row, 5);
    QVERIFY2(rows.size() >= 2, qPrintable(rows.join(u'\n')));
    QVERIFY(rows.at(rows.size() - 2)
                .startsWith(QStringLiteral("petrova|Позиция добавлена|Дата: 02.03.2026")));
    QCOMPARE(rows.last(), QString("petrova|Позиция изменена|Количество: 10 → 12"));
    // the change of 2020 is outside the period
    QVERIFY(!rows.join(u'\n').contains(QStringLiteral("old_login")));

    QCOMPARE(cli::run(request(QStringLiteral("petrova")), TestDatabase::passwordOf("petrova"), err,
                      false),
             int(cli::kLoginFailed));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("petrova.xlsx"))));
    QVERIFY2(messages.contains(QStringLiteral("нет права её читать")), qPrintable(messages));
}

QTEST_MAIN(HistoryTest)
#include "history_test.moc"
