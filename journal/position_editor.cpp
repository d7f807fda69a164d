#include "position_editor.h"
#include "ui_position_editor.h"

#include "journal_view.h"
#include "material_dialog.h"

#include "data/conversions.h"
#include "data/data_error.h"
#include "data/data_module.h"
#include "data/product_kind.h"
#include "directories/operations_window.h"
#include "directories/worker_picker.h"
#include "seams/clock.h"
#include "seams/messages.h"
#include "seams/modal_runner.h"
#include "ui/dataset_model.h"
#include "ui/date_box.h"
#include "ui/decimal_edit.h"
#include "ui/guard.h"
#include "ui/login_role.h"
#include "ui/lookup_combo_box.h"
#include "ui/number_format.h"
#include "ui/value_rules.h"

#include <QEvent>
#include <QKeyEvent>
#include <QScopeGuard>

namespace {

const QString kRequisitionsSql =
    QStringLiteral("select id, s_caption from accounts_dep.v_mnf_requisition");
const QString kLinesSql = QStringLiteral("select id, id_doc, s_caption, id_gds, f_qty, s_gds_mc "
                                         "from accounts_dep.v_mnf_requisition_item");

const QStringList kMaterialsSql{
    QStringLiteral("select sgu.id as id"),
    QStringLiteral("      ,vcgi.s_caption"),
    QStringLiteral("      ,cons_use.s_full_caption as s_cons_use_hl"),
    QStringLiteral("      ,sgu.f_qty_use"),
    QStringLiteral("from accounts_dep.smena_gds_use sgu"),
    QStringLiteral("inner join accounts_dep.v_cmn_gds_in vcgi on vcgi.id = sgu.id_gds_use"),
    QStringLiteral("left join accounts_dep.show_consignment(sgu.id_gds_use) cons_use on "
                   "cons_use.id = sgu.id_cons_use"),
    QStringLiteral("where sgu.id_smena = :id_smena"),
};

const QStringList kBrigadeSql{
    QStringLiteral("select person_temp.id"),
    QStringLiteral("      ,person.s_caption as s_caption"),
    QStringLiteral("from accounts_dep.person_temp person_temp"),
    QStringLiteral("inner join cmn_contractor.person person on person.id = person_temp.id_person"),
    QStringLiteral("where person_temp.id_smena = :s_id"),
};

// The operation's own price, as the operations list gives it: its smallest norm price.
const QString kOperationPriceSql = QStringLiteral(
    "select round(min(price)::numeric,4) as cena from accounts_dep.norm where o_id=:o_id");

const QString kCannotSave = QStringLiteral("Невозможно сохранить данные в БД!");
const QString kNoOperationPrice =
    QStringLiteral("У операции позиции нет цены: выберите операцию заново!");

QString priceText(double price) {
    return ui::decimalsText(price, 0, 4);
}

} // namespace

