#pragma once
// Reads back what the program wrote into an .xlsx file: the cells of the first sheet as text
// (shared and inline strings, numbers as written), whether a cell is formatted as text ("@")
// or bold, and the column widths.

#include <QMap>
#include <QString>

#include <optional>
#include <utility>

class XlsxReader {
public:
    struct Cell {
        QString text;
        bool textFormat = false; // number format "@"
        bool bold = false;
        bool number = false; // stored as a number, not as text
    };
    using Position = std::pair<int, int>; // (row, column), from 1

    // False, with error(), when the file is not a workbook this reader understands.
    bool load(const QString& path);
    QString error() const { return error_; }

    QString sheetName() const { return sheetName_; }
    const QMap<Position, Cell>& cells() const { return cells_; }
    std::optional<Cell> cell(int row, int column) const;
    // Empty for a cell that is not there.
    QString text(int row, int column) const;
    // Width of the column as stored; 0 when the column has no width of its own.
    double columnWidth(int column) const { return widths_.value(column, 0.0); }
    const QMap<int, double>& columnWidths() const { return widths_; }

    // The sheet as CSV from A1 to the last used cell, quoted where needed.
    QString toCsv() const;

private:
    QString error_;
    QString sheetName_;
    QMap<Position, Cell> cells_;
    QMap<int, double> widths_;
};
