#pragma once

#include <QDate>
#include <QDialog>

#include <array>

namespace data {
class DataModule6;
class Dataset;
} // namespace data

namespace ui {
class DatasetModel;
}

namespace Ui {
class TimesheetWindow;
}

class PrintedTimesheet;

namespace timesheet {
class DayCellDelegate;
}

// "Табель по времени": the month's hours of shifts 1 to 3, a tab each, over the data module's
// H_Tabel_1..3; the month's rebuild from the positions, its export to a spreadsheet and the
// preview of the printed time-sheet PrintedTimesheet.
class TimesheetWindow : public QDialog {
    Q_OBJECT
public:
    TimesheetWindow(data::DataModule6& dataModule, PrintedTimesheet& printed,
                    QWidget* parent = nullptr);
    ~TimesheetWindow() override;

    // The journal's menu: shows the month of journalDate modally; closes the three lists after.
    void openForMonth(const QDate& journalDate);

    int month() const;
    int year() const; // 0 while no year is chosen

protected:
    bool event(QEvent* event) override;

private:
    void fillYears();
    void periodChanged();
    void on_Button5_clicked();
    void on_Button1_clicked();
    void on_Button2_clicked();
    void on_Button6_clicked();
    std::array<data::Dataset*, 3> sheets() const;

    Ui::TimesheetWindow* ui;
    data::DataModule6& dataModule_;
    PrintedTimesheet& printed_;
    std::array<ui::DatasetModel*, 3> models_{};
    std::array<timesheet::DayCellDelegate*, 3> delegates_{};
};
