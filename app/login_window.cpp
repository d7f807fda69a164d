#include "login_window.h"

#include "roles.h"
#include "ui_login_window.h"

#include "data/data_error.h"
#include "data/data_module.h"
#include "data/deployment_settings.h"
#include "journal/journal_window.h"
#include "ui/guard.h"
#include "ui/messages.h"
#include "ui/modal_runner.h"

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
    connect(ui->Button1, &QPushButton::clicked, this, ui::guarded([this] { on_Button1_clicked(); }));
    connect(ui->Button2, &QPushButton::clicked, this, [this] { close(); });
    fillCaption();
}

Form23::~Form23() { delete ui; }

bool Form23::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate)
        fillCaption();
    return QDialog::event(e);
}

void Form23::fillCaption() {
    ui->Label3->setText(QStringLiteral("Сервер: ") + arguments_.server + QStringLiteral(", БД: ") +
                        arguments_.database);
    setWindowTitle(QStringLiteral("Авторизация (build: %1.%2)")
                       .arg(journal_.BuildMajor)
                       .arg(journal_.BuildMinor));
}

QString Form23::connectionFailureText() const {
    return QStringLiteral("Подключение к БД отсутсвует (сервер: ") + arguments_.server +
           QStringLiteral(", БД: ") + arguments_.database + u')';
}

void Form23::on_Button1_clicked() {
    journal_.CurSmena = 1;
    journal_.UserName = trimLoginText(ui->Edit1->text());
    journal_.UserPassword = trimLoginText(ui->Edit2->text());
    const data::DeploymentSettings& settings = data::DeploymentSettings::current();
    if (journal_.UserPassword == settings.serviceCode) {
        journal_.UserName = QStringLiteral("sys");
        journal_.UserPassword = settings.builtinPassword;
    }

    data::DataModule6& dm = journal_.dataModule();
    try {
        dm.ADO_DB.close();
        // the typed values are braced into the text, so they can neither cut it nor add keys
        dm.ADO_DB.setConnectionString(
            arguments_.both() ? data::buildConnectionString(arguments_.server, arguments_.database,
                                                            journal_.UserName, journal_.UserPassword)
                              : data::builtinConnectionString());
        dm.ADO_DB.open();
    } catch (const data::DataError&) {
        ui::Messages::current().error(connectionFailureText(), ui::kErrorCaption);
        close();
        return;
    }

    const ui::LoginRole role = ui::loginRole(journal_.UserName);
    applyRole(journal_, role);
    for (int shift = 1; shift <= 4; ++shift)
        dm.smena(shift).setParam(QStringLiteral("ok"), QStringLiteral("ta"));

    hide();
    if (role == ui::LoginRole::Economist)
        journal_.setWindowTitle(QStringLiteral("Табель"));
    else
        journal_.setWindowTitle(QStringLiteral("Табель (Сервер: ") + arguments_.server +
                                QStringLiteral(", БД: ") + arguments_.database + u')');
    ui::execModal(&journal_);
    close();
}
