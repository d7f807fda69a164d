#include "operations_window.h"
#include "ui_operations_window.h"

#include "directories/catalog.h"
#include "directories/grid_double_click.h"
#include "directories/norms_window.h"
#include "directories/operation_editor.h"

#include "data/conversions.h"
#include "data/product_kind.h"
#include "seams/messages.h"
#include "seams/modal_runner.h"
#include "spreadsheet/spreadsheet.h"
#include "ui/activity.h"
#include "ui/dataset_model.h"
#include "ui/guard.h"
#include "ui/incremental_search.h"
#include "ui/number_format.h"
#include "ui/wait_cursor.h"
#include "ui/window_geometry.h"

#include <QApplication>
#include <QScopeGuard>

#include <QShowEvent>
#include <utility>

namespace {

const QString kOperationInUse =
    QStringLiteral("Операция используется в позициях, удаление невозможно!");

} // namespace

QString OperationsWindow::productFilter(const QString& lineProductCode) {
    bool ok = false;
    const qint64 id = lineProductCode.trimmed().toLongLong(&ok);
    return QStringLiteral("i_id=") + QString::number(ok ? id : 0);
}

OperationsWindow::OperationsWindow(directories::Catalog& catalog, QWidget* parent)
    : QDialog(parent), exportQuery_(&catalog.connection(), QStringLiteral("XLS_Rep")),
      ui(new Ui::OperationsWindow), catalog_(catalog) {
    ui->setupUi(this);
    ui::rememberGeometry(this, QStringLiteral("OperationsWindow"));
    exportQuery_.setSql(directories::statement(QStringLiteral("operations_export")));

    model_ = new ui::DatasetModel(&catalog_.operations(),
                                  {{.field = "marka", .title = "Марка", .width = 200},
                                   {.field = "vid", .title = "Опреция", .stretch = true},
                                   {.field = "cena", .title = "Цена (min)", .width = 90},
                                   {.field = "nmn", .title = "Вид", .width = 140},
                                   {.field = "norma", .title = "Нормы (шт.)", .width = 90},
                                   {.field = "id", .hidden = true},
                                   {.field = "i_id", .hidden = true},
                                   {.field = "oper_vid", .hidden = true}},
                                  this);
    ui::bindDataGrid(ui->operationsView, model_);
    search_ = new ui::IncrementalSearch(
        ui->searchEdit, &catalog_.operations(),
        [this](const QString& typed) { return searchFilter(typed); },
        ui::IncrementalSearch::Keys::TypingOnly);

    connect(ui->addButton, &QPushButton::clicked, this, ui::guarded([this] { addOperation(); }));
    connect(ui->editButton, &QPushButton::clicked, this, ui::guarded([this] { editOrChoose(); }));
    connect(ui->deleteButton, &QPushButton::clicked, this,
            ui::guarded([this] { deleteOperation(); }));
    connect(ui->closeButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->exportButton, &QPushButton::clicked, this,
            ui::guarded([this] { exportOperations(); }));
    connect(ui->historyButton, &QPushButton::clicked, this, ui::guarded([this] { openHistory(); }));
    ui->historyButton->hide();
    directories::onGridDoubleClick(ui->operationsView, [this] { operationDoubleClicked(); });
}

OperationsWindow::~OperationsWindow() {
    ui->operationsView->setModel(nullptr);
    delete ui;
}

void OperationsWindow::useEditors(OperationEditor& priceEditor, NormsWindow& norms) {
    operationEditor_ = &priceEditor;
    norms_ = &norms;
}

void OperationsWindow::openDirectory() {
    mode_ = Mode::Directory;
    data::Dataset& operations = catalog_.operations();
    // the list's own search decides what is shown (see activated)
    operations.setFiltered(false);
    operations.requery();
    ui->editButton->setText(QStringLiteral("&Изменить"));
    ui->addButton->show();
    ui->deleteButton->show();
    ui->historyButton->setVisible(history_.open && history_.allowed && history_.allowed());
    ui->addButton->setDefault(true);
    const auto afterwards = qScopeGuard([&operations] { operations.close(); });
    seams::execModal(this);
}

