// The program's log: a line per entry with its seven fields, no password in any of them, one
// file a day with the files of more than 30 days before removed, and a folder that cannot be
// written costs the line, not the work.
#include "eventlog/daily_files.h"
#include "eventlog/event_log.h"
#include "seams/clock.h"
#include "tests/support/recording_log.h"

#include <QtTest>

#include <utility>

namespace {

QStringList linesOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

eventlog::Entry at(const QDate& day, const QString& message) {
    return {.kind = eventlog::Kind::Save,
            .window = "Табель по времени",
            .action = "Перестроить",
            .message = message,
            .login = "petrova",
            .time = QDateTime(day, QTime(10, 15, 2))};
}

} // namespace

class EventLogTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void aLineHasSevenFields_data();
    void aLineHasSevenFields();
    void passwordsAreTakenOut_data();
    void passwordsAreTakenOut();
    void anEntryGetsTheTimeAndTheLogin();
    void oneFileADayKeptThirtyDays();
    void aFolderThatCannotBeWrittenCostsOnlyTheLine();
    void theFolderFollowsXdgStateHome_data();
    void theFolderFollowsXdgStateHome();
};

void EventLogTest::cleanup() {
    seams::Clock::setFixedToday(QDate());
    eventlog::setLogin(QString());
}

void EventLogTest::aLineHasSevenFields_data() {
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("sqlState");
    QTest::addColumn<QString>("line");
    const QString head = "2026-03-02 10:15:02\tзапись\t";
    QTest::newRow("a save") << "petrova"
                            << "позиция 12"
                            << "" << head + "petrova\tОкно\tЗапись\t-\tпозиция 12";
    QTest::newRow("the server's lines of an error")
        << "petrova"
        << "relation \"x\" does not exist\nLINE 1: select"
        << "42P01"
        << head + "petrova\tОкно\tЗапись\t42P01\trelation \"x\" does not exist | LINE 1: select";
    // a typed text cannot start a line or a field of its own
    QTest::newRow("a name with a line break and a tab")
        << "ivanov\n2026-03-02 10:00:00\tвход\tsys"
        << ""
        << "" << head + "ivanov | 2026-03-02 10:00:00 вход sys\tОкно\tЗапись\t-\t-";
    QTest::newRow("no login yet") << ""
                                  << "x"
                                  << "" << head + "-\tОкно\tЗапись\t-\tx";
}

void EventLogTest::aLineHasSevenFields() {
    QFETCH(QString, login);
    QFETCH(QString, message);
    QFETCH(QString, sqlState);
    QFETCH(QString, line);
    const eventlog::Entry entry{.kind = eventlog::Kind::Save,
                                .window = "Окно",
                                .action = "Запись",
                                .message = message,
                                .sqlState = sqlState,
                                .login = login,
                                .time = QDateTime(QDate(2026, 3, 2), QTime(10, 15, 2))};
    QCOMPARE(eventlog::lineText(entry), line);
    QCOMPARE(eventlog::lineText(entry).split(u'\t').size(), 7);
}

void EventLogTest::passwordsAreTakenOut_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("logged");
    QTest::newRow("a connection text")
        << "DATABASE=erp;SERVER=db;UID=sys;PWD=Secr3t-word;SSLmode=allow"
        << "DATABASE=erp;SERVER=db;UID=sys;PWD=***;SSLmode=allow";
    QTest::newRow("braced, with ; and }") << "UID=sys;pwd={a;b}}c};PORT=5432"
                                          << "UID=sys;pwd=***;PORT=5432";
    QTest::newRow("libpq keywords") << "host=db user=sys password='two words' dbname=erp"
                                    << "host=db user=sys password=*** dbname=erp";
    QTest::newRow("ADO's Password") << "User ID=sys;Password=\"x;y\";Persist Security Info=True"
                                    << "User ID=sys;Password=***;Persist Security Info=True";
    QTest::newRow("the typed password anywhere") << "FATAL: role \"hunter2-typed\" does not exist"
                                                 << "FATAL: role \"***\" does not exist";
    QTest::newRow("the word alone") << "password authentication failed for user \"sys\""
                                    << "password authentication failed for user \"sys\"";
}

void EventLogTest::passwordsAreTakenOut() {
    QFETCH(QString, text);
    QFETCH(QString, logged);
    eventlog::hideText("hunter2-typed");
    QCOMPARE(eventlog::withoutSecrets(text), logged);
}

