// The login: trimming, the service code, the connection text, the role table applied to
// the journal, and the connection failure that ends the program.
#include "app/login_window.h"
#include "app/startup.h"
#include "data/data_module.h"
#include "data/deployment_settings.h"
#include "journal/journal_window.h"
#include "tests/support/recording_messages.h"
#include "tests/support/scripted_modal_runner.h"
#include "tests/support/test_database.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <memory>

namespace {

// Controls of the role table, in the order of the expected strings below.
const QStringList kControls{
    "Button1",      "Button2",      "Button3",      "Button5",      "N2",    "N11",     "N7",
    "RadioButton1", "RadioButton2", "RadioButton3", "RadioButton4", "CBox1", "Button8", "DBGrid2",
    "DateT",        "N1",           "N3",           "Button4",      "N5"};

QString enabledStates(Form1& journal) {
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
    void roles_data();
    void roles();
    void arguments_data();
    void arguments();
    void typedValuesCannotChangeTheConnectionText();
    void enterAndEscape();

private:
    struct Outcome {
        bool journalShown = false;
        QString states;
        QString caption;
        QString connectionString;
        bool loginVisibleAfter = true;
    };
    Outcome login(const AppArguments& args, const QString& name, const QString& password);

    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<RecordingMessages> messages_;
    std::unique_ptr<ScriptedModalRunner> runner_;
};

void LoginTest::initTestCase() {
    db_ = std::make_unique<TestDatabase>("login");
    db_->useAsBuiltin();
    data::DeploymentSettings s = data::DeploymentSettings::current();
    s.serviceCode = "9876";
    data::DeploymentSettings::set(s);
    messages_ = std::make_unique<RecordingMessages>();
    runner_ = std::make_unique<ScriptedModalRunner>();
}

LoginTest::Outcome LoginTest::login(const AppArguments& args, const QString& name,
                                    const QString& password) {
    Outcome outcome;
    Program program(args);
    Form23& login = program.login();
    login.findChild<QLineEdit*>("Edit1")->setText(name);
    login.findChild<QLineEdit*>("Edit2")->setText(password);
    runner_->then([&](QDialog* d) {
        auto* journal = qobject_cast<Form1*>(d);
        outcome.journalShown = journal != nullptr;
        outcome.states = enabledStates(*journal);
        outcome.caption = journal->windowTitle();
        outcome.connectionString = journal->dataModule().ADO_DB.connectionString();
        QVERIFY(!login.isVisible());
    });
    login.findChild<QPushButton*>("Button1")->click();
    if (runner_->pending() > 0) // the journal was never shown
        runner_ = std::make_unique<ScriptedModalRunner>();
    outcome.loginVisibleAfter = login.isVisible();
    return outcome;
}

void LoginTest::roles_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("states"); // kControls: 1 enabled, 0 disabled
    QTest::addColumn<QString>("userName");
    //                                                   B1B2B3B5N2N11N7R1-4 CB B8 G  D  N1N3B4N5
    const QString master = "0001000"
                           "1111"
                           "1"
                           "1"
                           "1"
                           "1"
                           "00"
                           "11";
    const QString sys = "1111111"
                        "1111"
                        "1"
                        "1"
                        "1"
                        "1"
                        "00"
                        "11";
    const QString econom = "0000001"
                           "0000"
                           "0"
                           "0"
                           "0"
                           "0"
                           "00"
                           "11";
    const QString clerk = "1110111"
                          "1111"
                          "1"
                          "1"
                          "1"
                          "1"
                          "00"
                          "11";
    QTest::newRow("zemplar") << "zemplar"
                             << "x" << master << "zemplar";
    QTest::newRow("quorvin") << "quorvin"
                             << "x" << master << "quorvin";
    QTest::newRow("fennix") << "fennix"
                            << "" << master << "fennix";
    QTest::newRow("sys") << "sys"
                         << "anything" << sys << "sys";
    QTest::newRow("sys with blanks") << "  sys \t"
                                     << "x" << sys << "sys";
    QTest::newRow("SYS upper case") << "SYS"
                                    << "x" << clerk << "SYS";
    QTest::newRow("econom") << "econom"
                            << "x" << econom << "econom";
    QTest::newRow("Econom capital") << "Econom"
                                    << "x" << clerk << "Econom";
    QTest::newRow("empty name") << ""
                                << "" << clerk << "";
    QTest::newRow("clerk") << "petrova"
                           << "x" << clerk << "petrova";
    QTest::newRow("service code, any name") << "zemplar"
                                            << " 9876 " << sys << "sys";
    QTest::newRow("service code, empty name") << ""
                                              << "9876" << sys << "sys";
}