std::optional<OperationChoice> OperationsWindow::pick(const OperationRequest& request) {
    mode_ = Mode::Selection;
    request_ = request;
    choice_.reset();
    data::Dataset& operations = catalog_.operations();
    operations.setFilter(request.forRequisition ? productFilter(request.lineProductCode)
                                                : QStringLiteral("i_id=0"));
    operations.setFiltered(true);
    operations.requery();
    if (request.currentOperationId == 0)
        operations.first();
    else
        operations.locate(QStringLiteral("id"), request.currentOperationId);
    if (!request.typed.isEmpty())
        ui->searchEdit->setText(request.typed); // the search keeps its text otherwise
    ui->editButton->setText(QStringLiteral("&Выбрать"));
    ui->addButton->hide();
    ui->deleteButton->hide();
    ui->historyButton->hide();
    ui->editButton->setDefault(true);
    const auto afterwards = qScopeGuard([this, &operations] {
        request_ = {};
        ui->editButton->setDefault(false);
        ui->addButton->setDefault(true);
        operations.setFiltered(false);
    });
    seams::execModal(this);
    return std::exchange(choice_, std::nullopt);
}

void OperationsWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    activated();
}

// A dialog selects the text of the box it shows the focus in: typed in the entry dialog, it is
// the beginning of the search and the next key goes on after it; a search left from before is
// replaced by what is typed.
void OperationsWindow::setVisible(bool visible) {
    QDialog::setVisible(visible);
    if (visible && mode_ == Mode::Selection && !request_.typed.isEmpty())
        ui->searchEdit->end(false);
}

void OperationsWindow::activated() {
    if (!ui->searchEdit->isHidden())
        ui->searchEdit->setFocus();
    if (!ui->searchEdit->text().trimmed().isEmpty())
        ui::runGuarded([this] { search_->apply(); });
}

void OperationsWindow::reread(bool keepRow) {
    data::Dataset& operations = catalog_.operations();
    const int row = operations.recNo();
    operations.requery();
    if (keepRow)
        operations.setRecNo(row);
}

// Blanks alone search for nothing. While the entry dialog shows a requisition, only the
// operations on its line's product are offered.
QString OperationsWindow::searchFilter(const QString& typed) const {
    QString byMark = typed.trimmed().isEmpty()
                         ? QString()
                         : ui::IncrementalSearch::prefixFilter(QStringLiteral("marka"), typed);
    if (mode_ != Mode::Selection || !request_.forRequisition)
        return byMark;
    const QString byProduct = productFilter(request_.lineProductCode);
    return byMark.isEmpty() ? byProduct : byProduct + QStringLiteral(" and ") + byMark;
}

void OperationsWindow::addOperation() {
    if (!operationEditor_)
        return;
    if (operationEditor_->openNew())
        reread(false);
    activated();
}

void OperationsWindow::editOrChoose() {
    if (mode_ == Mode::Directory)
        changeOperation();
    else
        chooseOperation();
}

void OperationsWindow::changeOperation() {
    const data::Dataset& operations = catalog_.operations();
    if (!operationEditor_ || operations.isEmpty()) // nothing to change
        return;
    const OperationToChange operation{
        .id = operations.asInt(QStringLiteral("id")),
        .mark = operations.asString(QStringLiteral("marka")).trimmed(),
        .typeName = operations.asString(QStringLiteral("vid")).trimmed(),
        .values = {.operationTypeId = operations.asInt(QStringLiteral("oper_vid")),
                   .productKind = operations.asInt(QStringLiteral("naimen")),
                   .productId = operations.asInt(QStringLiteral("i_id"))}};
    if (operationEditor_->openChange(operation))
        reread(false);
    activated();
}

