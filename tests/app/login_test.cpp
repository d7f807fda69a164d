// The login: the server checks every name and password, with or without command-line
// arguments; the role comes from the login's groups; the site settings file and the
// arguments choose the database; a refused login leaves the window open for another try.
#include "app/login_dialog.h"
#include "app/startup.h"
#include "data/connection_text.h"
#include "data/dataset.h"
#include "data/schema_version.h"
#include "journal/journal_window.h"
#include "tests/support/recording_messages.h"
#include "tests/support/scripted_modal_runner.h"
#include "tests/support/test_database.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <optional>

namespace {

// Controls of the role table, in the order of the expected strings below.
const QStringList kControls{
    "addButton",       "editButton",     "deleteButton",  "acceptButton",  "directoriesMenu",
    "timesheetAction", "reportsMenu",    "shift1Radio",   "shift2Radio",   "shift3Radio",
    "overtimeRadio",   "dayOffCheck",    "refreshButton", "positionsView", "journalDateEdit",
    "workersAction",   "productsAction", "exitButton",    "exitAction"};

//                        B1B2B3B5N2N11N7 R1-4 CB B8 G D N1N3 B4N5
const QString kMaster = "0001000"
                        "1111"
                        "1111"
                        "00"
                        "11";
const QString kAdministrator = "1111111"
                               "1111"
                               "1111"
                               "00"
                               "11";
const QString kEconomist = "0000011"
                           "0000"
                           "0000"
                           "00"
                           "11";
const QString kClerk = "1110111"
                       "1111"
                       "1111"
                       "00"
                       "11";

QString enabledStates(JournalWindow& journal) {
    QString states;
    for (const QString& name : kControls) {
        // menus are disabled through their menu-bar action
        if (QAction* a = journal.findChild<QAction*>(name))
            states += a->isEnabled() ? u'1' : u'0';
        else if (QWidget* w = journal.findChild<QWidget*>(name))
            states += w->isEnabled() ? u'1' : u'0';
        else
            states += u'?';
    }
    return states;
}

} // namespace

class LoginTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void logins_data();
    void logins();
    void rolesFollowTheGroups_data();
    void rolesFollowTheGroups();
    void theSiteSettingsChooseTheDatabase();
    void anUnreachableServerIsNamed();
    void typedValuesCannotChangeTheConnectionText();
    void enterAndEscape();
    void aDatabaseOfAnotherVersionIsRefused_data();
    void aDatabaseOfAnotherVersionIsRefused();

private:
    struct Outcome {
        bool journalShown = false;
        QString states;
        QString caption;
        QString connectedAs; // session_user of the journal's connection
        bool loginVisibleAfter = true;
        QString passwordLeft; // what the password box holds afterwards
    };
    Outcome login(const AppArguments& args, const QString& name, const QString& password);
    // The test database given by a settings file (no arguments) or by the two arguments
    // (with a settings file that does not exist).
    AppArguments arguments(bool fromCommandLine) const;

    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<RecordingMessages> messages_;
    std::unique_ptr<ScriptedModalRunner> runner_;
    QTemporaryDir folder_;
    QString settingsFile_;
};

void LoginTest::initTestCase() {
    db_ = std::make_unique<TestDatabase>("login");
    messages_ = std::make_unique<RecordingMessages>();
    runner_ = std::make_unique<ScriptedModalRunner>();
    settingsFile_ = folder_.filePath("norv-smena.conf");
    QFile file(settingsFile_);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QString("; a workstation of the test database\n[General]\nserver=%1\nport=5432\n"
                       "database=%2\nsslmode=prefer\n")
                   .arg(db_->socketDir(), db_->name())
                   .toUtf8());
}

void LoginTest::cleanupTestCase() {
    runner_.reset();
    messages_.reset();
}

AppArguments LoginTest::arguments(bool fromCommandLine) const {
    if (fromCommandLine)
        return AppArguments{db_->socketDir(), db_->name(), folder_.filePath("none.conf")};
    return AppArguments{{}, {}, settingsFile_};
}

