#include "operation_types_window.h"
#include "ui_operation_types_window.h"

#include "directories/catalog.h"
#include "directories/grid_double_click.h"
#include "directories/operation_type_editor.h"

#include "data/dataset.h"
#include "seams/messages.h"
#include "seams/modal_runner.h"
#include "ui/activity.h"
#include "ui/dataset_model.h"
#include "ui/guard.h"
#include "ui/incremental_search.h"
#include "ui/window_geometry.h"

#include <QScopeGuard>

#include <QShowEvent>
#include <utility>

namespace {

const QString kTypeInUse =
    QStringLiteral("Вид операции используется в операциях, удаление невозможно!");

} // namespace

OperationTypesWindow::OperationTypesWindow(directories::Catalog& catalog, QWidget* parent)
    : QDialog(parent), ui(new Ui::OperationTypesWindow), catalog_(catalog) {
    ui->setupUi(this);
    ui::rememberGeometry(this, QStringLiteral("OperationTypesWindow"));

    model_ = new ui::DatasetModel(
        &catalog_.operationTypes(),
        {{.field = "vid", .title = "Операции", .alignment = Qt::AlignCenter, .stretch = true}},
        this);
    ui::bindDataGrid(ui->typesView, model_);
    search_ = new ui::IncrementalSearch(ui->searchEdit, &catalog_.operationTypes(),
                                        ui::IncrementalSearch::prefixRule(QStringLiteral("vid")),
                                        ui::IncrementalSearch::Keys::TypingOnly);

    connect(ui->addButton, &QPushButton::clicked, this, ui::guarded([this] { addType(); }));
    connect(ui->editButton, &QPushButton::clicked, this, ui::guarded([this] { editOrChoose(); }));
    connect(ui->deleteButton, &QPushButton::clicked, this, ui::guarded([this] { deleteType(); }));
    connect(ui->closeButton, &QPushButton::clicked, this, &QDialog::reject);
    directories::onGridDoubleClick(ui->typesView, [this] { editOrChoose(); });
}

OperationTypesWindow::~OperationTypesWindow() {
    ui->typesView->setModel(nullptr);
    delete ui;
}

void OperationTypesWindow::openDirectory() {
    mode_ = Mode::Directory;
    data::Dataset& types = catalog_.operationTypes();
    types.open();
    // a search left over from the last pick must not hide types from the directory
    ui->searchEdit->clear();
    ui->editButton->setText(QStringLiteral("&Изменить"));
    ui->addButton->show();
    ui->deleteButton->show();
    ui->addButton->setDefault(true);
    seams::execModal(this);
    types.close();
}

std::optional<OperationTypeChoice> OperationTypesWindow::pick() {
    mode_ = Mode::Selection;
    choice_.reset();
    catalog_.operationTypes().open();
    ui->editButton->setText(QStringLiteral("&Выбрать"));
    ui->addButton->hide();
    ui->deleteButton->hide();
    ui->editButton->setDefault(true);
    ui->searchEdit->show();
    ui->searchEdit->clear();
    const auto afterwards = qScopeGuard([this] {
        ui->editButton->setDefault(false);
        ui->addButton->setDefault(true);
        ui->searchEdit->hide();
        catalog_.operationTypes().close();
    });
    seams::execModal(this);
    return std::exchange(choice_, std::nullopt);
}

void OperationTypesWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!ui->searchEdit->isHidden())
        ui->searchEdit->setFocus();
}

void OperationTypesWindow::reread() {
    catalog_.operationTypes().requery();
}

void OperationTypesWindow::addType() {
    if (typeEditor_ && typeEditor_->openNew(catalog_.operationTypes()))
        reread();
}

void OperationTypesWindow::editOrChoose() {
    data::Dataset& types = catalog_.operationTypes();
    if (mode_ == Mode::Selection) {
        choice_ = OperationTypeChoice{types.asString(QStringLiteral("vid")).trimmed(),
                                      types.asInt(QStringLiteral("id"))};
        accept();
        return;
    }
    if (!typeEditor_ || types.isEmpty()) // nothing to change
        return;
    if (typeEditor_->openChange(types))
        reread();
}

void OperationTypesWindow::deleteType() {
    data::Dataset& types = catalog_.operationTypes();
    if (types.isEmpty())
        return;
    if (!seams::Messages::current().question(QStringLiteral("Удалить вид операции?"),
                                             seams::kDeleteCaption))
        return;
    // operations of a deleted type would drop their positions from the journal and reports
    data::Parameters bound;
    bound.set(QStringLiteral("id"), types.asInt(QStringLiteral("id")));
    if (catalog_.refuseDuplicate(QStringLiteral("count_operations_of_type"), kTypeInUse, bound))
        return;
    // another workstation may have used it since the count; the list is re-read either way
    const QString removed = types.asString(QStringLiteral("vid")).trimmed();
    if (ui::writeRefusingUsed([&types] { types.remove(); }, kTypeInUse))
        ui::logChange(eventlog::Kind::Deletion, ui->deleteButton,
                      QStringLiteral("вид операции «%1»").arg(removed));
    reread();
}
