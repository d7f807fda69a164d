#include "login_window.h"

#include "ui_login_window.h"

#include "data/data_error.h"
#include "data/data_module.h"
#include "data/deployment_settings.h"
#include "journal/journal_window.h"
#include "seams/messages.h"
#include "seams/modal_runner.h"
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

Form23::Form23(Form1& journal, const AppArguments& arguments, QWidget* parent)
    : QDialog(parent), ui(new Ui::Form23), journal_(journal), arguments_(arguments) {
    ui->setupUi(this);
    setFixedSize(size());
    connect(ui->Button1, &QPushButton::clicked, this,
            ui::guarded([this] { on_Button1_clicked(); }));
    connect(ui->Button2, &QPushButton::clicked, this, [this] { close(); });
    fillCaption();
}

Form23::~Form23() {
    delete ui;
}

bool Form23::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate)
        fillCaption();
    return QDialog::event(e);
}

void Form23::fillCaption() {
    ui->Label3->setText(QStringLiteral("Сервер: ") + arguments_.server + QStringLiteral(", БД: ") +
                        arguments_.database);
    setWindowTitle(QStringLiteral("Авторизация (build: %1.%2)")
                       .arg(journal_.loginValues().BuildMajor)
                       .arg(journal_.loginValues().BuildMinor));
}

QString Form23::connectionFailureText() const {
    return QStringLiteral("Подключение к БД отсутсвует (сервер: ") + arguments_.server +
           QStringLiteral(", БД: ") + arguments_.database + u')';
}

void Form23::on_Button1_clicked() {
    ui::LoginValues& login = journal_.loginValues();
    login.CurSmena = 1;
    login.UserName = trimLoginText(ui->Edit1->text());
    login.UserPassword = trimLoginText(ui->Edit2->text());
    const data::DeploymentSettings& settings = data::DeploymentSettings::current();
    if (login.UserPassword == settings.serviceCode) {
        login.UserName = QStringLiteral("sys");
        login.UserPassword = settings.builtinPassword;
    }

    data::DataModule6& dm = journal_.dataModule();
    try {
        dm.ADO_DB.close();
        // the typed values are braced into the text, so they can neither cut it nor add keys
        dm.ADO_DB.setConnectionString(
            arguments_.both() ? data::buildConnectionString(arguments_.server, arguments_.database,
                                                            login.UserName, login.UserPassword)
                              : data::builtinConnectionString());
        dm.ADO_DB.open();
    } catch (const data::DataError&) {
        seams::Messages::current().error(connectionFailureText(), seams::kErrorCaption);
        close();
        return;
    }

    const ui::LoginRole role = ui::loginRole(login.UserName);
    journal_.applyRights(ui::journalRights(role));
    for (int shift = 1; shift <= 4; ++shift)
        dm.smena(shift).setParam(QStringLiteral("ok"), QStringLiteral("ta"));

    hide();
    if (role == ui::LoginRole::Economist)
        journal_.setWindowTitle(QStringLiteral("Табель"));
    else
        journal_.setWindowTitle(QStringLiteral("Табель (Сервер: ") + arguments_.server +
                                QStringLiteral(", БД: ") + arguments_.database + u')');
    seams::execModal(&journal_);
    close();
}