LoginTest::Outcome LoginTest::login(const AppArguments& args, const QString& name,
                                    const QString& password) {
    Outcome outcome;
    Program program(args);
    LoginDialog& login = program.login();
    login.show();
    login.findChild<QLineEdit*>("loginEdit")->setText(name);
    login.findChild<QLineEdit*>("passwordEdit")->setText(password);
    runner_->then([&](QDialog* d) {
        auto* journal = qobject_cast<JournalWindow*>(d);
        outcome.journalShown = journal != nullptr;
        outcome.states = enabledStates(*journal);
        outcome.caption = journal->windowTitle();
        data::Dataset who(&journal->connection(), "who");
        who.setSql("select session_user::text as who");
        who.open();
        outcome.connectedAs = who.asString("who");
        QVERIFY(!login.isVisible());
    });
    login.findChild<QPushButton*>("loginButton")->click();
    if (runner_->pending() > 0) // the journal was never shown
        runner_ = std::make_unique<ScriptedModalRunner>();
    outcome.loginVisibleAfter = login.isVisible();
    outcome.passwordLeft = login.findChild<QLineEdit*>("passwordEdit")->text();
    return outcome;
}

// Each name and password, without arguments (the settings file) and with both arguments:
// the typed values are the database's credentials either way.
void LoginTest::logins_data() {
    QTest::addColumn<bool>("fromCommandLine");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("states"); // empty: refused with the message
    QTest::addColumn<QString>("message");
    const QString refused = LoginDialog::kLoginRefused;
    for (const bool args : {false, true}) {
        const char* how = args ? "arguments: " : "settings file: ";
        const auto row = [&](const char* what) {
            return &QTest::newRow((QByteArray(how) + what).constData());
        };
        *row("administrator") << args << "sys"
                              << "sysdemo" << kAdministrator << "";
        *row("master") << args << "zemplar"
                       << "zemplar-demo" << kMaster << "";
        *row("economist") << args << "econom"
                          << "econom-demo" << kEconomist << "";
        *row("clerk") << args << "petrova"
                      << "petrova-demo" << kClerk << "";
        *row("blanks around name and password") << args << "  sys \t"
                                                << " sysdemo " << kAdministrator << "";
        *row("wrong password") << args << "zemplar"
                               << "wrong"
                               << "" << refused;
        *row("any name, any password") << args << "nobody"
                                       << "whatever"
                                       << "" << refused;
        *row("empty name and password") << args << ""
                                        << ""
                                        << "" << refused;
        *row("another login's password") << args << "sys"
                                         << "econom-demo"
                                         << "" << refused;
        // role names are case-sensitive: there is no login "SYS"
        *row("name in upper case") << args << "SYS"
                                   << "sysdemo"
                                   << "" << refused;
        // the four digits that once gave sys to any name are a password like any other
        *row("the old service code") << args << "zemplar"
                                     << "4321"
                                     << "" << refused;
        *row("the old service code, no name") << args << ""
                                              << "4321"
                                              << "" << refused;
    }
}

void LoginTest::logins() {
    QFETCH(bool, fromCommandLine);
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(QString, states);
    QFETCH(QString, message);
    messages_->clear();
    const Outcome o = login(arguments(fromCommandLine), name, password);
    if (states.isEmpty()) {
        QVERIFY(!o.journalShown);
        QCOMPARE(messages_->shown.size(), 1);
        QCOMPARE(messages_->shown[0].text, message);
        QCOMPARE(messages_->shown[0].caption, QString("Ошибка"));
        QVERIFY(o.loginVisibleAfter); // another try
        QVERIFY(o.passwordLeft.isEmpty());
        return;
    }
    QVERIFY2(o.journalShown, qPrintable(messages_->last()));
    QVERIFY2(messages_->shown.isEmpty(), qPrintable(messages_->last()));
    QCOMPARE(o.states, states);
    QCOMPARE(o.connectedAs, name.trimmed());
    QCOMPARE(o.caption, states == kEconomist
                            ? QString("Табель")
                            : "Табель (Сервер: " + db_->socketDir() + ", БД: " + db_->name() + ")");
    QVERIFY(!o.loginVisibleAfter); // closing the journal ends the program
}

