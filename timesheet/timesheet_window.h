#pragma once

#include "day_colours.h"

#include <QDate>
#include <QDialog>

#include <array>

namespace ui {
class DatasetModel;
}

namespace Ui {
class TimesheetWindow;
}

class PrintedTimesheet;
class QTableView;

namespace timesheet {
class TimesheetData;
}

// "Табель по времени": the month's hours of shifts 1 to 3, a tab each; the month's rebuild
// from the positions, its export to a spreadsheet and the preview of the printed time-sheet
// PrintedTimesheet.
class TimesheetWindow : public QDialog {
    Q_OBJECT
public:
    TimesheetWindow(timesheet::TimesheetData& data, PrintedTimesheet& printed,
                    QWidget* parent = nullptr);
    ~TimesheetWindow() override;

    // The journal's menu: shows the month of journalDate modally, its rows read afresh from
    // the database; closes them after.
    void openForMonth(const QDate& journalDate);

    int month() const;
    int year() const; // 0 while no year is chosen

protected:
    bool event(QEvent* event) override;

private:
    void fillYears();
    void chooseMonthOf(const QDate& journalDate);
    void readChosenMonth();
    void colourTitles();
    void rereadMonth();
    void rebuildMonth();
    void exportMonth();
    void previewPrinted();
    std::array<QTableView*, 3> shiftViews() const;

    Ui::TimesheetWindow* ui_;
    timesheet::TimesheetData& data_;
    PrintedTimesheet& printed_;
    std::array<ui::DatasetModel*, 3> models_{};
    timesheet::MonthShape month_; // the month shown, which the day columns are coloured by
};