void OperationsWindow::chooseOperation() {
    const data::Dataset& operations = catalog_.operations();
    if (operations.isEmpty()) {
        reject(); // nothing to hand over
        return;
    }
    OperationChoice choice;
    choice.productId = operations.asInt(QStringLiteral("i_id"));
    choice.operationId = operations.asInt(QStringLiteral("id"));
    choice.productKind = operations.asInt(QStringLiteral("naimen"));
    choice.price = float(operations.asDouble(QStringLiteral("cena")));
    choice.text = catalog_.productMark(choice.productId).trimmed() + QStringLiteral("; ") +
                  operations.asString(QStringLiteral("vid")).trimmed() + QStringLiteral("; ") +
                  data::productKindText(choice.productKind);
    choice_ = choice;
    accept();
}

void OperationsWindow::deleteOperation() {
    if (!seams::Messages::current().question(QStringLiteral("Удалить операцию?"),
                                             seams::kDeleteCaption))
        return;
    data::Dataset& operations = catalog_.operations();
    const int id = operations.asInt(QStringLiteral("id")); // none: 0
    // a deleted operation would drop its positions from the journal and reports
    data::Parameters bound;
    bound.set(QStringLiteral("id"), id);
    if (catalog_.refuseDuplicate(QStringLiteral("count_positions_of_operation"), kOperationInUse,
                                 bound))
        return;
    // another workstation may have used it since the count
    if (!ui::writeRefusingUsed([this, id] { catalog_.deleteOperation(id); }, kOperationInUse))
        return;
    ui::logChange(eventlog::Kind::Deletion, ui->deleteButton,
                  QStringLiteral("операция %1").arg(id));
    operations.requery();
}

// Every operation, whatever the search shows, into a new workbook.
void OperationsWindow::exportOperations() {
    const ui::WaitCursor wait;
    // read anew, also when an earlier export stopped with the query open
    exportQuery_.requery();
    spreadsheet::Workbook& book = spreadsheet::reportsHandle();
    if (spreadsheet::XlsOpen(book, QStringLiteral("Операции.xlsx")) == -1)
        return;
    // a failing cell shows its message and the export goes on
    spreadsheet::XlsWriteCell(book, 1, 1, 1, QStringLiteral("Марка"));
    spreadsheet::XlsWriteCell(book, 1, 2, 1, QStringLiteral("Операция"));
    spreadsheet::XlsWriteCell(book, 1, 3, 1, QStringLiteral("Цена"));
    spreadsheet::XlsWriteCell(book, 1, 4, 1, QStringLiteral("Вид"));
    writeExportRows(book);
    spreadsheet::XlsSetVisible(book, true);
    exportQuery_.close();
}

void OperationsWindow::writeExportRows(spreadsheet::Workbook& book) {
    data::Dataset& rows = exportQuery_;
    int row = 2;
    for (rows.first(); !rows.eof(); rows.next(), ++row) {
        spreadsheet::XlsWriteCell(book, 1, 1, row,
                                  data::withoutPadding(rows.asString(QStringLiteral("marka"))));
        spreadsheet::XlsWriteCell(book, 1, 2, row,
                                  data::withoutPadding(rows.asString(QStringLiteral("vid"))));
        spreadsheet::XlsWriteCell(book, 1, 3, row,
                                  ui::generalNumberText(rows.asDouble(QStringLiteral("cena"))));
        spreadsheet::XlsWriteCell(book, 1, 4, row,
                                  data::productKindText(rows.asInt(QStringLiteral("naimen"))));
    }
}

void OperationsWindow::operationDoubleClicked() {
    if (!ui->normsOnDoubleClickCheck->isChecked() || mode_ != Mode::Directory) {
        editOrChoose();
        return;
    }
    openNorms();
}

// The list shows each operation's smallest price and count of norms: saved norms re-read it.
void OperationsWindow::openNorms() {
    const data::Dataset& operations = catalog_.operations();
    if (!norms_ || operations.isEmpty()) // no operation, no norms
        return;
    if (norms_->openNorms(operations.asInt(QStringLiteral("id"))))
        reread(true);
    activated();
}

void OperationsWindow::openHistory() {
    const data::Dataset& operations = catalog_.operations();
    if (!history_.open || operations.isEmpty() || mode_ != Mode::Directory)
        return;
    history_.open(operations.asInt(QStringLiteral("id")));
    activated();
}
