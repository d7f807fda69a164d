#pragma once
// The workbook behind a spreadsheet handle: sheet 1 of a new workbook, held in memory while
// an export fills it and written out as .xlsx when it is shown.

#include "files/write_failure.h"

namespace files {
class AtomicFile;
}

#include <QSet>
#include <QString>

#include <unordered_map>
#include <vector>

namespace spreadsheet {

class Workbook {
public:
    // The limits of an .xlsx sheet and of one cell's text.
    static constexpr int kMaxRow = 1048576;
    static constexpr int kMaxColumn = 16384;
    static constexpr int kMaxTextLength = 32767;
    // Column widths are in characters; the format allows no more.
    static constexpr double kMaxColumnWidth = 255;

    struct Cell {
        QString text;
        bool asText = false; // number format "@"
        bool bold = false;
    };

    // A new, empty workbook; a non-empty name is where it is to be saved.
    void startNew(const QString& fileName);
    // Back to no workbook at all, as before the first open.
    void discard();
    bool isOpen() const { return open_; }
    const QString& fileName() const { return fileName_; }

    // A new workbook has sheet 1 only.
    bool hasSheet(int sheet) const { return open_ && sheet == 1; }
    static bool isInsideSheet(int column, int row);
    // Counts characters as the sheet does: a pair of surrogates is one character.
    static int characterCount(const QString& text);

    // The cell, created empty and unformatted when it was never touched.
    Cell& cell(int column, int row);
    const Cell* findCell(int column, int row) const;
    int cellCount() const { return int(cells_.size()); }

    // Remembers that the column is sized to its widest text when the workbook is saved.
    void autoFit(int column) { autoFitColumns_.insert(column); }
    // The width an auto-fitted column gets for its texts; 0 for a column never auto-fitted.
    double columnWidth(int column) const;
    static double widthForText(const QString& text);

    // Writes the .xlsx file whole or not at all (the file that had the name stays then); the
    // failure is empty when it was written.
    files::WriteFailure save(const QString& path) const;
    // Into a file the caller opened and commits; a failure goes into the file.
    void save(files::AtomicFile& file) const;

private:
    struct PlacedCell {
        int column;
        int row;
        Cell cell;
    };
    static quint64 key(int column, int row) { return (quint64(row) << 16) | quint64(column); }

    bool open_ = false;
    QString fileName_;
    // In the order of the first write; the index finds a cell written again.
    std::vector<PlacedCell> cells_;
    std::unordered_map<quint64, int> index_;
    QSet<int> autoFitColumns_;
};

} // namespace spreadsheet