PositionEditor::PositionEditor(data::DataModule6& dataModule, JournalView& journal, QWidget* parent)
    : QDialog(parent), v_mnf_requisition(&dataModule.ADO_DB, QStringLiteral("v_mnf_requisition")),
      v_mnf_requisition_item(&dataModule.ADO_DB, QStringLiteral("v_mnf_requisition_item")),
      smena_gds_use(&dataModule.ADO_DB, QStringLiteral("smena_gds_use")),
      fio_smena_gds(&dataModule.ADO_DB, QStringLiteral("fio_smena_gds")),
      ui(new Ui::PositionEditor), dataModule_(dataModule), journal_(journal),
      SmenaIU(&dataModule.ADO_DB, QStringLiteral("SmenaIU")),
      ins_person(&dataModule.ADO_DB, QStringLiteral("ins_person")),
      save_all(&dataModule.ADO_DB, QStringLiteral("save_all")) {
    ui->setupUi(this);
    setFixedSize(size());
    smena_gds_use.setSql(kMaterialsSql);
    fio_smena_gds.setSql(kBrigadeSql);
    ins_person.setSql(QStringLiteral(
        "insert into accounts_dep.person_temp(id_smena, id_person) values(:s_id,:p_id)"));
    save_all.setSql(QStringLiteral("select accounts_dep.divide_between_person(:s_id)"));

    ui->LCB_id_doc->bind(&v_mnf_requisition, QStringLiteral("id"), QStringLiteral("s_caption"));
    ui->LCB_id_doc_item->bind(&v_mnf_requisition_item, QStringLiteral("id"),
                              QStringLiteral("s_caption"));
    ui::turnFocusedLookupsByWheel(this);

    materialModel_ =
        new ui::DatasetModel(&smena_gds_use,
                             {{.field = "s_caption", .title = "ТМЦ", .width = 125},
                              {.field = "s_cons_use_hl", .title = "Партия", .stretch = true},
                              {.field = "f_qty_use", .title = "Расход", .width = 62}},
                             this);
    ui::bindDataGrid(ui->DBGrid1, materialModel_);
    brigadeModel_ = new ui::DatasetModel(
        &fio_smena_gds, {{.field = "s_caption", .title = "Фамилия Имя Отчество", .stretch = true}},
        this);
    ui::bindDataGrid(ui->DBGrid2, brigadeModel_);

    ui::useDecimalKeys(ui->Edit3);
    ui::useDecimalKeys(ui->Edit8);
    ui::useWholeNumberKeys(ui->Edit4);
    ui::useWholeNumberKeys(ui->Edit6);
    for (QWidget* w : std::initializer_list<QWidget*>{ui->Edit1, ui->Edit2, ui->Edit3, ui->Edit4,
                                                      ui->Edit6, ui->DTimeP})
        w->installEventFilter(this);

    connect(ui->LCB_id_doc, &ui::LookupComboBox::listClosed, this,
            ui::guarded([this] { on_LCB_id_doc_closed(); }));
    connect(ui->LCB_id_doc_item, &ui::LookupComboBox::listClosed, this,
            ui::guarded([this] { on_LCB_id_doc_item_closed(); }));
    const auto handler = [this](QPushButton* button, void (PositionEditor::*slot)()) {
        connect(button, &QPushButton::clicked, this,
                ui::guarded([this, slot] { (this->*slot)(); }));
    };
    handler(ui->Button1, &PositionEditor::on_Button1_clicked);
    handler(ui->Button3, &PositionEditor::on_Button3_clicked);
    handler(ui->Button4, &PositionEditor::on_Button4_clicked);
    handler(ui->Button5, &PositionEditor::on_Button5_clicked);
    handler(ui->Button6, &PositionEditor::on_Button6_clicked);
    handler(ui->Button7, &PositionEditor::on_Button7_clicked);
    handler(ui->Button8, &PositionEditor::on_Button8_clicked);
    handler(ui->Button9, &PositionEditor::on_Button9_clicked);
    connect(ui->Button2, &QPushButton::clicked, this, [this] {
        smena_gds_use.close();
        reject();
    });
}

PositionEditor::~PositionEditor() {
    ui->DBGrid1->setModel(nullptr);
    ui->DBGrid2->setModel(nullptr);
    delete ui;
}

void PositionEditor::useWindows(WorkerPicker& workers, OperationsWindow& operations,
                                MaterialDialog& materials) {
    workers_ = &workers;
    operations_ = &operations;
    materials_ = &materials;
}

void PositionEditor::setLookupStatements() {
    v_mnf_requisition.close();
    v_mnf_requisition_item.close();
    v_mnf_requisition.setSql(kRequisitionsSql);
    v_mnf_requisition_item.setSql(kLinesSql);
}

void PositionEditor::openMaterials(int positionId) {
    smena_gds_use.close();
    smena_gds_use.setParam(QStringLiteral("id_smena"), positionId);
    smena_gds_use.open();
}

