#pragma once

#include "data/closed_months.h"
#include "ui/login_role.h"

#include <QDate>
#include <QDialog>

#include <functional>
#include <utility>

namespace data {
class Connection;
class Dataset;
} // namespace data

namespace journal {
class Positions;
struct JournalDay;
} // namespace journal

namespace ui {
class DatasetModel;
}

namespace Ui {
class JournalWindow;
}

class PositionEditor;

// The shift journal: the positions of one date and shift, acceptance and deletion,
// and the menu to every other window. Shown modally by the login; closing it ends
// the program.
class JournalWindow : public QDialog {
    Q_OBJECT
public:
    JournalWindow(data::Connection& connection, journal::Positions& positions,
                  QWidget* parent = nullptr);
    ~JournalWindow() override;

    // The login values, held for the whole run: the login step sets them, the shift buttons
    // move currentShift.
    ui::LoginValues& loginValues() { return login_; }
    const ui::LoginValues& loginValues() const { return login_; }

    // The connection the login opens with the name and password typed.
    data::Connection& connection() { return connection_; }

    // The date of the date box and the day-off box "Выходной".
    QDate journalDate() const;
    bool dayOff() const;

    // Enables and disables the controls a role may or may not use (once, by the login step).
    // In a closed month the buttons that change positions stay disabled whatever the role.
    void applyRights(const ui::JournalRights& rights);

    // The list of the shift shown (currentShift; any other value counts as 1).
    data::Dataset& shownPositions();

    // Back to today, weekend box, re-read of the four shifts: whenever the journal
    // becomes active (shown by the login, or a dialog opened from it has closed).
    void activate();

    // The grid's model: the columns of the journal over the list of the shift shown.
    ui::DatasetModel& gridModel() { return *gridModel_; }

    // The windows of other subsystems the menu opens; start-up gives them once they exist.
    // Each shows its window modally and returns when it has closed.
    struct Openers {
        std::function<void()> operationTypes; // "Операции": the directory of types
        std::function<void()> prices;         // "Цены": the operations with their prices
        // "Табель по времени": the hours time-sheet of the journal date's month
        std::function<void(const QDate&)> timesheet;
        std::function<void()> reports; // "Сводные отчеты": the report selection
        // "История": a position's changes; true when a deleted position was restored
        std::function<bool(int positionId)> positionHistory;
        // "Удалённые позиции дня": the deletions of the day's positions, to restore one
        std::function<bool(const QDate&)> deletedPositions;
        // "Сводка месяца" of the journal date's month; answers the day to show, if one was
        // clicked (else an invalid date)
        std::function<QDate(const QDate&)> summary;
    };
    void useOpeners(Openers openers) { openers_ = std::move(openers); }
    // The entry dialog of "Добавить", "Изменить" and the double-click.
    void useEntryDialog(PositionEditor& entry) { entry_ = &entry; }

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setUpGrid();
    void connectHandlers();
    void connectMenu();
    void connectKeys();

    journal::JournalDay journalDay() const;
    void readShifts();     // the four shift lists for the date of the date box
    void readMonthState(); // whether the date's month is closed
    void showMonthState();
    void showShift(int shift);
    void paintShiftButtons();
    void paintWeekendBox();
    void backFromEntry(int positionId);
    void backFromMenu(const std::function<void()>& opener);

    void shiftChosen(int shift, bool checked);
    void journalDateChosen(); // calendar click or Enter
    void rereadShifts();
    void acceptCurrentPosition();
    void deletePosition();
    void addPosition();
    void editPosition();
    void positionActivated();
    void openCurrentPosition(); // Enter in the grid
    void acceptByKey();         // a master's Space or Ctrl+Enter
    void openOperationTypes();
    void openPrices();
    void openTimesheet();
    void openReports();
    void openPositionHistory();
    void openDeletedPositions();
    void backFromHistory(bool restored, int positionId);
    void openSummary();

    Ui::JournalWindow* ui;
    data::Connection& connection_;
    journal::Positions& positions_;
    ui::LoginValues login_;
    // the design's state until the login step applies the role's
    ui::JournalRights rights_{.recordPositions = true, .acceptPositions = true};
    data::ClosedMonths closedMonths_;
    bool monthClosed_ = false;
    Openers openers_;
    PositionEditor* entry_ = nullptr;
    ui::DatasetModel* gridModel_ = nullptr;
};
