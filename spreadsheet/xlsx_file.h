#pragma once
// The .xlsx file of a one-sheet workbook, written here rather than by libxlsxwriter: that
// library prints every number with 16 significant digits, so 657,305 would be stored as
// 657.3049999999999. Here a number is stored as the text it was written with.

#include <QString>

#include <map>
#include <vector>

namespace files {
class AtomicFile;
}

namespace spreadsheet {

struct XlsxSheet {
    struct Cell {
        int row = 0;    // from 1
        int column = 0; // from 1
        QString value;  // a number in the file's form ("12.5"), or a text
        bool number = false;
        bool textFormat = false; // number format "@"
        bool bold = false;
    };
    QString name;
    std::vector<Cell> cells;      // any order
    std::map<int, double> widths; // column -> width in characters
};

// Writes the workbook into the file's temporary file; a failure goes into the file, which the
// caller commits or not.
void writeXlsx(const XlsxSheet& sheet, files::AtomicFile& file);

} // namespace spreadsheet