void PositionEditor::openBrigade(int positionId) {
    fio_smena_gds.close();
    fio_smena_gds.setParam(QStringLiteral("s_id"), positionId);
    fio_smena_gds.open();
}

void PositionEditor::setMaterialSectionEnabled(bool on) {
    ui->DBGrid1->setEnabled(on);
    ui->Button5->setEnabled(on);
    ui->Button6->setEnabled(on);
}

void PositionEditor::setBrigadeSectionEnabled(bool on) {
    ui->DBGrid2->setEnabled(on);
    ui->Button7->setEnabled(on);
    ui->Button8->setEnabled(on);
    ui->Button9->setEnabled(on);
}

// --- openers

void PositionEditor::openNew() {
    data::Dataset& shift = journal_.currentShift();
    ui->DTimeP->setDate(journal_.journalDate());
    ui->Edit1->clear();
    ui->Edit2->clear();
    ui->Edit3->clear();
    ui->Edit4->setText(QStringLiteral("0"));
    ui->Edit6->setText(QStringLiteral("0"));
    setLookupStatements();
    setWindowTitle(QStringLiteral("Заведение новой позиции"));
    Tag = 1;
    v_mnf_requisition.open();
    v_mnf_requisition_item.setFilter(QStringLiteral("id_doc=0"));
    v_mnf_requisition_item.setFiltered(true);
    v_mnf_requisition_item.open();
    openMaterials(0);
    ui->LCB_id_doc->setKeyValue(0);
    ui->LCB_id_doc_item->setKeyValue(0);
    ui->GroupBox1->setEnabled(true);
    ui->Button1->setEnabled(true);
    setMaterialSectionEnabled(false);
    setBrigadeSectionEnabled(false);
    fio_smena_gds.close(); // no brigade of an earlier position shown
    ui->Label10->clear();
    held_.s_id = 0;
    held_.opened = {};
    impossibleDate_ = false;
    seams::execModal(this);
    shift.requery();
}

void PositionEditor::loadPosition(const data::Dataset& row) {
    held_.s_id = row.asInt(QStringLiteral("id"));
    held_.opened = journal::PositionVersion::listed(row);
    impossibleDate_ = false;
    held_.w_id = row.asInt(QStringLiteral("w_id"));
    held_.i_id = row.asInt(QStringLiteral("i_id"));
    held_.o_id = row.asInt(QStringLiteral("o_id"));
    naimen = row.asInt(QStringLiteral("naimen"));
    ui->Edit8->setText(priceText(row.asDouble(QStringLiteral("cena"))));
    ui->DTimeP->setDate(row.asDate(QStringLiteral("data")));
    ui->Edit1->setText(row.asString(QStringLiteral("fio")).trimmed());
    ui->Edit2->setText(row.asString(QStringLiteral("marka")).trimmed() + QStringLiteral("; ") +
                       row.asString(QStringLiteral("vid")).trimmed() + QStringLiteral("; ") +
                       data::productKindText(naimen));
    ui->Edit3->setText(ui::generalNumberText(row.asDouble(QStringLiteral("kol_vo"))));
    ui->Edit4->setText(row.asString(QStringLiteral("brak")).trimmed());
    ui->Edit6->setText(QString::number(row.asInt(QStringLiteral("time"))));
    // The stored price already carries the factors of its save; a save here starts again
    // from the operation's own price.
    data::Parameters operation;
    operation.set(QStringLiteral("o_id"), held_.o_id);
    const QVariant own =
        dataModule_.readScratchValue(kOperationPriceSql, QStringLiteral("cena"), operation);
    held_.cena = own.isValid() ? float(own.toDouble()) : 0.0f;
    operationPriced_ = own.isValid();
}

