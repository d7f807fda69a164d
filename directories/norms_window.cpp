#include "norms_window.h"
#include "ui_norms_window.h"

#include "data/data_module.h"
#include "seams/modal_runner.h"
#include "ui/dataset_model.h"
#include "ui/guard.h"
#include "ui/number_format.h"
#include "ui/value_rules.h"

#include <QKeyEvent>

#include <optional>

namespace {

// "#0.00#": at least one integer digit, two decimals, a third only when it is not zero.
QString priceText(const QVariant& price) {
    return ui::decimalsText(price.toDouble(), 2, 3);
}

// A row out of range stays pending with the message of its first wrong value; an empty norm
// or bonus takes the table's default 0.
void checkNormRow(const data::Dataset& rows) {
    const auto wrong = [&rows](const char* field, bool (*allowed)(double), bool mayBeEmpty) {
        const QVariant value = rows.value(QString::fromLatin1(field));
        if (!value.isValid() || value.isNull() || value.toString().trimmed().isEmpty())
            return !mayBeEmpty;
        const std::optional<double> number = ui::decimalValue(value);
        return !number || !allowed(*number);
    };
    if (wrong("norma", ui::normAllowed, true))
        throw ui::Refusal(ui::kNormOutOfRange);
    if (wrong("price", ui::priceAllowed, false))
        throw ui::Refusal(ui::kPriceOutOfRange);
    if (wrong("prize", ui::bonusAllowed, true))
        throw ui::Refusal(ui::kBonusOutOfRange);
}

} // namespace

NormsWindow::NormsWindow(data::DataModule6& dataModule, QWidget* parent)
    : QDialog(parent), norm(&dataModule.ADO_DB, QStringLiteral("norm")), ui(new Ui::NormsWindow),
      dataModule_(dataModule) {
    ui->setupUi(this);
    // id breaks ties, so rows of the same norm keep their order between readings
    norm.setSql(QStringLiteral("select * from accounts_dep.norm order by norma, id"));
    norm.setUpdateTable(QStringLiteral("accounts_dep.norm"), QStringLiteral("id"));

    model_ = new ui::DatasetModel(&norm,
                                  {{.field = "norma",
                                    .title = "Норматив",
                                    .width = 110,
                                    .editable = true,
                                    .input = ui::CellInput::WholeNumber},
                                   {.field = "price",
                                    .title = "Цена",
                                    .width = 110,
                                    .text = priceText,
                                    .editable = true,
                                    .input = ui::CellInput::Decimal},
                                   {.field = "prize",
                                    .title = "Премия, %",
                                    .width = 110,
                                    .editable = true,
                                    .input = ui::CellInput::WholeNumber}},
                                  this);
    model_->setEditing({
        .keyField = QStringLiteral("id"),
        // a new row belongs to the operation the window was opened for
        .beforeWrite =
            [this](data::Dataset& rows) {
                checkNormRow(rows);
                if (rows.state() == data::Dataset::State::Insert)
                    rows.setValue(QStringLiteral("o_id"), operationId_);
            },
        // the written row takes its place in norma order
        .afterWrite = [](data::Dataset& rows) { rows.requery(); },
    });
    ui::bindEditableGrid(ui->DBGrid1, model_);

    connect(ui->Button1, &QPushButton::clicked, this,
            ui::guarded([this] { on_Button1_clicked(); }));
    connect(ui->Button2, &QPushButton::clicked, this,
            ui::guarded([this] { on_Button2_clicked(); }));
}

NormsWindow::~NormsWindow() {
    ui->DBGrid1->setModel(nullptr);
    delete ui;
}

void NormsWindow::openNorms(int operationId) {
    operationId_ = operationId;
    norm.close();
    norm.setFilter(QStringLiteral("o_id=") + QString::number(operationId));
    norm.setFiltered(true);
    norm.open();
    ui->DBGrid1->setFocus();
    seams::execModal(this);
}

// Escape presses "Сохранить", as Enter does: it writes, it does not discard.
void NormsWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        ui->Button1->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void NormsWindow::reject() {
    model_->cancelPendingRow();
    QDialog::reject();
}

void NormsWindow::refreshNorms() {
    if (norm.modified())
        model_->writePendingRow(); // re-reads the norms after writing
    else
        norm.requery();
}

void NormsWindow::on_Button1_clicked() {
    model_->writePendingRow();
    // the operations list shows each operation's smallest price and count of norms
    data::Dataset& operations = dataModule_.Oper;
    const int row = operations.recNo();
    operations.requery();
    operations.setRecNo(row);
    accept();
}

// The last norm stays: an operation without one would drop out of the operations list.
void NormsWindow::on_Button2_clicked() {
    const QModelIndex current = ui->DBGrid1->currentIndex();
    if (current.isValid() && model_->isAppendRow(current.row()))
        model_->cancelPendingRow(); // only a new row, not yet written, is there
    else if (norm.recordCount() > 1)
        norm.remove();
    refreshNorms();
}
