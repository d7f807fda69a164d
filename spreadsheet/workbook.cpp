#include "workbook.h"

#include "xlsx_file.h"

#include "files/atomic_file.h"

#include <algorithm>
#include <cmath>

namespace spreadsheet {

void Workbook::startNew(const QString& fileName) {
    discard();
    open_ = true;
    fileName_ = fileName;
}

void Workbook::discard() {
    open_ = false;
    fileName_.clear();
    cells_.clear();
    index_.clear();
    autoFitColumns_.clear();
}

bool Workbook::isInsideSheet(int column, int row) {
    return column >= 1 && column <= kMaxColumn && row >= 1 && row <= kMaxRow;
}

int Workbook::characterCount(const QString& text) {
    int count = 0;
    for (QChar ch : text)
        if (!ch.isLowSurrogate())
            ++count;
    return count;
}

Workbook::Cell& Workbook::cell(int column, int row) {
    const auto [it, isNew] = index_.try_emplace(key(column, row), int(cells_.size()));
    if (isNew)
        cells_.push_back({column, row, {}});
    return cells_[size_t(it->second)].cell;
}

const Workbook::Cell* Workbook::findCell(int column, int row) const {
    const auto it = index_.find(key(column, row));
    return it == index_.end() ? nullptr : &cells_[size_t(it->second)].cell;
}

double Workbook::widthForText(const QString& text) {
    // The widest line decides, as it does for a cell that wraps.
    int characters = 0;
    for (const QString& line : text.split(QLatin1Char('\n')))
        characters = std::max(characters, characterCount(line));
    if (characters == 0)
        return 0;
    return std::min(kMaxColumnWidth, std::round((characters * 1.1 + 1) * 100) / 100);
}

double Workbook::columnWidth(int column) const {
    if (!autoFitColumns_.contains(column))
        return 0;
    double width = 0;
    for (const PlacedCell& placed : cells_)
        if (placed.column == column)
            width = std::max(width, widthForText(placed.cell.text));
    return width;
}

namespace {

// A whole or decimal number as the workstation writes it ("-12", "12,5", "0,25") with at
// most 15 significant digits, as the file stores it ("12.5"): the spreadsheet application
// turns such a value into a number unless the cell is formatted as text ("@"), so sums and
// sorting work on it. Empty for anything else.
QString numberInFile(const QString& text) {
    qsizetype i = text.startsWith(u'-') ? 1 : 0;
    int digits = 0; // significant ones
    int beforeComma = 0;
    int afterComma = -1; // -1: no comma yet
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c >= u'0' && c <= u'9') {
            if (c != u'0' || digits > 0)
                ++digits;
            if (afterComma < 0)
                ++beforeComma;
            else
                ++afterComma;
        } else if (c == u',' && afterComma < 0) {
            afterComma = 0;
        } else {
            return {};
        }
    }
    if (beforeComma == 0 || afterComma == 0 || digits > 15)
        return {};
    QString number = text;
    number.replace(u',', u'.');
    // no leading zeros ("007" is 7), the last one before the point kept
    const qsizetype first = number.startsWith(u'-') ? 1 : 0;
    qsizetype zeros = 0;
    while (first + zeros + 1 < number.size() && number[first + zeros] == u'0' &&
           number[first + zeros + 1] != u'.')
        ++zeros;
    number.remove(first, zeros);
    return number;
}

} // namespace

files::WriteFailure Workbook::save(const QString& path) const {
    files::AtomicFile file(path);
    if (file.open()) {
        save(file);
        file.commit();
    }
    return file.failure();
}

void Workbook::save(files::AtomicFile& file) const {
    // The name a new workbook's first sheet has in a Russian spreadsheet application.
    XlsxSheet sheet{QStringLiteral("Лист1"), {}, {}};
    sheet.cells.reserve(cells_.size());
    for (const PlacedCell& placed : cells_) {
        const Cell& c = placed.cell;
        // a cell formatted before its value failed keeps the format, as it would on screen
        if (c.text.isEmpty() && !c.asText && !c.bold)
            continue;
        const QString number = c.asText ? QString() : numberInFile(c.text);
        sheet.cells.push_back({placed.row, placed.column, number.isEmpty() ? c.text : number,
                               !number.isEmpty(), c.asText, c.bold});
        if (!c.text.isEmpty() && autoFitColumns_.contains(placed.column)) {
            double& width = sheet.widths[placed.column];
            width = std::max(width, widthForText(c.text));
        }
    }
    writeXlsx(sheet, file);
}

} // namespace spreadsheet
