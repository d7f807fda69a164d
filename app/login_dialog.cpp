#include "login_dialog.h"

#include "ui_login_dialog.h"

#include "data/connection.h"
#include "data/connection_text.h"
#include "data/data_error.h"
#include "data/program_groups.h"
#include "data/schema_version.h"
#include "eventlog/event_log.h"
#include "journal/journal_window.h"
#include "seams/messages.h"
#include "seams/modal_runner.h"
#include "ui/activity.h"
#include "ui/guard.h"
#include "ui/login_role.h"

#include <QEvent>

QString trimLoginText(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 0x20)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 0x20)
        --end;
    return text.mid(begin, end - begin);
}

LoginDialog::LoginDialog(JournalWindow& journal, const data::SiteSettings& site, QWidget* parent)
    : QDialog(parent), ui(new Ui::LoginDialog), journal_(journal), site_(site) {
    ui->setupUi(this);
    setFixedSize(size());
    connect(ui->loginButton, &QPushButton::clicked, this, ui::guarded([this] { logIn(); }));
    connect(ui->cancelButton, &QPushButton::clicked, this, [this] { close(); });
    fillCaption();
}

LoginDialog::~LoginDialog() {
    delete ui;
}

bool LoginDialog::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate)
        fillCaption();
    return QDialog::event(e);
}

QString LoginDialog::serverText() const {
    return site_.port == 5432 ? site_.server : site_.server + u':' + QString::number(site_.port);
}

void LoginDialog::fillCaption() {
    ui->serverLabel->setText(QStringLiteral("Сервер: ") + serverText() + QStringLiteral(", БД: ") +
                             site_.database);
    setWindowTitle(QStringLiteral("Авторизация (build: %1.%2)")
                       .arg(journal_.loginValues().buildMajor)
                       .arg(journal_.loginValues().buildMinor));
}

QString LoginDialog::connectionFailureText() const {
    return QStringLiteral("Подключение к БД отсутсвует (сервер: ") + serverText() +
           QStringLiteral(", БД: ") + site_.database + u')';
}

// The password goes, the name stays: the person types the password again.
void LoginDialog::tryAgain() {
    ui->passwordEdit->clear();
    ui->passwordEdit->setFocus();
}

// The server checks the name and password; nothing but what was typed decides who connects.
bool LoginDialog::connectAs(const QString& name, const QString& password) {
    data::Connection& connection = journal_.connection();
    connection.close();
    eventlog::hideText(password);
    // the typed values are braced into the text, so they can neither cut it nor add keys
    connection.setConnectionString(data::loginConnectionString(site_, name, password));
    try {
        connection.open();
        return true;
    } catch (const data::DataError& e) {
        const bool refused = e.sqlState() == data::kLoginRefusedState;
        const QString text = refused ? kLoginRefused : connectionFailureText();
        logNotLetIn(refused ? eventlog::Kind::Refusal : eventlog::Kind::Error, name,
                    text + u'\n' + e.message(), e.sqlState());
        seams::Messages::current().errorWithDetail(text, e.message(), seams::kErrorCaption);
        return false;
    }
}

void LoginDialog::logNotLetIn(eventlog::Kind kind, const QString& name, const QString& message,
                              const QString& sqlState) const {
    eventlog::write({.kind = kind,
                     .window = ui::windowName(this),
                     .action = ui::controlName(ui->loginButton),
                     .message = message,
                     .sqlState = sqlState,
                     .login = name.isEmpty() ? QStringLiteral("(пусто)") : name});
}

void LoginDialog::logIn() {
    ui::LoginValues& login = journal_.loginValues();
    login.currentShift = 1;
    login.userName = trimLoginText(ui->loginEdit->text());
    if (!connectAs(login.userName, trimLoginText(ui->passwordEdit->text()))) {
        tryAgain();
        return;
    }
    data::Connection& connection = journal_.connection();
    const std::optional<ui::LoginRole> role =
        ui::roleFromGroups(data::programGroupsOfLogin(connection));
    if (!role) {
        connection.close();
        logNotLetIn(eventlog::Kind::Refusal, login.userName, kNoProgramRights);
        seams::Messages::current().error(kNoProgramRights, seams::kErrorCaption);
        tryAgain();
        return;
    }
    // nothing of the program may run on a schema it was not built for
    if (const std::optional<QString> refusal = data::schemaVersionRefusal(connection)) {
        connection.close();
        logNotLetIn(eventlog::Kind::Refusal, login.userName, *refusal);
        seams::Messages::current().error(*refusal, seams::kErrorCaption);
        tryAgain();
        return;
    }
    login.role = *role;
    journal_.applyRights(ui::journalRights(*role));
    eventlog::setLogin(login.userName);
    eventlog::write({.kind = eventlog::Kind::Login,
                     .window = ui::windowName(this),
                     .action = ui::controlName(ui->loginButton),
                     .message = QStringLiteral("norv_smena " NORV_VERSION "; сервер %1, БД %2")
                                    .arg(serverText(), site_.database)});

    hide();
    if (*role == ui::LoginRole::Economist)
        journal_.setWindowTitle(QStringLiteral("Табель"));
    else
        journal_.setWindowTitle(QStringLiteral("Табель (Сервер: ") + serverText() +
                                QStringLiteral(", БД: ") + site_.database + u')');
    seams::execModal(&journal_);
    close();
}
