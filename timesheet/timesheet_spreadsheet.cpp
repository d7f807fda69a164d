#include "timesheet_spreadsheet.h"

#include "month_rows.h"

#include "data/dataset.h"
#include "spreadsheet/spreadsheet.h"

#include <QLocale>
#include <QScopeGuard>

namespace timesheet {

QString monthFileName(int month, int year) {
    return QStringLiteral("Табель %1.%2.xlsx").arg(month, 2, 10, QChar(u'0')).arg(year);
}

bool writeMonthSpreadsheet(data::Dataset& rows, int month, int year, const QString& heading,
                           spreadsheet::Workbook& book,
                           const std::function<void(int, int)>& progress) {
    openMonth(rows, month, year);
    const auto closeAfterwards = qScopeGuard([&rows] { rows.close(); });
    if (spreadsheet::XlsOpen(book, monthFileName(month, year)) == -1)
        return false;
    spreadsheet::XlsSetVisible(book, false);
    const int total = rows.recordCount();
    if (progress)
        progress(0, total);
    using spreadsheet::XlsWriteCellEx;
    XlsWriteCellEx(book, 1, 1, 1, heading, true, true, true);
    XlsWriteCellEx(book, 1, 1, 2, QStringLiteral("Фамилия И.О."), true, true, true);
    for (int day = 1; day <= 31; ++day)
        XlsWriteCellEx(book, 1, day + 1, 2, QString::number(day), false, true, true);
    XlsWriteCellEx(book, 1, 33, 2, QStringLiteral("Итого"), true, true, true);
    int row = 3;
    for (rows.first(); !rows.eof(); rows.next(), ++row) {
        XlsWriteCellEx(book, 1, 1, row, rows.asString(QStringLiteral("fio")), true, true, false);
        qint64 hoursTotal = 0;
        for (int day = 1; day <= 31; ++day) {
            const qint64 hours = rows.asInt64(QStringLiteral("sd%1").arg(day));
            hoursTotal += hours;
            XlsWriteCellEx(book, 1, day + 1, row, QString::number(hours), false, true, false);
        }
        XlsWriteCellEx(book, 1, 33, row, QString::number(hoursTotal), false, true, false);
        if (progress)
            progress(row - 2, total);
    }
    return true;
}

QString monthName(int month) {
    const QString name = QLocale(QLocale::Russian).standaloneMonthName(month, QLocale::LongFormat);
    return name.left(1).toUpper() + name.mid(1);
}

} // namespace timesheet
