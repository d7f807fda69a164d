#include "timesheet_window.h"
#include "ui_timesheet_window.h"

#include "day_colours.h"
#include "printed_timesheet.h"
#include "timesheet_data.h"
#include "timesheet_spreadsheet.h"

#include "data/dataset.h"
#include "seams/messages.h"
#include "seams/modal_runner.h"
#include "spreadsheet/spreadsheet.h"
#include "ui/activity.h"
#include "ui/cell_colours.h"
#include "ui/dataset_model.h"
#include "ui/export_counter.h"
#include "ui/guard.h"
#include "ui/month_choosers.h"
#include "ui/wait_cursor.h"
#include "ui/window_geometry.h"

#include <QEvent>
#include <QScopeGuard>

namespace {

constexpr int kFirstDayColumn = 1; // after the name

// The day columns are coloured by the month shown, which the window keeps in *month. The
// name takes the room the days and the total leave: on a laptop's screen all 33 columns show
// with the name as wide as it was designed, on a larger one the name gets more.
QList<ui::DatasetColumn> sheetColumns(const timesheet::MonthShape* month) {
    QList<ui::DatasetColumn> columns{
        {.field = "fio", .title = "Фамилия И. О.", .width = 170, .stretch = true}};
    for (int day = 1; day <= 31; ++day) {
        const QString field = QStringLiteral("d%1").arg(day);
        columns.append({.field = field,
                        .title = QString::number(day),
                        .alignment = Qt::AlignCenter,
                        .width = 26,
                        .style = [month, day, field](const data::Dataset& rows, int row) {
                            const int hours = rows.valueAt(row, rows.fieldIndex(field)).toInt();
                            return timesheet::dayCellStyle(day, hours, *month);
                        }});
    }
    columns.append(
        {.field = "summ",
         .title = "Итого",
         .alignment = Qt::AlignCenter,
         .width = 52,
         .style = [](const data::Dataset&, int) { return timesheet::totalCellStyle(); }});
    return columns;
}

} // namespace

TimesheetWindow::TimesheetWindow(timesheet::TimesheetData& data, PrintedTimesheet& printed,
                                 QWidget* parent)
    : QDialog(parent), ui_(new Ui::TimesheetWindow), data_(data), printed_(printed) {
    ui_->setupUi(this);
    ui::rememberGeometry(this, QStringLiteral("TimesheetWindow"));
    fillYears();
    const std::array<QTableView*, 3> views = shiftViews();
    for (size_t i = 0; i < views.size(); ++i) {
        const int shift = int(i) + 1;
        models_[i] = new ui::DatasetModel(&data_.timesheetRows(shift), sheetColumns(&month_), this);
        ui::bindDataGrid(views[i], models_[i]);
        views[i]->setSelectionBehavior(QAbstractItemView::SelectItems);
        // a selected cell shows the selection's own colours
        views[i]->setItemDelegate(
            new ui::ColouredCellDelegate(views[i], ui::ColouredCellDelegate::SelectedCells::Plain));
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
    connect(ui_->closeMonthButton, &QPushButton::clicked, this,
            ui::guarded([this] { closeShownMonth(); }));
    connect(ui_->reopenMonthButton, &QPushButton::clicked, this,
            ui::guarded([this] { reopenShownMonth(); }));
    showMonthState();
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

ui::MonthChoosers TimesheetWindow::choosers() const {
    return {ui_->monthCombo, ui_->yearCombo};
}

void TimesheetWindow::fillYears() {
    choosers().fillYears();
}

int TimesheetWindow::month() const {
    return choosers().month();
}

int TimesheetWindow::year() const {
    return choosers().year();
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
    choosers().choose(journalDate);
}

bool TimesheetWindow::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate)
        ui_->exportButton->setText(QStringLiteral("&Excel"));
    else if (e->type() == QEvent::PaletteChange)
        colourTitles(); // another theme: the titles' colours are made for its header
    return QDialog::event(e);
}

