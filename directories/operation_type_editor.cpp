#include "operation_type_editor.h"
#include "ui_operation_type_editor.h"

#include "data/data_module.h"
#include "data/dataset.h"
#include "ui/guard.h"
#include "seams/messages.h"
#include "seams/modal_runner.h"

#include <QShowEvent>

namespace {

const QString kDuplicateType = QStringLiteral("Такая операция уже заведена!");
const QString kUniqueViolation = QStringLiteral("23505");

// Both sides go through the database's upper(), the rule of the unique index on the names,
// so the check and the index agree on every letter, Cyrillic included.
QString countSameNameSql(const QString& nameLiteral) {
    return QStringLiteral(
               "select count(*) as cnt from accounts_dep.vid_oper where upper(vid)=upper(") +
           nameLiteral + u')';
}

// A quoted text literal that holds whatever was typed, whether or not the server takes
// backslashes in plain literals as escapes.
QString sqlTextLiteral(const QString& text) {
    QString body = text;
    body.replace(u'\'', QStringLiteral("''"));
    if (!body.contains(u'\\'))
        return u'\'' + body + u'\'';
    body.replace(u'\\', QStringLiteral("\\\\"));
    return QStringLiteral("E'") + body + u'\'';
}

} // namespace

Form9::Form9(data::DataModule6& dataModule, QWidget* parent)
    : QDialog(parent), ui(new Ui::Form9), dataModule_(dataModule) {
    ui->setupUi(this);
    setFixedSize(size());
    connect(ui->Button1, &QPushButton::clicked, this,
            ui::guarded([this] { on_Button1_clicked(); }));
    connect(ui->Button2, &QPushButton::clicked, this, &QDialog::reject);
}

Form9::~Form9() {
    delete ui;
}

void Form9::openNew() {
    ui->Edit1->clear();
    setWindowTitle(QStringLiteral("Заведение нового вида операций"));
    Tag = 1;
    seams::execModal(this);
}

void Form9::openChange(const QString& name) {
    setWindowTitle(QStringLiteral("Изменение данных вида операции"));
    Tag = 2;
    ui->Edit1->setText(name);
    seams::execModal(this);
}

void Form9::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ui->Edit1->setFocus();
}

void Form9::on_Button1_clicked() {
    const QString name = ui->Edit1->text().trimmed();
    if (name.isEmpty()) {
        seams::Messages::current().error(seams::kAllFieldsRequired, seams::kErrorCaption);
        return;
    }
    data::Dataset& types = dataModule_.Vid_oper;
    const QString countSameName = countSameNameSql(sqlTextLiteral(name));
    if (Tag == 1) {
        if (dataModule_.CheckExists(countSameName, kDuplicateType))
            return;
        types.append();
    } else {
        // its own name in another case is no duplicate
        if (dataModule_.CheckExists(countSameName + QStringLiteral(" and id<>") +
                                        QString::number(types.asInt(QStringLiteral("id"))),
                                    kDuplicateType))
            return;
        types.edit();
    }
    types.setValue(QStringLiteral("vid"), name);
    if (!postRefusingDuplicate(types))
        return;
    types.requery();
    accept();
}

// Another workstation may have written the same name since the count; the unique index
// then refuses ours, which is the same duplicate to the person here.
bool Form9::postRefusingDuplicate(data::Dataset& types) {
    try {
        types.post();
        return true;
    } catch (const data::DataError& e) {
        types.cancel(); // a refused row must not be written by some later post
        if (e.sqlState() != kUniqueViolation)
            throw;
        seams::Messages::current().error(kDuplicateType, seams::kErrorCaption);
        return false;
    }
}
