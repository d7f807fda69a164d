#include "worker_picker.h"
#include "ui_worker_picker.h"

#include "directories/catalog.h"
#include "directories/grid_double_click.h"

#include "data/conversions.h"
#include "data/data_error.h"
#include "data/dataset.h"
#include "seams/messages.h"
#include "seams/modal_runner.h"
#include "ui/dataset_model.h"
#include "ui/guard.h"
#include "ui/incremental_search.h"
#include "ui/window_geometry.h"

#include <QScopeGuard>
#include <QShowEvent>

#include <utility>

namespace {

const QString kCodeNotANumber = QStringLiteral(
    "Код этого рабочего в справочнике кадров не число: выбрать его нельзя. Обратитесь к "
    "администратору.");

} // namespace

WorkerPicker::WorkerPicker(directories::Catalog& catalog, QWidget* parent)
    : QDialog(parent), ui(new Ui::WorkerPicker), catalog_(catalog) {
    ui->setupUi(this);
    ui::rememberGeometry(this, QStringLiteral("WorkerPicker"));

    model_ =
        new ui::DatasetModel(&catalog_.employees(),
                             {{.field = "fio", .title = "ФИО", .width = 280},
                              {.field = "s_staffpos_hl", .title = "Должность", .stretch = true}},
                             this);
    ui::bindDataGrid(ui->workersView, model_);
    search_ = new ui::IncrementalSearch(ui->searchEdit, &catalog_.employees(),
                                        ui::IncrementalSearch::prefixRule(QStringLiteral("fio")),
                                        ui::IncrementalSearch::Keys::TypingOnly);

    connect(ui->chooseButton, &QPushButton::clicked, this, ui::guarded([this] { choose(); }));
    connect(ui->closeButton, &QPushButton::clicked, this, &QDialog::reject);
    directories::onGridDoubleClick(ui->workersView, [this] { choose(); });
}

WorkerPicker::~WorkerPicker() {
    ui->workersView->setModel(nullptr);
    delete ui;
}

std::optional<WorkerChoice> WorkerPicker::pick(const QString& typed) {
    choice_.reset();
    data::Dataset& employees = catalog_.employees();
    employees.open();
    const auto afterwards = qScopeGuard([&employees] { employees.close(); });
    ui->chooseButton->setText(QStringLiteral("&Выбрать"));
    ui->chooseButton->setDefault(true);
    ui->chooseButton->show();
    ui->searchEdit->show();
    ui->searchEdit->clear();
    ui->searchEdit->setText(typed);
    seams::execModal(this);
    return std::exchange(choice_, std::nullopt);
}

void WorkerPicker::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ui->searchEdit->setFocus();
}

// A dialog selects the text of the box it shows the focus in; what was typed before the list
// opened is the beginning of the search, so the next key goes on after it.
void WorkerPicker::setVisible(bool visible) {
    QDialog::setVisible(visible);
    if (visible)
        ui->searchEdit->end(false);
}

// An empty list chooses nothing but still counts as a choice. A register code that is no
// whole number is refused before anything is handed over, so the entry dialog never shows
// one worker's name with another's code; the person did not type it, so they are told whose
// it is to mend.
void WorkerPicker::choose() {
    const data::Dataset& employees = catalog_.employees();
    WorkerChoice choice;
    if (!employees.isEmpty()) {
        int code = 0;
        try {
            code = data::toInt(employees.asString(QStringLiteral("id")));
        } catch (const data::DataError& e) {
            seams::Messages::current().errorWithDetail(kCodeNotANumber, e.message(),
                                                       seams::kErrorCaption);
            return;
        }
        choice.worker = ChosenWorker{employees.asString(QStringLiteral("fio")).trimmed(), code,
                                     employees.asInt64(QStringLiteral("p_id"))};
    }
    choice_ = choice;
    accept();
}
