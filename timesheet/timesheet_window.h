#pragma once

#include "day_colours.h"

#include "data/closed_months.h"
#include "ui/login_role.h"
#include "ui/month_choosers.h"

#include <QDate>
#include <QDialog>

#include <array>
#include <optional>

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
// from the positions, its export to a spreadsheet, the preview of the printed time-sheet
// PrintedTimesheet, and the closing of the month for changes and its reopening.
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

    // What the login may do here (the journal's opener sets it before each opening); nothing
    // that writes until then. In a closed month neither the rebuild nor the closing is offered.
    void applyRights(const ui::TimesheetRights& rights);

protected:
    bool event(QEvent* event) override;

private:
    ui::MonthChoosers choosers() const;
    void fillYears();
    void chooseMonthOf(const QDate& journalDate);
    void readChosenMonth();
    void colourTitles();
    void rereadMonth();
    void rebuildMonth();
    void readMonthState(); // whether the month shown is closed
    void showMonthState();
    void closeShownMonth();
    void reopenShownMonth();
    QString shownMonthName() const; // "Ноябрь 2026"
    void exportMonth();
    void previewPrinted();
    std::array<QTableView*, 3> shiftViews() const;

    Ui::TimesheetWindow* ui_;
    timesheet::TimesheetData& data_;
    PrintedTimesheet& printed_;
    std::array<ui::DatasetModel*, 3> models_{};
    timesheet::MonthShape month_; // the month shown, which the day columns are coloured by
    ui::TimesheetRights rights_;
    std::optional<data::MonthClosing> closing_; // of the month shown; nullopt while open
};
