// The time-sheet's colours on fixed months: which days are weekends, titles past the month's
// end, the cells by their hours, a selected cell.
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
    QTest::addColumn<bool>("selected");
    QTest::addColumn<QString>("text"); // "red", "silver", "hidden", "" for the grid's own
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("green");
    // April 2026: the 4th is a Saturday, the 6th a Monday, the 31st past the end
    QTest::newRow("weekday, 0") << 6 << 0 << false << "silver" << false << false;
    QTest::newRow("weekend, 0") << 4 << 0 << false << "red" << false << false;
    QTest::newRow("weekday, 4") << 6 << 4 << false << "" << false << false;
    QTest::newRow("weekday, 8") << 6 << 8 << false << "" << true << false;
    QTest::newRow("weekend, 8") << 4 << 8 << false << "red" << true << false;
    QTest::newRow("weekday, 9") << 6 << 9 << false << "" << true << true;
    QTest::newRow("weekend, 12") << 4 << 12 << false << "red" << true << true;
    QTest::newRow("past the end, 0") << 31 << 0 << false << "hidden" << false << false;
    QTest::newRow("past the end, 8") << 31 << 8 << false << "hidden" << false << false;
    QTest::newRow("selected, 9") << 6 << 9 << true << "" << false << false;
    QTest::newRow("selected weekend") << 4 << 0 << true << "" << false << false;
}

void DayColoursTest::cells() {
    QFETCH(int, day);
    QFETCH(int, hours);
    QFETCH(bool, selected);
    QFETCH(QString, text);
    QFETCH(bool, bold);
    QFETCH(bool, green);
    QPalette palette;
    palette.setColor(QPalette::Base, QColor(250, 250, 250));
    const DayCellLook look = dayCellLook(day, hours, MonthShape::of(4, 2026), selected, palette);
    const QMap<QString, QColor> colours{{"red", kWeekendRed},
                                        {"silver", kSilver},
                                        {"hidden", QColor(250, 250, 250)},
                                        {"", QColor()}};
    QCOMPARE(look.text, colours.value(text));
    QCOMPARE(look.bold, bold);
    QCOMPARE(look.background, green ? kOvertimeGreen : QColor());
}

QTEST_GUILESS_MAIN(DayColoursTest)
#include "day_colours_test.moc"
