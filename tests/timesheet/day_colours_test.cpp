// The time-sheet's colours on fixed months: which days are weekends, titles past the month's
// end, the cells by their hours.
#include "timesheet/day_colours.h"

#include <QtTest>

using namespace timesheet;

class DayColoursTest : public QObject {
    Q_OBJECT
private slots:
    void monthShapes_data();
    void monthShapes();
    void cells_data();
    void cells();
};

void DayColoursTest::monthShapes_data() {
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("days");
    QTest::addColumn<QList<int>>("weekends");
    QTest::newRow("March 2026 begins on a Sunday")
        << 3 << 2026 << 31 << QList<int>{1, 7, 8, 14, 15, 21, 22, 28, 29};
    QTest::newRow("April 2026, 30 days")
        << 4 << 2026 << 30 << QList<int>{4, 5, 11, 12, 18, 19, 25, 26};
    QTest::newRow("February of a leap year")
        << 2 << 2024 << 29 << QList<int>{3, 4, 10, 11, 17, 18, 24, 25};
    QTest::newRow("February 2026") << 2 << 2026 << 28 << QList<int>{1, 7, 8, 14, 15, 21, 22, 28};
}

void DayColoursTest::monthShapes() {
    QFETCH(int, month);
    QFETCH(int, year);
    QFETCH(int, days);
    QFETCH(QList<int>, weekends);
    const MonthShape shape = MonthShape::of(month, year);
    QCOMPARE(shape.days, days);
    QList<int> found;
    for (int day = 1; day <= days; ++day)
        if (shape.isWeekend(day))
            found << day;
    QCOMPARE(found, weekends);
    for (int day = 1; day <= 31; ++day) {
        const QColor title = dayTitleColour(day, shape);
        if (day > days)
            QCOMPARE(title, kSilver);
        else
            QCOMPARE(title, weekends.contains(day) ? kWeekendRed : QColor());
    }
}

void DayColoursTest::cells_data() {
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("hours");
    QTest::addColumn<QString>("text"); // "red", "silver", "hidden", "" for the grid's own
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("green");
    // April 2026: the 4th is a Saturday, the 6th a Monday, the 31st past the end
    QTest::newRow("weekday, 0") << 6 << 0 << "silver" << false << false;
    QTest::newRow("weekend, 0") << 4 << 0 << "red" << false << false;
    QTest::newRow("weekday, 4") << 6 << 4 << "" << false << false;
    QTest::newRow("weekday, 8") << 6 << 8 << "" << true << false;
    QTest::newRow("weekend, 8") << 4 << 8 << "red" << true << false;
    QTest::newRow("weekday, 9") << 6 << 9 << "" << true << true;
    QTest::newRow("weekend, 12") << 4 << 12 << "red" << true << true;
    QTest::newRow("past the end, 0") << 31 << 0 << "hidden" << false << false;
    QTest::newRow("past the end, 8") << 31 << 8 << "hidden" << false << false;
}

void DayColoursTest::cells() {
    QFETCH(int, day);
    QFETCH(int, hours);
    QFETCH(QString, text);
    QFETCH(bool, bold);
    QFETCH(bool, green);
    const ui::CellStyle style = dayCellStyle(day, hours, MonthShape::of(4, 2026));
    const QMap<QString, QColor> colours{{"red", kWeekendRed}, {"silver", kSilver}};
    QCOMPARE(style.blank, text == "hidden");
    QCOMPARE(style.textColor, colours.value(text));
    QCOMPARE(style.bold, bold);
    QCOMPARE(style.background, green ? kOvertimeGreen : QColor());
}

QTEST_GUILESS_MAIN(DayColoursTest)
#include "day_colours_test.moc"
