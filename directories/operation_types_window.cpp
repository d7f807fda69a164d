#include "operation_types_window.h"
#include "ui_operation_types_window.h"

#include "directories/grid_double_click.h"
#include "directories/operation_type_editor.h"

#include "data/data_module.h"
#include "data/dataset.h"
#include "seams/messages.h"
#include "seams/modal_runner.h"
#include "ui/dataset_model.h"
#include "ui/guard.h"
#include "ui/incremental_search.h"

#include <QScopeGuard>

#include <QShowEvent>
#include <utility>

namespace {

const QString kTypeInUse =
    QStringLiteral("Вид операции используется в операциях, удаление невозможно!");

} // namespace

OperationTypesWindow::OperationTypesWindow(data::DataModule6& dataModule, QWidget* parent)
    : QDialog(parent), ui(new Ui::OperationTypesWindow), dataModule_(dataModule) {
    ui->setupUi(this);
    setFixedSize(size());

    model_ = new ui::DatasetModel(
        &dataModule_.Vid_oper,
        {{.field = "vid", .title = "Операции", .alignment = Qt::AlignCenter, .stretch = true}},
        this);
    ui::bindDataGrid(ui->DBGrid1, model_);
    search_ = new ui::IncrementalSearch(ui->Edit1, &dataModule_.Vid_oper,
                                        ui::IncrementalSearch::prefixRule(QStringLiteral("vid")),
                                        ui::IncrementalSearch::Keys::TypingOnly);

    connect(ui->Button1, &QPushButton::clicked, this,
            ui::guarded([this] { on_Button1_clicked(); }));
    connect(ui->Button2, &QPushButton::clicked, this,
            ui::guarded([this] { on_Button2_clicked(); }));
    connect(ui->Button3, &QPushButton::clicked, this,
            ui::guarded([this] { on_Button3_clicked(); }));
    connect(ui->Button4, &QPushButton::clicked, this, &QDialog::reject);
    directories::onGridDoubleClick(ui->DBGrid1, [this] { on_Button2_clicked(); });
}

OperationTypesWindow::~OperationTypesWindow() {
    ui->DBGrid1->setModel(nullptr);
    delete ui;
}

void OperationTypesWindow::openDirectory() {
    Tag = 0;
    dataModule_.Vid_oper.open();
    // a search left over from the last pick must not hide types from the directory
    ui->Edit1->clear();
    ui->Button2->setText(QStringLiteral("Изменить"));
    ui->Button1->show();
    ui->Button3->show();
    ui->Button1->setDefault(true);
    seams::execModal(this);
    dataModule_.Vid_oper.close();
}

std::optional<OperationTypeChoice> OperationTypesWindow::pick() {
    Tag = 1;
    choice_.reset();
    dataModule_.Vid_oper.open();
    ui->Button2->setText(QStringLiteral("Выбрать"));
    ui->Button1->hide();
    ui->Button3->hide();
    ui->Button2->setDefault(true);
    ui->Edit1->show();
    ui->Edit1->clear();
    const auto afterwards = qScopeGuard([this] {
        ui->Button2->setDefault(false);
        ui->Button1->setDefault(true);
        ui->Edit1->hide();
        dataModule_.Vid_oper.close();
    });
    seams::execModal(this);
    return std::exchange(choice_, std::nullopt);
}

void OperationTypesWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!ui->Edit1->isHidden())
        ui->Edit1->setFocus();
}

void OperationTypesWindow::on_Button1_clicked() {
    if (!typeEditor_)
        return;
    typeEditor_->openNew();
}

void OperationTypesWindow::on_Button2_clicked() {
    data::Dataset& types = dataModule_.Vid_oper;
    if (Tag != 0) {
        choice_ = OperationTypeChoice{types.asString(QStringLiteral("vid")).trimmed(),
                                      types.asInt(QStringLiteral("id"))};
        accept();
        return;
    }
    if (!typeEditor_ || types.isEmpty()) // nothing to change
        return;
    typeEditor_->openChange(types.asString(QStringLiteral("vid")).trimmed());
}

void OperationTypesWindow::on_Button3_clicked() {
    data::Dataset& types = dataModule_.Vid_oper;
    if (types.isEmpty())
        return;
    if (!seams::Messages::current().question(QStringLiteral("Удалить вид операции?"),
                                             seams::kDeleteCaption))
        return;
    // operations of a deleted type would drop their positions from the journal and reports
    data::Parameters bound;
    bound.set(QStringLiteral("id"), types.asInt(QStringLiteral("id")));
    if (dataModule_.CheckExists(
            QStringLiteral("select count(*) as cnt from accounts_dep.oper where vid=:id"),
            kTypeInUse, bound))
        return;
    // another workstation may have used it since the count; the list is re-read either way
    ui::writeRefusingUsed([&types] { types.remove(); }, kTypeInUse);
    types.requery();
}