void PositionEditor::openChange() {
    data::Dataset& shift = journal_.currentShift();
    const int recNo = shift.recNo();
    if (shift.isEmpty() || shift.asString(QStringLiteral("ok")).trimmed() == u"ok")
        return;
    setLookupStatements();
    setWindowTitle(QStringLiteral("Изменение данных о позиции"));
    Tag = 2;
    loadPosition(shift);

    // a position without a requisition reads 0: no line listed
    const qint64 requisition = shift.asInt64(QStringLiteral("id_doc"));
    v_mnf_requisition_item.setFilter(QStringLiteral("id_doc=") + QString::number(requisition));
    ui->LCB_id_doc->setKeyValue(requisition);
    v_mnf_requisition_item.setFiltered(true);
    v_mnf_requisition_item.open();
    ui->LCB_id_doc_item->setKeyValue(shift.asInt64(QStringLiteral("id_doc_item")));
    v_mnf_requisition.open();
    ui->LCB_id_doc->setKeyValue(ui->LCB_id_doc->keyValue()); // stands on the requisition

    openMaterials(held_.s_id);
    for (QWidget* w : std::initializer_list<QWidget*>{
             ui->Button1, ui->Button3, ui->Button4, ui->Button5, ui->Button6, ui->GroupBox1,
             ui->Edit1, ui->Edit2, ui->Edit3, ui->Edit4, ui->Edit6, ui->Edit8, ui->DBGrid1,
             ui->LCB_id_doc, ui->LCB_id_doc_item})
        w->setEnabled(true);
    ui->Button7->setEnabled(false);
    ui->Button8->setEnabled(false);
    ui->Button9->setEnabled(false);
    ui->Label10->setText(QString::number(held_.s_id));
    fio_smena_gds.close(); // the brigade is entered only with a new position
    seams::execModal(this);
    shift.setRecNo(recNo);
}

void PositionEditor::openView() {
    data::Dataset& shift = journal_.currentShift();
    const auto enableAgain = qScopeGuard([this] {
        ui->GroupBox1->setEnabled(true);
        ui->Button1->setEnabled(true);
        setMaterialSectionEnabled(true);
    });
    ui->GroupBox1->setEnabled(false);
    ui->Button1->setEnabled(false);
    setMaterialSectionEnabled(false);
    const int recNo = shift.recNo();
    if (shift.isEmpty())
        return;
    setWindowTitle(QStringLiteral("Просмотр данных о позиции"));
    Tag = 3;
    loadPosition(shift);
    const QString id = QString::number(held_.s_id);

    v_mnf_requisition.close();
    v_mnf_requisition_item.close();
    v_mnf_requisition.setSql(
        QStringLiteral("select format('Заявка № %s от %s', doc.s_number, to_char(doc.d_date, "
                       "'dd.mm.yyyy')) as s_caption, doc.id as id from accounts_dep.smena smena "
                       "inner join mnf_doc.doc doc on doc.id = smena.id_doc where smena.id = ") +
        id);
    v_mnf_requisition.open();
    v_mnf_requisition.first();
    ui->LCB_id_doc->setKeyValue(
        v_mnf_requisition.isEmpty() ? 0 : v_mnf_requisition.asInt64(QStringLiteral("id")));
    v_mnf_requisition_item.setSql(
        QStringLiteral("select id::t_id, s_caption, 0::t_id as id_doc, 0::t_id as id_gds, "
                       "0::t_float as f_qty, 0::t_code as s_gds_mc from "
                       "accounts_dep.get_doc_item_caption_by_smena(") +
        id + u')');
    // the rows of this statement carry id_doc 0, so the line filter lets them through
    v_mnf_requisition_item.setFilter(QStringLiteral("id_doc=0"));
    v_mnf_requisition_item.setFiltered(true);
    v_mnf_requisition_item.open();
    v_mnf_requisition_item.first();
    ui->LCB_id_doc_item->setKeyValue(v_mnf_requisition_item.isEmpty()
                                         ? 0
                                         : v_mnf_requisition_item.asInt64(QStringLiteral("id")));

    openMaterials(held_.s_id);
    ui->Label10->setText(id);
    // the viewed position's brigade, to read only
    openBrigade(held_.s_id);
    ui->DBGrid2->setEnabled(true);
    ui->Button7->setEnabled(false);
    ui->Button8->setEnabled(false);
    ui->Button9->setEnabled(false);
    seams::execModal(this);
    shift.setRecNo(recNo);
}

