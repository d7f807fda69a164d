#include "material_dialog.h"
#include "ui_material_dialog.h"

#include "material.h"

#include "data/command.h"
#include "data/data_error.h"
#include "data/data_module.h"
#include "seams/messages.h"
#include "seams/modal_runner.h"
#include "ui/dataset_model.h"
#include "ui/decimal_edit.h"
#include "ui/guard.h"
#include "ui/number_format.h"

#include <QHeaderView>
#include <QScopeGuard>

namespace {

const QString kInsertSql = QStringLiteral(
    "insert into accounts_dep.smena_gds_use(id_smena, id_gds_use, f_qty_use, id_cons_use) "
    "values(:id_smena, :id_gds_use, :f_qty_use, :id_cons_use)");

} // namespace

MaterialDialog::MaterialDialog(data::DataModule6& dataModule, QWidget* parent)
    : QDialog(parent), v_cmn_gds_in(&dataModule.ADO_DB, QStringLiteral("v_cmn_gds_in")),
      v_id_cons_use(&dataModule.ADO_DB, QStringLiteral("v_id_cons_use")),
      gds_attr(&dataModule.ADO_DB, QStringLiteral("gds_attr")), ui(new Ui::MaterialDialog),
      dataModule_(dataModule) {
    ui->setupUi(this);
    setFixedSize(size());
    // a close box only
    setWindowFlags((windowFlags() | Qt::WindowCloseButtonHint) & ~Qt::WindowContextHelpButtonHint);

    v_cmn_gds_in.setSql(QStringLiteral("select * from accounts_dep.v_cmn_gds_in"));
    v_id_cons_use.setSql(QStringLiteral("select * from accounts_dep.show_consignment(:id)"));
    v_id_cons_use.setParam(QStringLiteral("id"), QStringLiteral("0"));
    gds_attr.setSql(QStringLiteral("select * from cmn_gds_and_srv.gds_attr"));

    ui->LCB_id_gds_use->bind(&v_cmn_gds_in, QStringLiteral("id"), QStringLiteral("s_caption"));
    consignments_ = new ui::DatasetModel(
        &v_id_cons_use,
        {{.field = "s_full_caption", .title = "Партия", .stretch = true},
         {.field = "f_cons_qty", .title = "Остаток", .alignment = Qt::AlignRight, .width = 90}},
        this);
    ui::bindDataGrid(ui->DBGrid1, consignments_);
    ui->DBGrid1->horizontalHeader()->hide();
    ui::useDecimalKeys(ui->Edit7);

    connect(ui->LCB_id_gds_use, &ui::LookupComboBox::listClosed, this,
            ui::guarded([this] { materialChosen(); }));
    ui->LCB_id_gds_use->installEventFilter(this);
    connect(ui->Button1, &QPushButton::clicked, this,
            ui::guarded([this] { on_Button1_clicked(); }));
    connect(ui->Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->DBGrid1, &QAbstractItemView::doubleClicked, this,
            ui::guarded([this] { on_Button1_clicked(); }));
}

MaterialDialog::~MaterialDialog() {
    ui->DBGrid1->setModel(nullptr);
    delete ui;
}

void MaterialDialog::openForPosition(int positionId, int productId,
                                     const QString& positionQuantity) {
    positionId_ = positionId;
    productId_ = productId;
    positionQuantity_ = positionQuantity;
    v_cmn_gds_in.open();
    v_id_cons_use.open(); // the consignments of the material chosen last
    const auto afterwards = qScopeGuard([this] {
        ui->LCB_id_gds_use->setKeyValue(0);
        ui->Edit7->setText(QStringLiteral("0"));
    });
    seams::execModal(this);
}

// The norms of the position's product; none when it has no attribute row. Read here only, as
// the dialog shows: the product is known by then.
void MaterialDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ui::runGuarded([this] {
        gds_attr.close();
        gds_attr.setFilter(QStringLiteral("id=") + QString::number(productId_));
        gds_attr.setFiltered(true);
        gds_attr.open();
    });
}

bool MaterialDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->LCB_id_gds_use && event->type() == QEvent::FocusOut)
        ui::runGuarded([this] { materialChosen(); });
    return QDialog::eventFilter(watched, event);
}

void MaterialDialog::done(int result) {
    v_cmn_gds_in.close();
    v_id_cons_use.close();
    QDialog::done(result);
}

void MaterialDialog::materialChosen() {
    v_id_cons_use.close();
    if (ui->LCB_id_gds_use->keyValue() != 0)
        v_id_cons_use.setParam(QStringLiteral("id"),
                               QString::number(ui->LCB_id_gds_use->keyValue()));
    v_id_cons_use.open();
    const bool product = gds_attr.isOpen() && !gds_attr.isEmpty();
    const QString name =
        ui->LCB_id_gds_use->showsText() ? ui->LCB_id_gds_use->currentText() : QString();
    rate_ = product ? journal::materialRate(name, gds_attr.asDouble(QStringLiteral("f_mass")),
                                            gds_attr.asDouble(QStringLiteral("f_color_qty")))
                    : 0.0f;
    ui->Edit7->setText(
        ui::decimalsText(journal::proposedConsumption(positionQuantity_, rate_), 0, 4));
}

void MaterialDialog::on_Button1_clicked() {
    std::optional<double> left;
    if (v_id_cons_use.isOpen() && !v_id_cons_use.isEmpty())
        left = v_id_cons_use.asDouble(QStringLiteral("f_cons_qty"));
    const QString quantity = ui->Edit7->text();
    const journal::ConsumptionRefusal refusal =
        journal::checkConsumption(ui->LCB_id_gds_use->showsText(), quantity, left);
    if (refusal != journal::ConsumptionRefusal::None) {
        seams::Messages::current().error(journal::refusalText(refusal), seams::kErrorCaption);
        return;
    }
    data::Command insert(&dataModule_.ADO_DB, QStringLiteral("smena_gds_use_ins"));
    insert.setSql(kInsertSql);
    insert.setParam(QStringLiteral("id_smena"), positionId_);
    insert.setParam(QStringLiteral("id_gds_use"), ui->LCB_id_gds_use->keyValue());
    insert.setParam(QStringLiteral("f_qty_use"), journal::consumptionValue(quantity));
    insert.setParam(QStringLiteral("id_cons_use"), v_id_cons_use.value(QStringLiteral("id")));
    insert.execute();
    accept();
}
