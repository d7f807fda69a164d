#include "timesheet_window.h"
#include "ui_timesheet_window.h"

#include "day_cell_delegate.h"
#include "printed_timesheet.h"
#include "timesheet_data.h"
#include "timesheet_spreadsheet.h"

#include "data/dataset.h"
#include "seams/clock.h"
#include "seams/modal_runner.h"
#include "spreadsheet/spreadsheet.h"
#include "ui/dataset_model.h"
#include "ui/export_counter.h"
#include "ui/guard.h"
#include "ui/wait_cursor.h"

#include <QEvent>
#include <QScopeGuard>

namespace {

constexpr int kFirstYear = 2007;
constexpr int kFirstDayColumn = 1; // after the name
constexpr int kTotalColumn = 32;

QList<ui::DatasetColumn> sheetColumns() {
    QList<ui::DatasetColumn> columns{{.field = "fio", .title = "Фамилия И. О.", .width = 170}};
    for (int day = 1; day <= 31; ++day)
        columns.append({.field = QStringLiteral("d%1").arg(day),
                        .title = QString::number(day),
                        .alignment = Qt::AlignCenter,
                        .width = 27});
    columns.append({.field = "summ", .title = "Итого", .alignment = Qt::AlignCenter, .width = 52});
    return columns;
}

} // namespace

TimesheetWindow::TimesheetWindow(timesheet::TimesheetData& data, PrintedTimesheet& printed,
                                 QWidget* parent)
    : QDialog(parent), ui_(new Ui::TimesheetWindow), data_(data), printed_(printed) {
    ui_->setupUi(this);
    setFixedSize(size());
    fillYears();
    const std::array<QTableView*, 3> views = shiftViews();
    for (size_t i = 0; i < views.size(); ++i) {
        const int shift = int(i) + 1;
        models_[i] = new ui::DatasetModel(&data_.timesheetRows(shift), sheetColumns(), this);
        ui::bindDataGrid(views[i], models_[i]);
        views[i]->setSelectionBehavior(QAbstractItemView::SelectItems);
        delegates_[i] = new timesheet::DayCellDelegate(kFirstDayColumn, kTotalColumn, views[i]);
        views[i]->setItemDelegate(delegates_[i]);
    }

    for (QComboBox* box : {ui_->monthCombo, ui_->yearCombo})
        connect(box, qOverload<int>(&QComboBox::currentIndexChanged), this,
                ui::guarded([this] { readChosenMonth(); }));
    connect(ui_->refreshButton, &QPushButton::clicked, this,
            ui::guarded([this] { rereadMonth(); }));
    connect(ui_->rebuildButton, &QPushButton::clicked, this,
            ui::guarded([this] { rebuildMonth(); }));
    connect(ui_->exportButton, &QPushButton::clicked, this, ui::guarded([this] { exportMonth(); }));
    connect(ui_->printButton, &QPushButton::clicked, this,
            ui::guarded([this] { previewPrinted(); }));
    connect(ui_->closeButton, &QPushButton::clicked, this, &QDialog::reject);
}

TimesheetWindow::~TimesheetWindow() {
    for (QTableView* view : shiftViews())
        view->setModel(nullptr);
    delete ui_;
}

std::array<QTableView*, 3> TimesheetWindow::shiftViews() const {
    return {ui_->shift1View, ui_->shift2View, ui_->shift3View};
}

// From the first year of the shop's records to this year, so the current month can always
// be chosen.
void TimesheetWindow::fillYears() {
    const QSignalBlocker quiet(ui_->yearCombo);
    ui_->yearCombo->clear();
    for (int year = kFirstYear; year <= std::max(kFirstYear, seams::Clock::today().year()); ++year)
        ui_->yearCombo->addItem(QString::number(year));
    ui_->yearCombo->setCurrentIndex(-1);
}

int TimesheetWindow::month() const {
    return ui_->monthCombo->currentIndex() + 1;
}

int TimesheetWindow::year() const {
    return ui_->yearCombo->currentText().toInt();
}

void TimesheetWindow::openForMonth(const QDate& journalDate) {
    fillYears();
    chooseMonthOf(journalDate);
    // every opening reads the rows afresh: saves since the last one are in them
    readChosenMonth();
    const auto afterwards = qScopeGuard([this] { data_.closeMonth(); });
    seams::execModal(this);
}

void TimesheetWindow::chooseMonthOf(const QDate& journalDate) {
    const QSignalBlocker quietMonths(ui_->monthCombo);
    const QSignalBlocker quietYears(ui_->yearCombo);
    ui_->monthCombo->setCurrentIndex(journalDate.month() - 1);
    // a year outside the list leaves the search on its last year
    int index = 0;
    while (index < ui_->yearCombo->count() - 1 &&
           ui_->yearCombo->itemText(index) != QString::number(journalDate.year()))
        ++index;
    ui_->yearCombo->setCurrentIndex(index);
}

bool TimesheetWindow::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate)
        ui_->exportButton->setText(QStringLiteral("&Excel"));
    return QDialog::event(e);
}

void TimesheetWindow::readChosenMonth() {
    if (year() == 0)
        return;
    const timesheet::MonthShape shape = timesheet::MonthShape::of(month(), year());
    data_.readMonth(month(), year());
    for (size_t i = 0; i < models_.size(); ++i) {
        delegates_[i]->setMonth(shape);
        for (int day = 1; day <= 31; ++day)
            models_[i]->setTitleColour(kFirstDayColumn + day - 1,
                                       timesheet::dayTitleColour(day, shape));
    }
    for (QTableView* view : shiftViews())
        view->viewport()->update();
}

void TimesheetWindow::rereadMonth() {
    data_.rereadMonth();
}

void TimesheetWindow::rebuildMonth() {
    if (year() == 0)
        return;
    data_.closeMonth();
    ui_->rebuildProgress->setMaximum(QDate(year(), month(), 1).daysInMonth());
    ui_->rebuildProgress->setValue(1);
    ui_->rebuildProgress->show();
    const auto afterwards = qScopeGuard([this] {
        ui_->rebuildProgress->hide();
        // the rows come back also when the rebuild failed; its own error is the one shown
        ui::runGuarded([this] { data_.rereadMonth(); });
    });
    const ui::WaitCursor wait;
    data_.rebuildMonth(month(), year(), [this](int day) {
        ui_->rebuildProgress->setValue(day);
        ui_->rebuildProgress->repaint();
    });
}

// The month of all shifts, a worker a line, into sheet 1 of a new workbook.
void TimesheetWindow::exportMonth() {
    if (year() == 0)
        return;
    spreadsheet::Workbook& book = spreadsheet::timesheetHandle();
    if (timesheet::writeMonthSpreadsheet(printed_.monthRows(), month(), year(),
                                         ui_->monthCombo->currentText() + u' ' +
                                             QString::number(year()),
                                         book, ui::exportCounter(ui_->exportButton)))
        spreadsheet::XlsSetVisible(book, true);
}

void TimesheetWindow::previewPrinted() {
    if (year() == 0)
        return;
    printed_.preview(month(), year(),
                     ui_->monthCombo->currentText() + u' ' + ui_->yearCombo->currentText() +
                         QStringLiteral(" г."));
}