void PositionEditor::done(int result) {
    v_mnf_requisition.close();
    v_mnf_requisition_item.setFilter(QStringLiteral("id_doc=0"));
    v_mnf_requisition_item.setFiltered(true);
    v_mnf_requisition_item.close();
    QDialog::done(result);
}

// --- the header

bool PositionEditor::eventFilter(QObject* watched, QEvent* event) {
    // Leaving the date box puts back the last whole date when the typed one is none (31.02):
    // noted here, before the box does so, for the save to refuse it.
    if (watched == ui->DTimeP &&
        (event->type() == QEvent::FocusOut ||
         (event->type() == QEvent::KeyPress &&
          (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return ||
           static_cast<QKeyEvent*>(event)->key() == Qt::Key_Enter))) &&
        !typedDateValid())
        impossibleDate_ = true;
    if (event->type() == QEvent::MouseButtonPress &&
        (watched == ui->Edit1 || watched == ui->Edit2)) {
        auto* box = static_cast<QWidget*>(watched);
        if (box->isEnabled() && ui->GroupBox1->isEnabled())
            ui::runGuarded([this, watched] {
                if (watched == ui->Edit1)
                    on_Button3_clicked();
                else
                    on_Button4_clicked();
            });
        return true;
    }
    if (event->type() == QEvent::FocusOut &&
        (watched == ui->Edit3 || watched == ui->Edit4 || watched == ui->Edit6))
        ui::runGuarded([this, watched] { numberBoxLeft(watched); });
    return QDialog::eventFilter(watched, event);
}

void PositionEditor::numberBoxLeft(QObject* box) {
    auto* edit = static_cast<QLineEdit*>(box);
    if (edit->text().isEmpty())
        edit->setText(QStringLiteral("0"));
    if (edit == ui->Edit6)
        data::toInt(edit->text()); // a pasted text that is no whole number says so here
}

void PositionEditor::on_LCB_id_doc_closed() {
    v_mnf_requisition_item.setFiltered(false);
    const qint64 requisition = ui->LCB_id_doc->showsText() ? ui->LCB_id_doc->keyValue() : 0;
    v_mnf_requisition_item.setFilter(QStringLiteral("id_doc=") + QString::number(requisition));
    v_mnf_requisition_item.setFiltered(true);
    if (ui->LCB_id_doc->showsText())
        ui->LCB_id_doc_item->setEnabled(true);
    ui->LCB_id_doc_item->setKeyValue(0);
    ui->Edit1->clear();
    ui->Edit2->clear();
    held_.o_id = 0;
    p_id = 0;
    held_.w_id = 0;
}

void PositionEditor::on_LCB_id_doc_item_closed() {
    if (ui->LCB_id_doc_item->showsText()) {
        ui->Edit1->setEnabled(true);
        ui->Button3->setEnabled(true);
    }
    ui->Edit1->clear();
    ui->Edit2->clear();
    held_.o_id = 0;
    p_id = 0;
    held_.w_id = 0;
}

bool PositionEditor::showsRequisition() const {
    return !ui->LCB_id_doc->currentText().trimmed().isEmpty() ||
           !ui->LCB_id_doc_item->currentText().isEmpty();
}

QString PositionEditor::lineProductCode() const {
    const data::Dataset& lines = v_mnf_requisition_item;
    if (!lines.isOpen() || lines.isEmpty())
        return QString();
    return lines.asString(QStringLiteral("s_gds_mc"));
}

void PositionEditor::showWorker(const ChosenWorker& worker) {
    ui->Edit1->setText(worker.name);
    held_.w_id = worker.code;
    p_id = worker.personId;
}

