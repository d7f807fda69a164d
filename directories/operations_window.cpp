#include "operations_window.h"
#include "ui_operations_window.h"

#include "directories/grid_double_click.h"
#include "directories/norms_window.h"
#include "directories/operation_editor.h"

#include "data/conversions.h"
#include "data/data_module.h"
#include "data/product_kind.h"
#include "seams/messages.h"
#include "seams/modal_runner.h"
#include "spreadsheet/spreadsheet.h"
#include "ui/dataset_model.h"
#include "ui/guard.h"
#include "ui/incremental_search.h"
#include "ui/number_format.h"
#include "ui/wait_cursor.h"

#include <QApplication>
#include <QScopeGuard>

#include <QShowEvent>
#include <utility>

namespace {

const QString kOperationInUse =
    QStringLiteral("Операция используется в позициях, удаление невозможно!");

// Every operation, with or without norms, with the operation's own price column.
const QStringList kExportSql{
    QStringLiteral("select izdel.MARKA, vid_oper.VID, oper.NAIMEN, "
                   "iif(naimen=0,'Готовая продукция','Заготовки') as nmn, oper.CENA, oper.id, "
                   "oper.i_id,"),
    QStringLiteral(" oper.VID as oper_vid from accounts_dep.OPER,accounts_dep.IZDEL,"
                   "accounts_dep.VID_OPER where OPER.i_id=IZDEL.id "),
    QStringLiteral("and oper.vid=vid_oper.id order by izdel.marka, vid_oper.vid, oper.naimen"),
};

} // namespace

QString OperationsWindow::productFilter(const QString& lineProductCode) {
    bool ok = false;
    const qint64 id = lineProductCode.trimmed().toLongLong(&ok);
    return QStringLiteral("i_id=") + QString::number(ok ? id : 0);
}

OperationsWindow::OperationsWindow(data::DataModule6& dataModule, QWidget* parent)
    : QDialog(parent), XLS_Rep(&dataModule.ADO_DB, QStringLiteral("XLS_Rep")),
      ui(new Ui::OperationsWindow), dataModule_(dataModule) {
    ui->setupUi(this);
    XLS_Rep.setSql(kExportSql);

    model_ = new ui::DatasetModel(&dataModule_.Oper,
                                  {{.field = "marka", .title = "Марка", .width = 200},
                                   {.field = "vid", .title = "Опреция", .stretch = true},
                                   {.field = "cena", .title = "Цена (min)", .width = 90},
                                   {.field = "nmn", .title = "Вид", .width = 140},
                                   {.field = "norma", .title = "Нормы (шт.)", .width = 90},
                                   {.field = "id", .hidden = true},
                                   {.field = "i_id", .hidden = true},
                                   {.field = "oper_vid", .hidden = true}},
                                  this);
    ui::bindDataGrid(ui->DBGrid1, model_);
    search_ = new ui::IncrementalSearch(
        ui->Edit1, &dataModule_.Oper, [this](const QString& typed) { return searchFilter(typed); },
        ui::IncrementalSearch::Keys::TypingOnly);

    connect(ui->Button1, &QPushButton::clicked, this,
            ui::guarded([this] { on_Button1_clicked(); }));
    connect(ui->Button2, &QPushButton::clicked, this,
            ui::guarded([this] { on_Button2_clicked(); }));
    connect(ui->Button3, &QPushButton::clicked, this,
            ui::guarded([this] { on_Button3_clicked(); }));
    connect(ui->Button4, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->Button5, &QPushButton::clicked, this,
            ui::guarded([this] { on_Button5_clicked(); }));
    directories::onGridDoubleClick(ui->DBGrid1, [this] { on_DBGrid1_doubleClicked(); });
}

OperationsWindow::~OperationsWindow() {
    ui->DBGrid1->setModel(nullptr);
    delete ui;
}

void OperationsWindow::useEditors(OperationEditor& priceEditor, NormsWindow& norms) {
    operationEditor_ = &priceEditor;
    norms_ = &norms;
}

void OperationsWindow::openDirectory() {
    Tag = 0;
    data::Dataset& operations = dataModule_.Oper;
    // the list's own search decides what is shown (see activated)
    operations.setFiltered(false);
    operations.requery();
    ui->Button2->setText(QStringLiteral("Изменить"));
    ui->Button1->show();
    ui->Button3->show();
    ui->Button1->setDefault(true);
    const auto afterwards = qScopeGuard([&operations] { operations.close(); });
    seams::execModal(this);
}

std::optional<OperationChoice> OperationsWindow::pick(const OperationRequest& request) {
    Tag = 1;
    request_ = request;
    choice_.reset();
    data::Dataset& operations = dataModule_.Oper;
    operations.setFilter(request.forRequisition ? productFilter(request.lineProductCode)
                                                : QStringLiteral("i_id=0"));
    operations.setFiltered(true);
    operations.requery();
    if (request.currentOperationId == 0)
        operations.first();
    else
        operations.locate(QStringLiteral("id"), request.currentOperationId);
    ui->Button2->setText(QStringLiteral("Выбрать"));
    ui->Button1->hide();
    ui->Button3->hide();
    ui->Button2->setDefault(true);
    const auto afterwards = qScopeGuard([this] {
        request_ = {};
        ui->Button2->setDefault(false);
        ui->Button1->setDefault(true);
        dataModule_.Oper.setFiltered(false);
    });
    seams::execModal(this);
    return std::exchange(choice_, std::nullopt);
}

void OperationsWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    activated();
}

