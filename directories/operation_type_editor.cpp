#include "operation_type_editor.h"
#include "ui_operation_type_editor.h"

#include "data/data_module.h"
#include "data/dataset.h"
#include "seams/messages.h"
#include "seams/modal_runner.h"
#include "ui/guard.h"

#include <QShowEvent>

namespace {

const QString kDuplicateType = QStringLiteral("Такая операция уже заведена!");
// Both sides go through the database's upper(), the rule of the unique index on the names,
// so the check and the index agree on every letter, Cyrillic included. The name is bound.
const QString kCountSameName = QStringLiteral(
    "select count(*) as cnt from accounts_dep.vid_oper where upper(vid)=upper(:name)");

} // namespace

OperationTypeEditor::OperationTypeEditor(data::DataModule6& dataModule, QWidget* parent)
    : QDialog(parent), ui(new Ui::OperationTypeEditor), dataModule_(dataModule) {
    ui->setupUi(this);
    setFixedSize(size());
    connect(ui->Button1, &QPushButton::clicked, this,
            ui::guarded([this] { on_Button1_clicked(); }));
    connect(ui->Button2, &QPushButton::clicked, this, &QDialog::reject);
}

OperationTypeEditor::~OperationTypeEditor() {
    delete ui;
}

void OperationTypeEditor::openNew() {
    ui->Edit1->clear();
    setWindowTitle(QStringLiteral("Заведение нового вида операций"));
    Tag = 1;
    seams::execModal(this);
}

void OperationTypeEditor::openChange(const QString& name) {
    setWindowTitle(QStringLiteral("Изменение данных вида операции"));
    Tag = 2;
    ui->Edit1->setText(name);
    seams::execModal(this);
}

void OperationTypeEditor::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ui->Edit1->setFocus();
}

void OperationTypeEditor::on_Button1_clicked() {
    const QString name = ui->Edit1->text().trimmed();
    if (name.isEmpty()) {
        seams::Messages::current().error(seams::kAllFieldsRequired, seams::kErrorCaption);
        return;
    }
    data::Dataset& types = dataModule_.Vid_oper;
    data::Parameters bound;
    bound.set(QStringLiteral("name"), name);
    if (Tag == 1) {
        if (dataModule_.CheckExists(kCountSameName, kDuplicateType, bound))
            return;
        types.append();
    } else {
        // its own name in another case is no duplicate
        if (dataModule_.CheckExists(kCountSameName + QStringLiteral(" and id<>") +
                                        QString::number(types.asInt(QStringLiteral("id"))),
                                    kDuplicateType, bound))
            return;
        types.edit();
    }
    types.setValue(QStringLiteral("vid"), name);
    const bool posted = ui::writeRefusingDuplicate(
        [&types] {
            try {
                types.post();
            } catch (...) {
                types.cancel(); // a refused row must not be written by some later post
                throw;
            }
        },
        kDuplicateType);
    if (!posted)
        return;
    types.requery();
    accept();
}