// The groups decide, not the names: a new master gets "Принять", a second economist works
// as the first, a login in none of the groups gets no journal.
void LoginTest::rolesFollowTheGroups_data() {
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("states");
    QTest::newRow("a new master") << "norv_master" << kMaster;
    QTest::newRow("a second economist") << "norv_reader" << kEconomist;
    QTest::newRow("a new clerk") << "norv_writer" << kClerk;
    QTest::newRow("a second administrator") << "norv_administrator" << kAdministrator;
    QTest::newRow("in no group") << ""
                                 << "";
}

void LoginTest::rolesFollowTheGroups() {
    QFETCH(QString, group);
    QFETCH(QString, states);
    const TestDatabase::Login user = db_->createLogin("ivanov", "ivanov-pass", group);
    messages_->clear();
    const Outcome o = login(arguments(true), user.name(), "ivanov-pass");
    if (states.isEmpty()) {
        QVERIFY(!o.journalShown);
        QCOMPARE(messages_->last(), LoginDialog::kNoProgramRights);
        QVERIFY(o.loginVisibleAfter);
        return;
    }
    QVERIFY2(o.journalShown, qPrintable(messages_->last()));
    QCOMPARE(o.states, states);
}

// The login window shows the server and database it will use: the file's, and the
// arguments over them.
void LoginTest::theSiteSettingsChooseTheDatabase() {
    {
        Program program(arguments(false));
        QCOMPARE(program.login().findChild<QLabel*>("serverLabel")->text(),
                 "Сервер: " + db_->socketDir() + ", БД: " + db_->name());
        QCOMPARE(program.login().windowTitle(),
                 QString("Авторизация (build: %1)").arg(NORV_VERSION));
    }
    {
        Program program(AppArguments{{}, "other_db", settingsFile_});
        QCOMPARE(program.login().findChild<QLabel*>("serverLabel")->text(),
                 "Сервер: " + db_->socketDir() + ", БД: other_db");
    }
    {
        Program program(AppArguments{{}, {}, folder_.filePath("none.conf")});
        QCOMPARE(program.login().findChild<QLabel*>("serverLabel")->text(),
                 QString("Сервер: localhost, БД: norv_erp_dev"));
        // nothing is connected before the login
        QVERIFY(!program.connection().isOpen());
    }
}

void LoginTest::anUnreachableServerIsNamed() {
    messages_->clear();
    const AppArguments args{"/tmp/norv-no-server-here", db_->name(), folder_.filePath("none.conf")};
    const Outcome o = login(args, "sys", "sysdemo");
    QVERIFY(!o.journalShown);
    QCOMPARE(messages_->last(), "Подключение к БД отсутсвует (сервер: /tmp/norv-no-server-here, "
                                "БД: " +
                                    db_->name() + ")");
    QVERIFY(o.loginVisibleAfter);

    messages_->clear();
    const Outcome noDatabase =
        login(AppArguments{db_->socketDir(), "no_such_db", folder_.filePath("none.conf")}, "sys",
              "sysdemo");
    QVERIFY(!noDatabase.journalShown);
    QCOMPARE(messages_->last(),
             "Подключение к БД отсутсвует (сервер: " + db_->socketDir() + ", БД: no_such_db)");
}

void LoginTest::typedValuesCannotChangeTheConnectionText() {
    // A password with ';', '=' and braces is one value: the login connects with exactly it.
    const QString password = "x;SERVER=elsewhere}{";
    const TestDatabase::Login brace = db_->createLogin("brace_user", password);
    messages_->clear();
    Outcome o = login(arguments(true), brace.name(), password);
    QVERIFY2(o.journalShown, qPrintable(messages_->last()));
    // the same password cut at ';' must not connect
    o = login(arguments(true), brace.name(), "x");
    QVERIFY(!o.journalShown);
    QCOMPARE(messages_->last(), LoginDialog::kLoginRefused);
}

