#include "operation_editor.h"
#include "ui_operation_editor.h"

#include "data/conversions.h"
#include "data/data_error.h"
#include "data/data_module.h"
#include "data/dataset.h"
#include "seams/messages.h"
#include "seams/modal_runner.h"
#include "ui/decimal_edit.h"
#include "ui/guard.h"
#include "ui/value_rules.h"

#include <QShowEvent>

#include <optional>

namespace {

const QString kDuplicateOperation = QStringLiteral("Операция с такими параметрами уже заведена!");

} // namespace

OperationEditor::OperationEditor(data::DataModule6& dataModule, QWidget* parent)
    : QDialog(parent), ui(new Ui::OperationEditor), dataModule_(dataModule) {
    ui->setupUi(this);
    setFixedSize(size());
    ui::useDecimalKeys(ui->Edit3);

    connect(ui->Button1, &QPushButton::clicked, this,
            ui::guarded([this] { on_Button1_clicked(); }));
    connect(ui->Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->Button3, &QPushButton::clicked, this,
            ui::guarded([this] { on_Button3_clicked(); }));
    connect(ui->Button4, &QPushButton::clicked, this,
            ui::guarded([this] { on_Button4_clicked(); }));
}

OperationEditor::~OperationEditor() {
    delete ui;
}

void OperationEditor::usePickers(ProductPicker& products, OperationTypesWindow& operationTypes) {
    products_ = &products;
    operationTypes_ = &operationTypes;
}

void OperationEditor::openNew() {
    ui->Edit1->clear();
    ui->Edit2->clear();
    ui->Edit3->clear();
    ui->ComboBox1->setCurrentIndex(0);
    ui->Edit3->setEnabled(true);
    setWindowTitle(QStringLiteral("Заведение новой цены за операцию"));
    Tag = 1;
    seams::execModal(this);
}

void OperationEditor::openChange(const QString& mark, const QString& typeName, int kind,
                                 int productId, int typeId) {
    setWindowTitle(QStringLiteral("Изменение данных о цене за операцию"));
    Tag = 2;
    ui->Edit1->setText(mark);
    ui->Edit2->setText(typeName);
    // any kind but finished products counts as blanks
    ui->ComboBox1->setCurrentIndex(kind == 0 ? 0 : 1);
    ui->Edit3->setEnabled(false); // neither filled nor used
    izdel_id = productId;
    vid_id = typeId;
    seams::execModal(this);
}

void OperationEditor::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ui->Button3->setFocus();
}

void OperationEditor::showProduct(const ProductChoice& product) {
    ui->Edit1->setText(product.mark);
    izdel_id = product.id;
}

void OperationEditor::showOperationType(const OperationTypeChoice& type) {
    ui->Edit2->setText(type.name);
    vid_id = type.id;
}

void OperationEditor::on_Button3_clicked() {
    if (!products_)
        return;
    if (const auto product = products_->pick())
        showProduct(*product);
}

void OperationEditor::on_Button4_clicked() {
    if (!operationTypes_)
        return;
    if (const auto type = operationTypes_->pick())
        showOperationType(*type);
}

void OperationEditor::on_Button1_clicked() {
    if (ui->Edit1->text().trimmed().isEmpty() || ui->Edit2->text().trimmed().isEmpty()) {
        seams::Messages::current().error(seams::kAllFieldsRequired, seams::kErrorCaption);
        return;
    }
    const int kind = ui->ComboBox1->currentIndex();
    const QString sameOperation = QStringLiteral(" as cnt from accounts_dep.OPER where vid=") +
                                  QString::number(vid_id) + QStringLiteral(" and naimen=") +
                                  QString::number(kind) + QStringLiteral(" and i_id=") +
                                  QString::number(izdel_id);
    data::Dataset& operations = dataModule_.Oper;
    if (Tag == 1) {
        if (dataModule_.CheckExists(QStringLiteral("select count(ID)") + sameOperation,
                                    kDuplicateOperation))
            return;
        // a malformed or out-of-range price stops here, before anything is written
        const std::optional<double> price = ui::decimalValue(ui->Edit3->text());
        if (!price || !ui::priceAllowed(*price)) {
            seams::Messages::current().error(ui::kPriceOutOfRange, seams::kErrorCaption);
            return;
        }
        data::Command& insert = dataModule_.Oper_ins;
        insert.setParam(QStringLiteral("oper_vid"), vid_id);
        insert.setParam(QStringLiteral("naimen"), kind);
        insert.setParam(QStringLiteral("cena_new"), *price);
        insert.setParam(QStringLiteral("i_id"), izdel_id);
        if (!ui::writeRefusingDuplicate([&] { insert.execute(); }, kDuplicateOperation))
            return;
    } else {
        const int id = operations.asInt(QStringLiteral("id"));
        // its own values are no duplicate
        if (dataModule_.CheckExists(QStringLiteral("select count(*)") + sameOperation +
                                        QStringLiteral(" and id<>") + QString::number(id),
                                    kDuplicateOperation))
            return;
        data::Command& update = dataModule_.Oper_ed;
        update.setParam(QStringLiteral("oper_vid"), vid_id);
        update.setParam(QStringLiteral("naimen"), kind);
        update.setParam(QStringLiteral("i_id"), izdel_id);
        update.setParam(QStringLiteral("id"), id);
        if (!ui::writeRefusingDuplicate([&] { update.execute(); }, kDuplicateOperation))
            return;
    }
    operations.requery();
    accept();
}