void PositionEditor::showOperation(const OperationChoice& operation) {
    held_.i_id = operation.productId;
    held_.o_id = operation.operationId;
    naimen = operation.productKind;
    held_.cena = operation.price;
    operationPriced_ = true;
    ui->Edit2->setText(operation.text);
}

void PositionEditor::on_Button3_clicked() {
    if (!workers_)
        return;
    const auto choice = workers_->pick();
    if (!choice)
        return;
    if (choice->worker)
        showWorker(*choice->worker);
    ui->Edit2->clear();
    held_.o_id = 0; // a new worker needs the operation chosen again
    if (!ui->Edit1->text().isEmpty()) {
        ui->Edit2->setEnabled(true);
        ui->Button4->setEnabled(true);
    }
}

void PositionEditor::on_Button4_clicked() {
    if (!operations_)
        return;
    OperationRequest request{showsRequisition(), lineProductCode(), 0};
    if (Tag != 1 && !journal_.currentShift().isEmpty())
        request.currentOperationId = journal_.currentShift().asInt(QStringLiteral("o_id"));
    if (const auto operation = operations_->pick(request))
        showOperation(*operation);
    ui->Edit8->setText(priceText(held_.cena));
    numberBoxLeft(ui->Edit3);
    if (!ui->Edit2->text().isEmpty()) {
        ui->Edit3->setEnabled(true);
        ui->Edit6->setEnabled(true);
    }
}

// --- the save

bool PositionEditor::typedDateValid() const {
    return ui->DTimeP->showsADay();
}

void PositionEditor::on_Button1_clicked() {
    if (impossibleDate_ || !typedDateValid()) {
        impossibleDate_ = false;
        seams::Messages::current().error(ui::kWorkDateImpossible, seams::kErrorCaption);
        return;
    }
    held_.quantity = ui->Edit3->text();
    held_.rejects = ui->Edit4->text();
    held_.hours = ui->Edit6->text();
    held_.workDay = ui->DTimeP->date();
    held_.id_doc = ui->LCB_id_doc->showsText() ? ui->LCB_id_doc->keyValue() : 0;
    held_.id_doc_item = ui->LCB_id_doc_item->showsText() ? ui->LCB_id_doc_item->keyValue() : 0;
    journal::PositionForm form{ui->Edit1->text(),
                               ui->Edit2->text(),
                               ui->LCB_id_doc->showsText(),
                               ui->LCB_id_doc_item->showsText(),
                               0,
                               seams::Clock::today()};
    if (form.lineShown && !v_mnf_requisition_item.isEmpty())
        form.lineRequired = v_mnf_requisition_item.asDouble(QStringLiteral("f_qty"));
    journal::SaveRefusal refusal = journal::checkPosition(held_, form);
    if (refusal != journal::SaveRefusal::None) {
        seams::Messages::current().error(journal::refusalText(refusal), seams::kErrorCaption);
        return;
    }
    if (!operationPriced_) {
        seams::Messages::current().error(kNoOperationPrice, seams::kErrorCaption);
        return;
    }
    const journal::SaveConditions conditions{journal_.dayOff(), journal_.loginValues().CurSmena,
                                             seams::Clock::today()};
    // a norm price stored before prices were kept below 10^6 may overflow with the factors
    if (!ui::positionPriceAllowed(
            journal::positionPrice(held_.cena, conditions.dayOff, conditions.shift))) {
        seams::Messages::current().error(ui::kPositionPriceOutOfRange, seams::kErrorCaption);
        return;
    }
    // the 24 hours of the worker's day are the database's to check, under the day's lock:
    // its refusal rolls the save back and is shown with the same text
    journal::PositionSaver saver(dataModule_);

    data::Dataset& shift = journal_.currentShift();
    const bool added = held_.s_id == 0;
    const int recNo = shift.recNo();
    const journal::PositionVersion written = journal::PositionSaver::written(held_, conditions);
    try {
        held_.s_id = saver.save(held_, conditions);
    } catch (const journal::PositionStale&) {
        // what the journal lists now is what another workstation left
        shift.requery();
        if (!shift.isEmpty() && recNo > 0)
            shift.setRecNo(recNo);
        throw;
    }
    held_.opened = written;
    if (added) {
        shift.requery();
        shift.locate(QStringLiteral("id"), held_.s_id);
        ui->Label10->setText(QString::number(held_.s_id));
        openMaterials(held_.s_id);
    } else {
        shift.requery();
        if (!shift.isEmpty() && recNo > 0)
            shift.setRecNo(recNo);
    }
    ui->Button5->setEnabled(true);
    ui->Button6->setEnabled(true);
    if (Tag == 1) {
        openBrigade(held_.s_id);
        ui->Button9->setEnabled(true);
        ui->DBGrid1->setEnabled(true);
        ui->DBGrid2->setEnabled(true);
        ui->Button7->setEnabled(true);
        ui->Button8->setEnabled(true);
        ui->GroupBox1->setEnabled(false);
        ui->Button1->setEnabled(false);
    }
}