void LoginTest::roles() {
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(QString, states);
    QFETCH(QString, userName);
    const Outcome o = login(AppArguments{}, name, password);
    QVERIFY(o.journalShown);
    QCOMPARE(o.states, states);
    QCOMPARE(o.caption,
             userName == "econom" ? QString("Табель") : QString("Табель (Сервер: , БД: )"));
    QCOMPARE(o.connectionString, data::builtinConnectionString());
    QVERIFY(!o.loginVisibleAfter); // closing the journal ends the program
}

void LoginTest::arguments_data() {
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("connects");
    QTest::addColumn<QString>("label3");
    const QString host = qEnvironmentVariable("NORV_TEST_PGHOST");
    QTest::newRow("none: built-in") << ""
                                    << ""
                                    << "whoever"
                                    << "whatever" << true << "Сервер: , БД: ";
    QTest::newRow("only server: built-in") << host << ""
                                           << "whoever"
                                           << "x" << true << "Сервер: " + host + ", БД: ";
    QTest::newRow("both, master") << host << "DB"
                                  << "zemplar"
                                  << "zemplar-demo" << true << "Сервер: " + host + ", БД: DB";
    QTest::newRow("both, service code") << host << "DB"
                                        << ""
                                        << "9876" << true << "Сервер: " + host + ", БД: DB";
    QTest::newRow("both, wrong password") << host << "DB"
                                          << "zemplar"
                                          << "wrong" << false << "Сервер: " + host + ", БД: DB";
    QTest::newRow("both, unknown database")
        << host << "no_such_db"
        << "sys"
        << "sysdemo" << false << "Сервер: " + host + ", БД: no_such_db";
}

void LoginTest::arguments() {
    QFETCH(QString, server);
    QFETCH(QString, database);
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(bool, connects);
    QFETCH(QString, label3);
    if (database == "DB")
        database = db_->name();
    label3.replace(", БД: DB", ", БД: " + db_->name());
    const AppArguments args{server, database};
    {
        Program program(args);
        QCOMPARE(program.login().findChild<QLabel*>("Label3")->text(), label3);
        QCOMPARE(program.login().windowTitle(), QString("Авторизация (build: 0.0)"));
    }
    messages_->clear();
    const Outcome o = login(args, name, password);
    QCOMPARE(o.journalShown, connects);
    QVERIFY(!o.loginVisibleAfter);
    if (!connects) {
        QCOMPARE(messages_->shown.size(), 1);
        QCOMPARE(messages_->shown[0].text,
                 "Подключение к БД отсутсвует (сервер: " + server + ", БД: " + database + ")");
        QCOMPARE(messages_->shown[0].caption, QString("Ошибка"));
        return;
    }
    QVERIFY(messages_->shown.isEmpty());
    if (args.both()) {
        const bool service = password == "9876";
        QCOMPARE(o.connectionString,
                 data::buildConnectionString(server, database, service ? "sys" : name,
                                             service ? "sysdemo" : password));
        QCOMPARE(o.caption, "Табель (Сервер: " + server + ", БД: " + database + ")");
    } else {
        QCOMPARE(o.connectionString, data::builtinConnectionString());
        QCOMPARE(o.caption, "Табель (Сервер: " + server + ", БД: )");
    }
}

void LoginTest::typedValuesCannotChangeTheConnectionText() {
    // A password with ';', '=' and braces is one value: the login connects with exactly it.
    const QString password = "x;SERVER=elsewhere}{";
    const TestDatabase::Login brace = db_->createLogin("brace_user", password);
    const QString& user = brace.name();
    const AppArguments args{qEnvironmentVariable("NORV_TEST_PGHOST"), db_->name()};
    messages_->clear();
    Outcome o = login(args, user, password);
    QVERIFY2(o.journalShown, qPrintable(messages_->last()));
    // the same password cut at ';' must not connect
    o = login(args, user, "x");
    QVERIFY(!o.journalShown);
    QVERIFY(messages_->last().startsWith("Подключение к БД отсутсвует"));
}

void LoginTest::enterAndEscape() {
    Program program(AppArguments{});
    Form23& login = program.login();
    QVERIFY(login.isVisible());
    login.findChild<QLineEdit*>("Edit1")->setText("sys");
    bool shown = false;
    runner_->then([&](QDialog*) { shown = true; });
    QTest::keyClick(login.findChild<QLineEdit*>("Edit2"), Qt::Key_Return);
    QVERIFY(shown);

    Program second(AppArguments{});
    QVERIFY(second.login().isVisible());
    QTest::keyClick(second.login().findChild<QLineEdit*>("Edit1"), Qt::Key_Escape);
    QVERIFY(!second.login().isVisible());
}

QTEST_MAIN(LoginTest)
#include "login_test.moc"