void LoginTest::enterAndEscape() {
    Program program(arguments(true));
    LoginDialog& login = program.login();
    QVERIFY(login.isVisible());
    login.findChild<QLineEdit*>("loginEdit")->setText("sys");
    login.findChild<QLineEdit*>("passwordEdit")->setText("sysdemo");
    bool shown = false;
    runner_->then([&](QDialog*) { shown = true; });
    QTest::keyClick(login.findChild<QLineEdit*>("passwordEdit"), Qt::Key_Return);
    QVERIFY(shown);

    Program second(arguments(true));
    QVERIFY(second.login().isVisible());
    QTest::keyClick(second.login().findChild<QLineEdit*>("loginEdit"), Qt::Key_Escape);
    QVERIFY(!second.login().isVisible());
}

// The schema records its version; a database older or newer than the program's gets no
// journal, its connection is closed and the window waits for another try.
void LoginTest::aDatabaseOfAnotherVersionIsRefused_data() {
    QTest::addColumn<QString>("fixture"); // %1: the program's schema version
    QTest::addColumn<int>("version");     // the database's, as the message names it
    QTest::addColumn<QString>("message");
    const int program = data::programSchemaVersion();
    const QString older = QString("База данных версии %1, программе нужна версия %2. Обратитесь "
                                  "к администратору (norv_admin upgrade).");
    const QString newer("Программа старше базы данных: обновите программу на рабочем месте.");
    // the test database was installed at the program's version: its record is rewritten
    const QString versions = "delete from accounts_dep.schema_version;";
    QTest::newRow("one migration behind")
        << versions +
               "insert into accounts_dep.schema_version(version, description) values (%1 - 1, '')"
        << program - 1 << older.arg(program - 1).arg(program);
    QTest::newRow("no program schema at all")
        << "alter table accounts_dep.smena rename to smena_elsewhere" << 0
        << older.arg(0).arg(program);
    QTest::newRow("a migration ahead")
        << versions + "insert into accounts_dep.schema_version(version, description) values (%1 - "
                      "1, ''), (%1, ''), (%1 + 1, 'a later one')"
        << program + 1 << newer;
}

void LoginTest::aDatabaseOfAnotherVersionIsRefused() {
    QFETCH(QString, fixture);
    QFETCH(int, version);
    QFETCH(QString, message);
    TestDatabase other("login_version");
    other.exec(fixture.arg(data::programSchemaVersion()));
    data::Connection probe;
    probe.setConnectionString(other.connectionString("econom"));
    probe.open();
    QCOMPARE(data::databaseSchemaVersion(probe), version); // as any login reads it

    messages_->clear();
    const AppArguments args{other.socketDir(), other.name(), folder_.filePath("none.conf")};
    Program program(args);
    LoginDialog& login = program.login();
    login.findChild<QLineEdit*>("loginEdit")->setText("sys");
    login.findChild<QLineEdit*>("passwordEdit")->setText("sysdemo");
    bool journalShown = false;
    runner_->then([&](QDialog*) { journalShown = true; });
    login.findChild<QPushButton*>("loginButton")->click();
    if (runner_->pending() > 0)
        runner_ = std::make_unique<ScriptedModalRunner>();
    QVERIFY(!journalShown);
    QCOMPARE(messages_->shown.size(), 1);
    QCOMPARE(messages_->shown[0].text, message);
    QCOMPARE(messages_->shown[0].caption, QString("Ошибка"));
    QVERIFY(!program.connection().isOpen());
    QVERIFY(login.isVisible());
    QVERIFY(login.findChild<QLineEdit*>("passwordEdit")->text().isEmpty());
}

QTEST_MAIN(LoginTest)
#include "login_test.moc"
