#pragma once

#include "journal/journal_view.h"
#include "ui/login_role.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <utility>

namespace data {
class Command;
class DataModule6;
class Dataset;
} // namespace data

namespace ui {
class DatasetModel;
}

namespace Ui {
class JournalWindow;
}

// The shift journal: the positions of one date and shift, acceptance and deletion,
// and the menu to every other window. Shown modally by the login; closing it ends
// the program.
class PositionEditor;

class JournalWindow : public QDialog, public JournalView {
    Q_OBJECT
public:
    // Creates the data module first (which opens the built-in connection), then calls
    // createWindows, through which start-up creates the login window and the others.
    explicit JournalWindow(const std::function<void(JournalWindow&)>& createWindows = {},
                           QWidget* parent = nullptr);
    ~JournalWindow() override;

    // The login values, held for the whole run: the login step sets them, the shift buttons
    // move CurSmena.
    ui::LoginValues& loginValues() { return login_; }
    const ui::LoginValues& loginValues() const override { return login_; }

    // The date of DateT and the day-off box "Выходной".
    QDate journalDate() const override;
    bool dayOff() const override;

    // Enables and disables the controls a role may or may not use (once, by the login step).
    void applyRights(const ui::JournalRights& rights);

    data::DataModule6& dataModule() { return *dataModule_; }
    // The dataset of CurSmena (any other value counts as 1).
    data::Dataset& currentShift() override;

    // Back to today, weekend box, re-read of the four shifts: whenever the journal
    // becomes active (shown by the login, or a dialog opened from it has closed).
    void activate();

    // The grid's model: the columns of the journal over the dataset of CurSmena.
    ui::DatasetModel& gridModel() { return *gridModel_; }

    // The windows of other subsystems the menu opens; start-up gives them once they exist.
    // Each shows its window modally and returns when it has closed.
    struct Openers {
        std::function<void()> operationTypes; // "Операции": the directory of types
        std::function<void()> prices;         // "Цены": the operations with their prices
        // "Табель по времени": the hours time-sheet of the journal date's month
        std::function<void(const QDate&)> timesheet;
        std::function<void()> reports; // "Сводные отчеты": the report selection
    };
    void useOpeners(Openers openers) { openers_ = std::move(openers); }
    // The entry dialog of "Добавить", "Изменить" and the double-click.
    void useEntryDialog(PositionEditor& entry) { entry_ = &entry; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setUpGrid();
    void connectHandlers();

    // Shows a window opened from the journal modally; afterwards the journal is back on today.
    int openModal(QDialog* dialog);

    void readShifts(); // the four shift lists for the date of DateT
    void showShift(int shift);
    void paintShiftButtons();
    void paintWeekendBox();
    void acceptCurrentPosition();
    void backFromEntry(int positionId);

    void on_RadioButton_clicked(int shift, bool checked);
    void on_DateT_dateChosen(); // calendar click or Enter
    void on_Button8_clicked();
    void on_Button5_clicked();
    void on_Button3_clicked();
    void on_Button1_clicked();
    void on_Button2_clicked();
    void on_DBGrid2_doubleClicked();
    void on_N6_triggered();
    void on_N4_triggered();
    void on_N11_triggered();
    void on_N10_triggered();

    Ui::JournalWindow* ui;
    ui::LoginValues login_;
    Openers openers_;
    PositionEditor* entry_ = nullptr;
    std::unique_ptr<data::DataModule6> dataModule_;
    // the window's own query and command
    std::unique_ptr<data::Dataset> smena_gds_use_cnt;
    std::unique_ptr<data::Command> smena_accept_row;
    ui::DatasetModel* gridModel_ = nullptr;
};