// Every field goes through the same rules, the login too: a password typed as the name.
void EventLogTest::anEntryGetsTheTimeAndTheLogin() {
    RecordingLog sink;
    seams::Clock::setFixedToday(QDate(2026, 3, 2));
    eventlog::setLogin("petrova");
    eventlog::hideText("petrova-pass");
    eventlog::write({.kind = eventlog::Kind::Error,
                     .window = "Табель",
                     .action = "Обновить",
                     .message = "SERVER=db;PWD=petrova-pass",
                     .sqlState = "08006"});
    eventlog::write({.kind = eventlog::Kind::Error, .login = "petrova-pass"});
    QCOMPARE(sink.entries.size(), 2);
    const eventlog::Entry& e = sink.entries[0];
    QCOMPARE(e.time.date(), QDate(2026, 3, 2));
    QCOMPARE(e.login, QString("petrova"));
    QCOMPARE(e.message, QString("SERVER=db;PWD=***"));
    QCOMPARE(e.sqlState, QString("08006"));
    QCOMPARE(sink.entries[1].login, QString("***"));
}

void EventLogTest::oneFileADayKeptThirtyDays() {
    QTemporaryDir home;
    const QString folder = home.filePath("state/norv_smena");
    eventlog::DailyFiles files(folder);
    const QDate today(2026, 3, 31);
    // what earlier days left, and what is not the log's
    QVERIFY(QDir().mkpath(folder));
    for (const char* name : {"norv_smena-2026-02-28.log", "norv_smena-2026-03-01.log",
                             "norv_smena-2026-03-30.log", "notes.txt", "norv_smena-old.log"}) {
        QFile file(folder + "/" + QString::fromUtf8(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    files.write(at(today, "first"));
    files.write(at(today, "second"));
    QDir dir(folder);
    // on 31 March the files of 1 March on stay
    QCOMPARE(dir.entryList(QDir::Files, QDir::Name),
             QStringList({"norv_smena-2026-03-01.log", "norv_smena-2026-03-30.log",
                          "norv_smena-2026-03-31.log", "norv_smena-old.log", "notes.txt"}));
    QCOMPARE(linesOf(files.fileOf(today)), QStringList({eventlog::lineText(at(today, "first")),
                                                        eventlog::lineText(at(today, "second"))}));
    // the next day's first entry opens its own file and takes 1 March away
    files.write(at(today.addDays(1), "next day"));
    QCOMPARE(dir.entryList(QDir::Files, QDir::Name),
             QStringList({"norv_smena-2026-03-30.log", "norv_smena-2026-03-31.log",
                          "norv_smena-2026-04-01.log", "norv_smena-old.log", "notes.txt"}));
    QCOMPARE(linesOf(files.fileOf(today.addDays(1))).size(), 1);
    QCOMPARE(QFile::permissions(files.fileOf(today)) & 0x0077, QFile::Permissions());
}

void EventLogTest::aFolderThatCannotBeWrittenCostsOnlyTheLine() {
    QTemporaryDir home;
    QFile blocker(home.filePath("state"));
    QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
    eventlog::DailyFiles files(home.filePath("state/norv_smena"));
    eventlog::install(&files);
    eventlog::write({.kind = eventlog::Kind::Error, .message = "lost"});
    eventlog::install(nullptr);
    QVERIFY(!QFile::exists(files.fileOf(QDate::currentDate())));
}

void EventLogTest::theFolderFollowsXdgStateHome_data() {
    QTest::addColumn<QByteArray>("stateHome");
    QTest::addColumn<QString>("folder");
    QTest::newRow("set") << QByteArray("/var/tmp/state") << "/var/tmp/state/norv_smena";
    QTest::newRow("unset") << QByteArray() << QDir::homePath() + "/.local/state/norv_smena";
    QTest::newRow("relative, ignored")
        << QByteArray("state") << QDir::homePath() + "/.local/state/norv_smena";
}

void EventLogTest::theFolderFollowsXdgStateHome() {
    QFETCH(QByteArray, stateHome);
    QFETCH(QString, folder);
    const bool wasSet = qEnvironmentVariableIsSet("XDG_STATE_HOME");
    const QByteArray before = qgetenv("XDG_STATE_HOME");
    if (stateHome.isNull())
        qunsetenv("XDG_STATE_HOME");
    else
        qputenv("XDG_STATE_HOME", stateHome);
    const QString found = eventlog::defaultFolder();
    if (wasSet)
        qputenv("XDG_STATE_HOME", before);
    else
        qunsetenv("XDG_STATE_HOME");
    QCOMPARE(found, folder);
}

QTEST_GUILESS_MAIN(EventLogTest)
#include "event_log_test.moc"
