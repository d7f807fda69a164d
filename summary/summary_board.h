#pragma once

#include "month_summary.h"

#include <QDate>
#include <QImage>
#include <QSize>
#include <QWidget>

#include <array>

class QBarSet;
class QChart;
class QChartView;
class QLabel;

namespace report {
class PreparedReport;
}

namespace summary {

// The size a month's picture is drawn at: the proportions of an A4 landscape page, so the
// PNG and the printed page are the same drawing.
inline constexpr QSize kPictureSize{1400, 990};

// The month drawn: good pieces and piecework sum by day (weekends shaded), the hours of each
// day stacked by shift, the ten operations with the largest sum and the month's totals beside
// them. Colours come from the widget's palette. Hovering a bar shows its value; a click on a
// day's bar says dayClicked. Every chart tells a screen reader each of its bars.
class SummaryBoard : public QWidget {
    Q_OBJECT
public:
    explicit SummaryBoard(QWidget* parent = nullptr);

    void showSummary(const MonthSummary& summary);
    const MonthSummary& shownSummary() const { return summary_; }

    // The charts' bars, by day (index 0 the 1st) or by operation (index 0 the largest).
    QBarSet* piecesBars() const { return pieces_; }
    QBarSet* sumBars() const { return sums_; }
    const std::array<QBarSet*, kShifts>& hourBars() const { return hours_; }
    QBarSet* operationBars() const { return operations_; }
    QChartView* piecesView() const { return piecesView_; }
    QChartView* sumView() const { return sumView_; }
    QChartView* hoursView() const { return hoursView_; }
    QChartView* operationsView() const { return operationsView_; }
    // What hovering a bar shows and a screen reader reads for it.
    QString barText(const QBarSet* set, int index) const;

signals:
    void dayClicked(const QDate& day);

protected:
    void changeEvent(QEvent* event) override;

private:
    void rebuildCharts();
    QChart* dayChart(QChartView* view, const QString& title);
    void shadeWeekends(QChart* chart);
    void watchBars(QBarSet* set, QChartView* view, bool days);
    void describe(QChartView* view, const QList<QBarSet*>& sets);
    void fillTotals();

    MonthSummary summary_;
    QLabel* title_;
    QLabel* kind_;
    QChartView* piecesView_;
    QChartView* sumView_;
    QChartView* hoursView_;
    QChartView* operationsView_;
    QLabel* totals_;
    QBarSet* pieces_ = nullptr;
    QBarSet* sums_ = nullptr;
    std::array<QBarSet*, kShifts> hours_{};
    QBarSet* operations_ = nullptr;
};

// The palette a picture and a printed page are drawn in, whatever the screen's theme: dark
// text on white paper.
QPalette paperPalette();

// The month drawn at kPictureSize in the paper palette, for "Картинка" and norv_report --png.
QImage picture(const MonthSummary& summary);

// The month on one A4 landscape page of the report engine, for the preview, the printer and
// the PDF; titled with the month.
report::PreparedReport printedSummary(const MonthSummary& summary);

// The file name of the month's picture: "Сводка 11.2026.png", the kind added when one is
// chosen ("Сводка 11.2026, заготовки.png").
QString pictureFileName(const MonthSummary& summary);

} // namespace summary