// --- materials

void PositionEditor::on_Button5_clicked() {
    if (!materials_)
        return;
    const auto afterwards = qScopeGuard([this] {
        ui::runGuarded([this] {
            smena_gds_use.requery();
            openBrigade(held_.s_id);
        });
    });
    materials_->openForPosition(held_.s_id, held_.i_id, ui->Edit3->text());
}

void PositionEditor::on_Button6_clicked() {
    if (!smena_gds_use.isOpen() || smena_gds_use.isEmpty())
        return;
    SmenaIU.setSql(QStringLiteral("delete from accounts_dep.smena_gds_use where id=") +
                   QString::number(smena_gds_use.asInt(QStringLiteral("id"))));
    SmenaIU.execute();
    const int recNo = smena_gds_use.recNo();
    smena_gds_use.requery();
    if (!smena_gds_use.isEmpty() && recNo > 0)
        smena_gds_use.setRecNo(recNo);
}

// --- brigade

void PositionEditor::on_Button7_clicked() {
    if (!workers_)
        return;
    const auto choice = workers_->pick();
    ui->Edit1->clear();
    if (!choice || !choice->worker)
        return;
    fio_smena_gds.close();
    ins_person.setParam(QStringLiteral("p_id"), QString::number(choice->worker->personId));
    ins_person.setParam(QStringLiteral("s_id"), held_.s_id);
    try {
        ins_person.execute();
    } catch (const data::DataError& e) {
        if (!ui::showRefusal(e))
            seams::Messages::current().error(kCannotSave, seams::kErrorCaption);
    }
    fio_smena_gds.open();
}

// Removes only the selected member; a person added by mistake is one click away again, so
// it asks nothing, like the material list beside it.
void PositionEditor::on_Button8_clicked() {
    if (!fio_smena_gds.isOpen() || fio_smena_gds.isEmpty())
        return;
    const int recNo = fio_smena_gds.recNo();
    data::Command remove(&dataModule_.ADO_DB, QStringLiteral("del_person"));
    remove.setSql(QStringLiteral("delete from accounts_dep.person_temp where id=:id"));
    remove.setParam(QStringLiteral("id"), fio_smena_gds.asInt64(QStringLiteral("id")));
    try {
        remove.execute();
    } catch (const data::DataError& e) {
        if (!ui::showRefusal(e))
            seams::Messages::current().error(kCannotSave, seams::kErrorCaption);
    }
    fio_smena_gds.requery();
    if (!fio_smena_gds.isEmpty() && recNo > 0)
        fio_smena_gds.setRecNo(recNo);
}

void PositionEditor::on_Button9_clicked() {
    save_all.setParam(QStringLiteral("s_id"), held_.s_id);
    try {
        save_all.execute();
    } catch (const data::DataError& e) {
        if (!ui::showRefusal(e))
            seams::Messages::current().error(kCannotSave, seams::kErrorCaption);
    }
    accept();
}
