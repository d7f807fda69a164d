#include "operation_editor.h"
#include "ui_operation_editor.h"

#include "data/dataset.h"
#include "seams/messages.h"
#include "seams/modal_runner.h"
#include "ui/activity.h"
#include "ui/decimal_edit.h"
#include "ui/guard.h"
#include "ui/value_rules.h"
#include "ui/window_geometry.h"

#include <QShowEvent>

#include <optional>

namespace {

const QString kDuplicateOperation = QStringLiteral("Операция с такими параметрами уже заведена!");

data::Parameters boundValues(const directories::OperationValues& values) {
    data::Parameters bound;
    bound.set(QStringLiteral("oper_vid"), values.operationTypeId);
    bound.set(QStringLiteral("naimen"), values.productKind);
    bound.set(QStringLiteral("i_id"), values.productId);
    return bound;
}

} // namespace

OperationEditor::OperationEditor(directories::Catalog& catalog, QWidget* parent)
    : QDialog(parent), ui(new Ui::OperationEditor), catalog_(catalog) {
    ui->setupUi(this);
    // a form that only needs its designed size, never less than its layout
    setFixedSize(size().expandedTo(minimumSizeHint()));
    ui::rememberGeometry(this, QStringLiteral("OperationEditor"));
    ui::useDecimalKeys(ui->firstPriceEdit);

    connect(ui->saveButton, &QPushButton::clicked, this, ui::guarded([this] { save(); }));
    connect(ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->pickProductButton, &QPushButton::clicked, this,
            ui::guarded([this] { pickProduct(); }));
    connect(ui->pickOperationTypeButton, &QPushButton::clicked, this,
            ui::guarded([this] { pickOperationType(); }));
}

OperationEditor::~OperationEditor() {
    delete ui;
}

void OperationEditor::usePickers(ProductPicker& products, OperationTypesWindow& operationTypes) {
    products_ = &products;
    operationTypes_ = &operationTypes;
}

bool OperationEditor::openNew() {
    ui->productEdit->clear();
    ui->operationTypeEdit->clear();
    ui->firstPriceEdit->clear();
    ui->productKindCombo->setCurrentIndex(0);
    ui->firstPriceEdit->setEnabled(true);
    setWindowTitle(QStringLiteral("Заведение новой цены за операцию"));
    mode_ = Mode::Add;
    return seams::execModal(this) == QDialog::Accepted;
}

bool OperationEditor::openChange(const OperationToChange& operation) {
    setWindowTitle(QStringLiteral("Изменение данных о цене за операцию"));
    mode_ = Mode::Change;
    operationId_ = operation.id;
    ui->productEdit->setText(operation.mark);
    ui->operationTypeEdit->setText(operation.typeName);
    // any kind but finished products counts as blanks
    ui->productKindCombo->setCurrentIndex(operation.values.productKind == 0 ? 0 : 1);
    ui->firstPriceEdit->setEnabled(false); // neither filled nor used
    productId_ = operation.values.productId;
    operationTypeId_ = operation.values.operationTypeId;
    return seams::execModal(this) == QDialog::Accepted;
}

void OperationEditor::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ui->pickProductButton->setFocus();
}

void OperationEditor::showProduct(const ProductChoice& product) {
    ui->productEdit->setText(product.mark);
    productId_ = product.id;
}

void OperationEditor::showOperationType(const OperationTypeChoice& type) {
    ui->operationTypeEdit->setText(type.name);
    operationTypeId_ = type.id;
}

void OperationEditor::pickProduct() {
    if (!products_)
        return;
    if (const auto product = products_->pick())
        showProduct(*product);
}

void OperationEditor::pickOperationType() {
    if (!operationTypes_)
        return;
    if (const auto type = operationTypes_->pick())
        showOperationType(*type);
}

void OperationEditor::save() {
    if (ui->productEdit->text().trimmed().isEmpty() ||
        ui->operationTypeEdit->text().trimmed().isEmpty()) {
        seams::Messages::current().error(seams::kAllFieldsRequired, seams::kErrorCaption);
        return;
    }
    const directories::OperationValues values{.operationTypeId = operationTypeId_,
                                              .productKind = ui->productKindCombo->currentIndex(),
                                              .productId = productId_};
    if (!(mode_ == Mode::Add ? saveNew(values) : saveChange(values)))
        return;
    ui::logChange(
        eventlog::Kind::Save, ui->saveButton,
        QStringLiteral("операция %1: %2; %3; %4")
            .arg(mode_ == Mode::Add ? QStringLiteral("новая") : QString::number(operationId_),
                 ui->productEdit->text(), ui->operationTypeEdit->text(),
                 ui->productKindCombo->currentText()));
    accept();
}

bool OperationEditor::saveNew(const directories::OperationValues& values) {
    if (catalog_.refuseDuplicate(QStringLiteral("count_same_operations"), kDuplicateOperation,
                                 boundValues(values)))
        return false;
    // a malformed or out-of-range price stops here, before anything is written
    const std::optional<double> price = ui::decimalValue(ui->firstPriceEdit->text());
    if (!price || !ui::priceAllowed(*price)) {
        seams::Messages::current().error(ui::kPriceOutOfRange, seams::kErrorCaption);
        return false;
    }
    return ui::writeRefusingDuplicate([&] { catalog_.insertOperation(values, *price); },
                                      kDuplicateOperation);
}

// Its own values are no duplicate.
bool OperationEditor::saveChange(const directories::OperationValues& values) {
    data::Parameters bound = boundValues(values);
    bound.set(QStringLiteral("id"), operationId_);
    if (catalog_.refuseDuplicate(QStringLiteral("count_other_same_operations"), kDuplicateOperation,
                                 bound))
        return false;
    return ui::writeRefusingDuplicate([&] { catalog_.updateOperation(operationId_, values); },
                                      kDuplicateOperation);
}
