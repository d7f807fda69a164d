#include "material_dialog.h"
#include "ui_material_dialog.h"

#include "material.h"

#include "data/command.h"
#include "data/data_error.h"
#include "data/statement_files.h"
#include "seams/messages.h"
#include "seams/modal_runner.h"
#include "ui/activity.h"
#include "ui/dataset_model.h"
#include "ui/decimal_edit.h"
#include "ui/guard.h"
#include "ui/number_format.h"
#include "ui/window_geometry.h"

#include <QHeaderView>
#include <QScopeGuard>

MaterialDialog::MaterialDialog(data::Connection& connection, QWidget* parent)
    : QDialog(parent), ui(new Ui::MaterialDialog), connection_(connection),
      materials_(&connection, QStringLiteral("offered_materials")),
      consignments_(&connection, QStringLiteral("consignments")),
      productAttributes_(&connection, QStringLiteral("product_attributes")) {
    ui->setupUi(this);
    ui::rememberGeometry(this, QStringLiteral("MaterialDialog"));
    // a close box only
    setWindowFlags((windowFlags() | Qt::WindowCloseButtonHint) & ~Qt::WindowContextHelpButtonHint);

    materials_.setSql(data::statementText(QStringLiteral("journal/offered_materials")));
    consignments_.setSql(data::statementText(QStringLiteral("journal/consignments")));
    consignments_.setParam(QStringLiteral("id"), QStringLiteral("0"));
    productAttributes_.setSql(data::statementText(QStringLiteral("journal/product_attributes")));

    ui->materialCombo->bind(&materials_, QStringLiteral("id"), QStringLiteral("s_caption"));
    consignmentModel_ =
        new ui::DatasetModel(&consignments_,
                             {{.field = "s_full_caption", .title = "Партия", .stretch = true},
                              {.field = "f_cons_qty",
                               .title = "Остаток",
                               .alignment = Qt::AlignRight,
                               .width = 90,
                               .sample = "10000,125"}},
                             this);
    ui::bindDataGrid(ui->consignmentsView, consignmentModel_);
    ui->consignmentsView->horizontalHeader()->hide();
    ui::useDecimalKeys(ui->consumptionEdit);

    connect(ui->materialCombo, &ui::LookupComboBox::listClosed, this,
            ui::guarded([this] { materialChosen(); }));
    ui->materialCombo->installEventFilter(this);
    connect(ui->saveButton, &QPushButton::clicked, this,
            ui::guarded([this] { saveConsumption(); }));
    connect(ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->consignmentsView, &QAbstractItemView::doubleClicked, this,
            ui::guarded([this] { saveConsumption(); }));
}

MaterialDialog::~MaterialDialog() {
    ui->consignmentsView->setModel(nullptr);
    delete ui;
}

void MaterialDialog::openForPosition(int positionId, int productId,
                                     const QString& positionQuantity) {
    positionId_ = positionId;
    productId_ = productId;
    positionQuantity_ = positionQuantity;
    materials_.open();
    consignments_.open(); // the consignments of the material chosen last
    const auto afterwards = qScopeGuard([this] {
        ui->materialCombo->setKeyValue(0);
        ui->consumptionEdit->setText(QStringLiteral("0"));
    });
    ui->materialCombo->setFocus();
    seams::execModal(this);
}

// The norms of the position's product; none when it has no attribute row. Read here only, as
// the dialog shows: the product is known by then.
void MaterialDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ui::runGuarded([this] {
        productAttributes_.close();
        productAttributes_.setFilter(QStringLiteral("id=") + QString::number(productId_));
        productAttributes_.setFiltered(true);
        productAttributes_.open();
    });
}

bool MaterialDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->materialCombo && event->type() == QEvent::FocusOut)
        ui::runGuarded([this] { materialChosen(); });
    return QDialog::eventFilter(watched, event);
}

void MaterialDialog::done(int result) {
    materials_.close();
    consignments_.close();
    QDialog::done(result);
}

void MaterialDialog::materialChosen() {
    consignments_.close();
    if (ui->materialCombo->keyValue() != 0)
        consignments_.setParam(QStringLiteral("id"),
                               QString::number(ui->materialCombo->keyValue()));
    consignments_.open();
    standOnAConsignmentWithStock();
    const bool product = productAttributes_.isOpen() && !productAttributes_.isEmpty();
    const QString name =
        ui->materialCombo->showsText() ? ui->materialCombo->currentText() : QString();
    rate_ = product
                ? journal::materialRate(name, productAttributes_.asDouble(QStringLiteral("f_mass")),
                                        productAttributes_.asDouble(QStringLiteral("f_color_qty")))
                : 0.0f;
    ui->consumptionEdit->setText(
        ui::decimalsText(journal::proposedConsumption(positionQuantity_, rate_), 0, 4));
}

// A consignment that has nothing left can take no consumption: the first with something left
// is offered, and the list's first when none has.
void MaterialDialog::standOnAConsignmentWithStock() {
    const int left = consignments_.fieldIndex(QStringLiteral("f_cons_qty"));
    for (int row = 0; left >= 0 && row < consignments_.recordCount(); ++row)
        if (consignments_.valueAt(row, left).toDouble() > 0) {
            consignments_.setRecNo(row + 1);
            return;
        }
}

void MaterialDialog::saveConsumption() {
    std::optional<double> left;
    if (consignments_.isOpen() && !consignments_.isEmpty())
        left = consignments_.asDouble(QStringLiteral("f_cons_qty"));
    const QString quantity = ui->consumptionEdit->text();
    const journal::ConsumptionRefusal refusal =
        journal::checkConsumption(ui->materialCombo->showsText(), quantity, left);
    if (refusal != journal::ConsumptionRefusal::None) {
        seams::Messages::current().error(journal::refusalText(refusal), seams::kErrorCaption);
        return;
    }
    data::Command insert(&connection_, QStringLiteral("insert_material"));
    insert.setSql(data::statementText(QStringLiteral("journal/insert_material")));
    insert.setParam(QStringLiteral("id_smena"), positionId_);
    insert.setParam(QStringLiteral("id_gds_use"), ui->materialCombo->keyValue());
    insert.setParam(QStringLiteral("f_qty_use"), journal::consumptionValue(quantity));
    insert.setParam(QStringLiteral("id_cons_use"), consignments_.value(QStringLiteral("id")));
    insert.execute();
    ui::logChange(eventlog::Kind::Save, ui->saveButton,
                  QStringLiteral("расход ТМЦ позиции %1: %2, партия %3, расход %4")
                      .arg(QString::number(positionId_), ui->materialCombo->currentText(),
                           consignments_.asString(QStringLiteral("s_full_caption")).trimmed(),
                           quantity));
    accept();
}
