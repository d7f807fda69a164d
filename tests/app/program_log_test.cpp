// The program's log through the real windows: a login, an error and a save of the entry dialog
// each leave one line with the login, the window, the button and the SQL state; a refused
// login and an unreachable server are written too, and no typed password ever is.
#include "app/login_dialog.h"
#include "app/startup.h"
#include "eventlog/daily_files.h"
#include "eventlog/event_log.h"
#include "journal/journal_window.h"
#include "seams/clock.h"
#include "tests/support/position_editor_harness.h"
#include "tests/support/recording_messages.h"
#include "tests/support/scripted_modal_runner.h"
#include "tests/support/small_shop.h"
#include "tests/support/test_database.h"
#include "tests/support/widget_helpers.h"
#include "ui/guard.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

namespace {

// A rule that makes every new position fail as a broken server would.
const char* const kFailingInsert = R"(
    create or replace function accounts_dep.test_fail() returns trigger language plpgsql as $$
    begin
        raise exception 'could not write block 7 of relation smena' using errcode = '58030';
    end $$;
    create trigger test_fail before insert on accounts_dep.smena
        for each row execute function accounts_dep.test_fail();
)";

} // namespace

class ProgramLogTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void aLoginAnErrorAndASave();
    void anAcceptanceADeletionAndARebuild();
    void noPasswordReachesTheLog();

private:
    // Logs in through the login window; the journal script runs while the journal is shown.
    void logIn(const AppArguments& args, const QString& name, const QString& password,
               const ScriptedModalRunner::Script& inJournal = {});
    // Every line of the log's files, without the time.
    QStringList logLines() const;
    QString allLogText() const;
    AppArguments arguments(const QString& server) const {
        return AppArguments{server, db_->name(), folder_.filePath("none.conf")};
    }

    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<RecordingMessages> messages_;
    std::unique_ptr<ScriptedModalRunner> modal_;
    QTemporaryDir folder_;
    QString logFolder_;
};

void ProgramLogTest::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    db_ = std::make_unique<TestDatabase>("program_log");
    db_->exec(kSmallShopSql);
    db_->exec(kSmallShopRequisitionSql);
    messages_ = std::make_unique<RecordingMessages>();
    logFolder_ = folder_.filePath("state/norv_smena");
    eventlog::writeToFiles(logFolder_);
}

void ProgramLogTest::cleanupTestCase() {
    eventlog::useProgramSink(nullptr);
    seams::Clock::setFixedToday(QDate());
}

void ProgramLogTest::init() {
    QDir(logFolder_).removeRecursively();
    messages_->clear();
    modal_ = std::make_unique<ScriptedModalRunner>();
    seams::Clock::setFixedToday(QDate(2026, 3, 2));
}

void ProgramLogTest::logIn(const AppArguments& args, const QString& name, const QString& password,
                           const ScriptedModalRunner::Script& inJournal) {
    Program program(args);
    LoginDialog& login = program.login();
    login.findChild<QLineEdit*>("loginEdit")->setText(name);
    login.findChild<QLineEdit*>("passwordEdit")->setText(password);
    if (inJournal)
        modal_->then(inJournal);
    login.findChild<QPushButton*>("loginButton")->click();
}

QStringList ProgramLogTest::logLines() const {
    QStringList lines;
    const QDir dir(logFolder_);
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n'))
                if (!line.isEmpty())
                    lines << line.section(u'\t', 1);
    }
    return lines;
}

QString ProgramLogTest::allLogText() const {
    return logLines().join(u'\n');
}

// The error and the save are clicked with the mouse, as a person would.
void ProgramLogTest::aLoginAnErrorAndASave() {
    int stored = 0;
    logIn(arguments(db_->socketDir()), "petrova", TestDatabase::passwordOf("petrova"),
          [&](QDialog* journal) {
              modal_->then([&](QDialog* entry) {
                  QCOMPARE(
                      fillEntryHeader(
                          *modal_, entry,
                          {.requisition = 7000001, .line = 7100001, .quantity = "5", .hours = "2"}),
                      QString());
                  db_->exec(kFailingInsert);
                  QTest::mouseClick(button(entry, "saveHeaderButton"), Qt::LeftButton);
                  db_->exec("drop trigger test_fail on accounts_dep.smena");
                  QTest::mouseClick(button(entry, "saveHeaderButton"), Qt::LeftButton);
                  stored = entry->findChild<QLabel*>("positionIdLabel")->text().toInt();
              });
              QTest::mouseClick(button(journal, "addButton"), Qt::LeftButton);
          });
    QVERIFY(stored > 0);
    QCOMPARE(messages_->shown.size(), 1);
    QCOMPARE(messages_->shown[0].text, ui::kStatementFailed);

    const QStringList lines = logLines();
    QCOMPARE(lines.size(), 3);
    const QString entry = "\tpetrova\tЗаведение новой позиции\tЗапись\t";
    QVERIFY2(lines[0].startsWith("вход\tpetrova\tАвторизация (build: "), qPrintable(lines[0]));
    QVERIFY2(lines[0].endsWith("\tВход\t-\tnorv_smena " NORV_VERSION "; сервер " +
                               db_->socketDir() + ", БД " + db_->name()),
             qPrintable(lines[0]));
    QCOMPARE(lines[1], "ошибка" + entry + "58030\tcould not write block 7 of relation smena");
    QCOMPARE(lines[2], "запись" + entry +
                           QString("-\tновая позиция %1: рабочий 101, изделие 500, операция 1, "
                                   "02.03.2026, смена 1, кол-во 5, брак 0, часы 2, цена 4.5, "
                                   "заявка 7000001, строка 7100001")
                               .arg(stored));
    QVERIFY(!allLogText().contains(TestDatabase::passwordOf("petrova")));
}

