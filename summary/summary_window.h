#pragma once

#include "month_summary.h"

#include "ui/month_choosers.h"

#include <QDate>
#include <QDialog>

class QButtonGroup;

namespace Ui {
class SummaryWindow;
}

namespace report {
class PreparedReport;
}

namespace summary {

class SummaryBoard;

// "Сводка месяца": the charts of a month (SummaryBoard) for the chosen month, year and
// product kind, read afresh on every choice; "Печать" previews the A4 page, "Картинка" saves
// the PNG into the documents folder.
class SummaryWindow : public QDialog {
    Q_OBJECT
public:
    explicit SummaryWindow(SummaryData& data, QWidget* parent = nullptr);
    ~SummaryWindow() override;

    // The journal's menu: shows the month of journalDate modally. Returns the day whose bar
    // was clicked (the journal then shows it), or an invalid date when closed.
    QDate openForMonth(const QDate& journalDate);

    int month() const;
    int year() const; // 0 while no year is chosen
    data::ProductKind kind() const;
    SummaryBoard& board() { return *board_; }

    // What "Печать" previews, and what "Картинка" writes; the picture's path once saved.
    report::PreparedReport printedPage() const;
    QString savePicture();

private:
    ui::MonthChoosers choosers() const;
    void fillYears();
    void chooseMonthOf(const QDate& journalDate);
    void readChosenMonth();
    void previewPrinted();
    void dayChosen(const QDate& day);

    Ui::SummaryWindow* ui_;
    SummaryData& data_;
    SummaryBoard* board_;
    QButtonGroup* kinds_;
    QDate chosenDay_;
};

} // namespace summary
