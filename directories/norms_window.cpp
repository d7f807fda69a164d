#include "norms_window.h"
#include "ui_norms_window.h"

#include "directories/catalog.h"

#include "seams/modal_runner.h"
#include "ui/activity.h"
#include "ui/dataset_model.h"
#include "ui/guard.h"
#include "ui/number_format.h"
#include "ui/value_rules.h"
#include "ui/window_geometry.h"

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

// The current norm row as the program's log tells it.
QString normText(const data::Dataset& rows) {
    return QStringLiteral("норматив операции %1: норма %2, цена %3, премия %4")
        .arg(rows.asString(QStringLiteral("o_id")), rows.asString(QStringLiteral("norma")),
             rows.asString(QStringLiteral("price")), rows.asString(QStringLiteral("prize")));
}

} // namespace

NormsWindow::NormsWindow(data::Connection& connection, QWidget* parent)
    : QDialog(parent), norms_(&connection, QStringLiteral("norm")), ui(new Ui::NormsWindow) {
    ui->setupUi(this);
    ui::rememberGeometry(this, QStringLiteral("NormsWindow"));
    norms_.setSql(directories::statement(QStringLiteral("norms")));
    norms_.setUpdateTable(QStringLiteral("accounts_dep.norm"), QStringLiteral("id"));

    model_ = new ui::DatasetModel(&norms_,
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
        .afterWrite =
            [this](data::Dataset& rows) {
                ui::logChange(eventlog::Kind::Save, ui->saveButton, normText(rows));
                rows.requery();
            },
    });
    ui::bindEditableGrid(ui->normsView, model_);

    connect(ui->saveButton, &QPushButton::clicked, this, ui::guarded([this] { saveNorm(); }));
    connect(ui->deleteButton, &QPushButton::clicked, this, ui::guarded([this] { deleteNorm(); }));
}

NormsWindow::~NormsWindow() {
    ui->normsView->setModel(nullptr);
    delete ui;
}

bool NormsWindow::openNorms(int operationId) {
    operationId_ = operationId;
    norms_.close();
    norms_.setFilter(QStringLiteral("o_id=") + QString::number(operationId));
    norms_.setFiltered(true);
    norms_.open();
    ui->normsView->setFocus();
    return seams::execModal(this) == QDialog::Accepted;
}

// Escape presses "Сохранить", as Enter does: it writes, it does not discard.
void NormsWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        ui->saveButton->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void NormsWindow::reject() {
    model_->cancelPendingRow();
    QDialog::reject();
}

void NormsWindow::refreshNorms() {
    if (norms_.modified())
        model_->writePendingRow(); // re-reads the norms after writing
    else
        norms_.requery();
}

void NormsWindow::saveNorm() {
    model_->writePendingRow();
    accept();
}

// The last norm stays: an operation without one would drop out of the operations list.
void NormsWindow::deleteNorm() {
    const QModelIndex current = ui->normsView->currentIndex();
    if (current.isValid() && model_->isAppendRow(current.row()))
        model_->cancelPendingRow(); // only a new row, not yet written, is there
    else if (norms_.recordCount() > 1) {
        const QString removed = normText(norms_);
        norms_.remove();
        ui::logChange(eventlog::Kind::Deletion, ui->deleteButton, removed);
    }
    refreshNorms();
}
