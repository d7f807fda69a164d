#include "timesheet_window.h"
#include "ui_timesheet_window.h"

#include "day_cell_delegate.h"
#include "month_rebuild.h"
#include "month_rows.h"
#include "printed_timesheet.h"
#include "timesheet_spreadsheet.h"

#include "data/data_module.h"
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

TimesheetWindow::TimesheetWindow(data::DataModule6& dataModule, PrintedTimesheet& printed,
                                 QWidget* parent)
    : QDialog(parent), ui(new Ui::TimesheetWindow), dataModule_(dataModule), printed_(printed) {
    ui->setupUi(this);
    setFixedSize(size());
    fillYears();
    const std::array<QTableView*, 3> grids{ui->DBGrid1, ui->DBGrid2, ui->DBGrid3};
    for (size_t i = 0; i < 3; ++i) {
        models_[i] = new ui::DatasetModel(sheets()[i], sheetColumns(), this);
        ui::bindDataGrid(grids[i], models_[i]);
        grids[i]->setSelectionBehavior(QAbstractItemView::SelectItems);
        delegates_[i] = new timesheet::DayCellDelegate(kFirstDayColumn, kTotalColumn, grids[i]);
        grids[i]->setItemDelegate(delegates_[i]);
    }

    for (QComboBox* box : {ui->ComboBox1, ui->ComboBox2})
        connect(box, qOverload<int>(&QComboBox::currentIndexChanged), this,
                ui::guarded([this] { periodChanged(); }));
    connect(ui->Button5, &QPushButton::clicked, this,
            ui::guarded([this] { on_Button5_clicked(); }));
    connect(ui->Button1, &QPushButton::clicked, this,
            ui::guarded([this] { on_Button1_clicked(); }));
    connect(ui->Button2, &QPushButton::clicked, this,
            ui::guarded([this] { on_Button2_clicked(); }));
    connect(ui->Button6, &QPushButton::clicked, this,
            ui::guarded([this] { on_Button6_clicked(); }));
    connect(ui->Button4, &QPushButton::clicked, this, &QDialog::reject);
}

TimesheetWindow::~TimesheetWindow() {
    for (QTableView* grid : {ui->DBGrid1, ui->DBGrid2, ui->DBGrid3})
        grid->setModel(nullptr);
    delete ui;
}

std::array<data::Dataset*, 3> TimesheetWindow::sheets() const {
    return {&dataModule_.H_Tabel_1, &dataModule_.H_Tabel_2, &dataModule_.H_Tabel_3};
}

// From the first year of the shop's records to this year, so the current month can always
// be chosen.
void TimesheetWindow::fillYears() {
    const QSignalBlocker quiet(ui->ComboBox2);
    ui->ComboBox2->clear();
    for (int year = kFirstYear; year <= std::max(kFirstYear, seams::Clock::today().year()); ++year)
        ui->ComboBox2->addItem(QString::number(year));
    ui->ComboBox2->setCurrentIndex(-1);
}

int TimesheetWindow::month() const {
    return ui->ComboBox1->currentIndex() + 1;
}

int TimesheetWindow::year() const {
    return ui->ComboBox2->currentText().toInt();
}

void TimesheetWindow::openForMonth(const QDate& journalDate) {
    fillYears();
    {
        const QSignalBlocker quietMonths(ui->ComboBox1);
        const QSignalBlocker quietYears(ui->ComboBox2);
        ui->ComboBox1->setCurrentIndex(journalDate.month() - 1);
        // a year outside the list leaves the search on its last year
        int index = 0;
        while (index < ui->ComboBox2->count() - 1 &&
               ui->ComboBox2->itemText(index) != QString::number(journalDate.year()))
            ++index;
        ui->ComboBox2->setCurrentIndex(index);
    }
    periodChanged();
    const auto afterwards = qScopeGuard([this] {
        for (data::Dataset* sheet : sheets())
            sheet->close();
    });
    seams::execModal(this);
}

bool TimesheetWindow::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate)
        ui->Button2->setText(QStringLiteral("Excel"));
    return QDialog::event(e);
}

void TimesheetWindow::periodChanged() {
    if (year() == 0)
        return;
    const timesheet::MonthShape shape = timesheet::MonthShape::of(month(), year());
    for (size_t i = 0; i < 3; ++i) {
        timesheet::openMonth(*sheets()[i], month(), year());
        delegates_[i]->setMonth(shape);
        for (int day = 1; day <= 31; ++day)
            models_[i]->setTitleColour(kFirstDayColumn + day - 1,
                                       timesheet::dayTitleColour(day, shape));
    }
    for (QTableView* grid : {ui->DBGrid1, ui->DBGrid2, ui->DBGrid3})
        grid->viewport()->update();
}

void TimesheetWindow::on_Button5_clicked() {
    for (data::Dataset* sheet : sheets())
        sheet->close();
    for (data::Dataset* sheet : sheets())
        sheet->open();
}

void TimesheetWindow::on_Button1_clicked() {
    if (year() == 0)
        return;
    for (data::Dataset* sheet : sheets())
        sheet->close();
    ui->PB->setMaximum(QDate(year(), month(), 1).daysInMonth());
    ui->PB->setValue(1);
    ui->PB->show();
    const auto afterwards = qScopeGuard([this] {
        ui->PB->hide();
        ui::runGuarded([this] {
            for (data::Dataset* sheet : sheets())
                sheet->open();
        });
    });
    const ui::WaitCursor wait;
    timesheet::MonthRebuild(dataModule_).run(month(), year(), [this](int day) {
        ui->PB->setValue(day);
        ui->PB->repaint();
    });
}

// The month of all shifts, a worker a line, into sheet 1 of a new workbook.
void TimesheetWindow::on_Button2_clicked() {
    if (year() == 0)
        return;
    timesheet::writeMonthSpreadsheet(printed_.H_Tabel, month(), year(),
                                     ui->ComboBox1->currentText() + u' ' + QString::number(year()),
                                     spreadsheet::timesheetHandle(),
                                     ui::exportCounter(ui->Button2));
}

void TimesheetWindow::on_Button6_clicked() {
    if (year() == 0)
        return;
    printed_.preview(month(), year(),
                     ui->ComboBox1->currentText() + u' ' + ui->ComboBox2->currentText() +
                         QStringLiteral(" г."));
}