// The journal's own changes and the time-sheet's rebuild, each by its button.
void ProgramLogTest::anAcceptanceADeletionAndARebuild() {
    const auto position = [&](int worker) {
        return db_
            ->scalar(QStringLiteral("insert into accounts_dep.smena(data, smena, w_id, i_id, "
                                    "o_id, cena, kol_vo, time, ok) values ('2026-03-02', 1, "
                                    "%1, 500, 1, 4.5, 10, 8, 'no') returning id")
                         .arg(worker))
            .toInt();
    };
    db_->exec("insert into cmn_contractor.person(id, s_code, s_caption) values "
              "(11, '102', 'Петров П.П.') on conflict do nothing");
    const int accepted = position(101);
    const int deleted = position(102);
    db_->exec(QStringLiteral("insert into accounts_dep.smena_gds_use(id_smena, id_gds_use, "
                             "f_qty_use) values (%1, 3000001, 1.5)")
                  .arg(accepted));
    QString journalTitle;
    logIn(arguments(db_->socketDir()), "sys", TestDatabase::passwordOf("sys"),
          [&](QDialog* journal) {
              journalTitle = journal->windowTitle();
              auto& shown = qobject_cast<JournalWindow*>(journal)->shownPositions();
              QVERIFY(shown.locate("id", accepted));
              QTest::mouseClick(button(journal, "acceptButton"), Qt::LeftButton);
              QVERIFY(shown.locate("id", deleted));
              QTest::mouseClick(button(journal, "deleteButton"), Qt::LeftButton);
              modal_->then([&](QDialog* sheet) {
                  QTest::mouseClick(button(sheet, "rebuildButton"), Qt::LeftButton);
              });
              journal->findChild<QAction*>("timesheetAction")->trigger();
          });
    QVERIFY2(messages_->shown.size() == 1, qPrintable(messages_->last())); // "Удалить позицию?"
    const QStringList lines = logLines();
    QCOMPARE(lines.size(), 4);
    const QString journal = "	sys	" + journalTitle + "	";
    QCOMPARE(lines[1], "приёмка" + journal +
                           QString("Принять	-	позиция %1: Иванов И.И., КМ-120, Сборка, "
                                   "02.03.2026")
                               .arg(accepted));
    QCOMPARE(lines[2], "удаление" + journal +
                           QString("Удалить	-	позиция %1: Петров П.П., КМ-120, Сборка, "
                                   "02.03.2026")
                               .arg(deleted));
    QVERIFY2(lines[3].startsWith("перестройка	sys	Табель по времени"), qPrintable(lines[3]));
    QVERIFY2(lines[3].endsWith("	Перестроить	-	табель за 03.2026"),
             qPrintable(lines[3]));
}

// A wrong password and a server that is not there: both told and written, neither password.
void ProgramLogTest::noPasswordReachesTheLog() {
    const QString wrong = "Wr0ng-Passw0rd";
    const QString elsewhere = "Unre4chable-Secret";
    logIn(arguments(db_->socketDir()), "petrova", wrong);
    logIn(arguments("/tmp/norv-no-server-here"), "petrova", elsewhere);
    QCOMPARE(messages_->shown.size(), 2);
    const QStringList lines = logLines();
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines[0].startsWith("отказ\tpetrova\tАвторизация (build: "), qPrintable(lines[0]));
    QVERIFY2(lines[0].contains("\tВход\t28000\t" + LoginDialog::kLoginRefused + " | "),
             qPrintable(lines[0]));
    QVERIFY2(lines[1].startsWith("ошибка\tpetrova\t"), qPrintable(lines[1]));
    QVERIFY2(lines[1].contains("\t08001\tПодключение к БД отсутсвует (сервер: "
                               "/tmp/norv-no-server-here"),
             qPrintable(lines[1]));
    const QString text = allLogText();
    QVERIFY(!text.contains(wrong));
    QVERIFY(!text.contains(elsewhere));
}

QTEST_MAIN(ProgramLogTest)
#include "program_log_test.moc"