void OperationsWindow::activated() {
    if (!ui->Edit1->isHidden())
        ui->Edit1->setFocus();
    if (!ui->Edit1->text().trimmed().isEmpty())
        ui::runGuarded([this] { search_->apply(); });
}

// Blanks alone search for nothing. While the entry dialog shows a requisition, only the
// operations on its line's product are offered.
QString OperationsWindow::searchFilter(const QString& typed) const {
    const QString byMark =
        typed.trimmed().isEmpty()
            ? QString()
            : ui::IncrementalSearch::prefixFilter(QStringLiteral("marka"), typed);
    if (Tag != 1 || !request_.forRequisition)
        return byMark;
    const QString byProduct = productFilter(request_.lineProductCode);
    return byMark.isEmpty() ? byProduct : byProduct + QStringLiteral(" and ") + byMark;
}

void OperationsWindow::on_Button1_clicked() {
    if (!operationEditor_)
        return;
    operationEditor_->openNew();
    activated();
}

void OperationsWindow::on_Button2_clicked() {
    if (Tag == 0)
        changeOperation();
    else
        chooseOperation();
}

void OperationsWindow::changeOperation() {
    const data::Dataset& operations = dataModule_.Oper;
    if (!operationEditor_ || operations.isEmpty()) // nothing to change
        return;
    operationEditor_->openChange(operations.asString(QStringLiteral("marka")).trimmed(),
                                 operations.asString(QStringLiteral("vid")).trimmed(),
                                 operations.asInt(QStringLiteral("naimen")),
                                 operations.asInt(QStringLiteral("i_id")),
                                 operations.asInt(QStringLiteral("oper_vid")));
    activated();
}

void OperationsWindow::chooseOperation() {
    const data::Dataset& operations = dataModule_.Oper;
    if (operations.isEmpty()) {
        reject(); // nothing to hand over
        return;
    }
    OperationChoice choice;
    choice.productId = operations.asInt(QStringLiteral("i_id"));
    choice.operationId = operations.asInt(QStringLiteral("id"));
    choice.productKind = operations.asInt(QStringLiteral("naimen"));
    choice.price = float(operations.asDouble(QStringLiteral("cena")));
    const QString mark =
        dataModule_
            .readScratchValue(QStringLiteral("select marka from accounts_dep.izdel where id=") +
                                  QString::number(choice.productId),
                              QStringLiteral("marka"))
            .toString()
            .trimmed();
    choice.text = mark + QStringLiteral("; ") +
                  operations.asString(QStringLiteral("vid")).trimmed() + QStringLiteral("; ") +
                  data::productKindText(choice.productKind);
    choice_ = choice;
    accept();
}

void OperationsWindow::on_Button3_clicked() {
    if (!seams::Messages::current().question(QStringLiteral("Удалить операцию?"),
                                             seams::kDeleteCaption))
        return;
    data::Dataset& operations = dataModule_.Oper;
    const int id = operations.asInt(QStringLiteral("id")); // none: 0
    // a deleted operation would drop its positions from the journal and reports
    data::Parameters bound;
    bound.set(QStringLiteral("id"), id);
    if (dataModule_.CheckExists(
            QStringLiteral("select count(*) as cnt from accounts_dep.smena where o_id=:id"),
            kOperationInUse, bound))
        return;
    data::Command& remove = dataModule_.Oper_del;
    remove.setParam(QStringLiteral("id"), id);
    // another workstation may have used it since the count
    if (!ui::writeRefusingUsed([&remove] { remove.execute(); }, kOperationInUse))
        return;
    operations.requery();
}

// Every operation, whatever the search shows, into a new workbook.
void OperationsWindow::on_Button5_clicked() {
    const ui::WaitCursor wait;
    // read anew, also when an earlier export stopped with the query open
    XLS_Rep.requery();
    spreadsheet::Workbook& book = spreadsheet::reportsHandle();
    if (spreadsheet::XlsOpen(book, QString()) == -1)
        return;
    // a failing cell shows its message and the export goes on
    spreadsheet::XlsWriteCell(book, 1, 1, 1, QStringLiteral("Марка"));
    spreadsheet::XlsWriteCell(book, 1, 2, 1, QStringLiteral("Операция"));
    spreadsheet::XlsWriteCell(book, 1, 3, 1, QStringLiteral("Цена"));
    spreadsheet::XlsWriteCell(book, 1, 4, 1, QStringLiteral("Вид"));
    int row = 2;
    for (XLS_Rep.first(); !XLS_Rep.eof(); XLS_Rep.next(), ++row) {
        spreadsheet::XlsWriteCell(book, 1, 1, row,
                                  data::withoutPadding(XLS_Rep.asString(QStringLiteral("marka"))));
        spreadsheet::XlsWriteCell(book, 1, 2, row,
                                  data::withoutPadding(XLS_Rep.asString(QStringLiteral("vid"))));
        spreadsheet::XlsWriteCell(book, 1, 3, row,
                                  ui::generalNumberText(XLS_Rep.asDouble(QStringLiteral("cena"))));
        spreadsheet::XlsWriteCell(book, 1, 4, row,
                                  data::productKindText(XLS_Rep.asInt(QStringLiteral("naimen"))));
    }
    spreadsheet::XlsSetVisible(book, true);
    XLS_Rep.close();
}

void OperationsWindow::on_DBGrid1_doubleClicked() {
    if (!ui->CheckBox1->isChecked() || Tag != 0) {
        on_Button2_clicked();
        return;
    }
    const data::Dataset& operations = dataModule_.Oper;
    if (!norms_ || operations.isEmpty()) // no operation, no norms
        return;
    norms_->openNorms(operations.asInt(QStringLiteral("id")));
    activated();
}
