#include "worker_picker.h"
#include "ui_worker_picker.h"

#include "directories/grid_double_click.h"

#include "data/conversions.h"
#include "data/data_module.h"
#include "data/dataset.h"
#include "seams/modal_runner.h"
#include "ui/dataset_model.h"
#include "ui/guard.h"
#include "ui/incremental_search.h"

#include <QScopeGuard>
#include <QShowEvent>

#include <utility>

WorkerPicker::WorkerPicker(data::DataModule6& dataModule, QWidget* parent)
    : QDialog(parent), ui(new Ui::WorkerPicker), dataModule_(dataModule) {
    ui->setupUi(this);
    setFixedSize(size());

    model_ =
        new ui::DatasetModel(&dataModule_.Workers,
                             {{.field = "fio", .title = "ФИО", .width = 280},
                              {.field = "s_staffpos_hl", .title = "Должность", .stretch = true}},
                             this);
    ui::bindDataGrid(ui->DBGrid1, model_);
    search_ = new ui::IncrementalSearch(ui->Edit1, &dataModule_.Workers,
                                        ui::IncrementalSearch::prefixRule(QStringLiteral("fio")),
                                        ui::IncrementalSearch::Keys::TypingOnly);

    connect(ui->Button2, &QPushButton::clicked, this,
            ui::guarded([this] { on_Button2_clicked(); }));
    connect(ui->Button4, &QPushButton::clicked, this, &QDialog::reject);
    directories::onGridDoubleClick(ui->DBGrid1, [this] { on_Button2_clicked(); });
}

WorkerPicker::~WorkerPicker() {
    ui->DBGrid1->setModel(nullptr);
    delete ui;
}

std::optional<WorkerChoice> WorkerPicker::pick() {
    Tag = 1;
    choice_.reset();
    dataModule_.Workers.open();
    const auto afterwards = qScopeGuard([this] { dataModule_.Workers.close(); });
    ui->Button2->setText(QStringLiteral("Выбрать"));
    ui->Button2->setDefault(true);
    ui->Button2->show();
    ui->Edit1->show();
    ui->Edit1->clear();
    seams::execModal(this);
    return std::exchange(choice_, std::nullopt);
}

void WorkerPicker::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ui->Edit1->setFocus();
}

// An empty list chooses nothing but still counts as a choice. A register code that is no
// whole number is refused before anything is handed over, so the entry dialog never shows
// one worker's name with another's code.
void WorkerPicker::on_Button2_clicked() {
    const data::Dataset& workers = dataModule_.Workers;
    WorkerChoice choice;
    if (!workers.isEmpty())
        choice.worker = ChosenWorker{workers.asString(QStringLiteral("fio")).trimmed(),
                                     data::toInt(workers.asString(QStringLiteral("id"))),
                                     workers.asInt64(QStringLiteral("p_id"))};
    choice_ = choice;
    accept();
}