void TimesheetWindow::readChosenMonth() {
    if (year() == 0)
        return;
    month_ = timesheet::MonthShape::of(month(), year());
    data_.readMonth(month(), year());
    colourTitles();
    for (QTableView* view : shiftViews())
        view->viewport()->update();
    readMonthState();
}

void TimesheetWindow::applyRights(const ui::TimesheetRights& rights) {
    rights_ = rights;
    showMonthState();
}

void TimesheetWindow::readMonthState() {
    closing_.reset();
    if (year() != 0)
        closing_ = data_.closedMonths().closing(month(), year());
    showMonthState();
}

// The database refuses the rebuild of a closed month; the buttons say so beforehand.
void TimesheetWindow::showMonthState() {
    const bool closed = closing_.has_value();
    ui_->monthClosedLabel->setVisible(closed);
    if (closed)
        ui_->monthClosedLabel->setText(
            QStringLiteral("Месяц закрыт %1 (%2)").arg(closing_->closedAt, closing_->closedBy));
    ui_->rebuildButton->setEnabled(rights_.rebuild && !closed);
    ui_->closeMonthButton->setEnabled(rights_.closeMonths && !closed);
    ui_->reopenMonthButton->setEnabled(rights_.reopenMonths && closed);
}

QString TimesheetWindow::shownMonthName() const {
    return ui_->monthCombo->currentText() + u' ' + QString::number(year());
}

void TimesheetWindow::closeShownMonth() {
    if (year() == 0)
        return;
    if (!seams::Messages::current().question(
            QStringLiteral("Закрыть месяц %1? После закрытия позиции, материалы и табель этого "
                           "месяца изменить нельзя.")
                .arg(shownMonthName()),
            QStringLiteral("Закрытие месяца")))
        return;
    // the buttons follow what the database holds, also after a refusal
    const auto afterwards = qScopeGuard([this] { ui::runGuarded([this] { readMonthState(); }); });
    data_.closedMonths().close(month(), year());
    ui::logChange(eventlog::Kind::Save, ui_->closeMonthButton,
                  QStringLiteral("месяц %1 закрыт").arg(shownMonthName()));
}

void TimesheetWindow::reopenShownMonth() {
    if (year() == 0)
        return;
    if (!seams::Messages::current().question(
            QStringLiteral("Открыть месяц %1? Его позиции, материалы и табель снова можно будет "
                           "изменять.")
                .arg(shownMonthName()),
            QStringLiteral("Открытие месяца")))
        return;
    const auto afterwards = qScopeGuard([this] { ui::runGuarded([this] { readMonthState(); }); });
    data_.closedMonths().reopen(month(), year());
    ui::logChange(eventlog::Kind::Save, ui_->reopenMonthButton,
                  QStringLiteral("месяц %1 открыт").arg(shownMonthName()));
}

// The headers take the window's palette; the window's own is already the new one when a
// theme changes, its children's not yet.
void TimesheetWindow::colourTitles() {
    for (ui::DatasetModel* model : models_) {
        if (!model)
            continue;
        for (int day = 1; day <= 31; ++day)
            model->setTitleColour(
                kFirstDayColumn + day - 1,
                ui::titleColour(timesheet::dayTitleColour(day, month_), palette()));
    }
}

void TimesheetWindow::rereadMonth() {
    data_.rereadMonth();
    readMonthState(); // another workstation may have closed or opened it
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
        // the rows come back also when the rebuild failed (a month closed meanwhile shows as
        // closed); its own error is the one shown
        ui::runGuarded([this] {
            data_.rereadMonth();
            readMonthState();
        });
    });
    const ui::WaitCursor wait;
    data_.rebuildMonth(month(), year(), [this](int day) {
        ui_->rebuildProgress->setValue(day);
        ui_->rebuildProgress->repaint();
    });
    ui::logChange(
        eventlog::Kind::Rebuild, ui_->rebuildButton,
        QStringLiteral("табель за %1.%2").arg(month(), 2, 10, QLatin1Char('0')).arg(year()));
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
