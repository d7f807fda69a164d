#pragma once

#include "history_text.h"

#include <QDate>

#include <vector>

namespace data {
class Connection;
}
namespace spreadsheet {
class Workbook;
}

namespace history {

// The history of changes as a person reads it, and the restore of a deleted position. The
// database records every change itself and lets only the administrator, the masters and
// the economist read it (a clerk reads no row). Every list is oldest first.
class HistoryData {
public:
    explicit HistoryData(data::Connection& connection) : connection_(connection) {}

    // A position's changes, its materials' and brigade's too.
    std::vector<HistoryEntry> positionHistory(int positionId);
    // An operation's changes, its norms' and its operation types'.
    std::vector<HistoryEntry> operationHistory(int operationId);
    // The deletions of the positions of a journal day.
    std::vector<HistoryEntry> deletedPositions(const QDate& day);
    // Every change made from the first day up to, not including, the last.
    std::vector<HistoryEntry> periodHistory(const QDate& from, const QDate& to);

    // The administrator's: the deleted position of a history row back, with its day cell;
    // returns its id. The database refuses anyone else, a closed month, a position back
    // already.
    int restorePosition(qint64 historyId);

private:
    std::vector<HistoryEntry> read(const QString& statement, const QString& parameter,
                                   const QVariant& value, const QString& parameter2 = {},
                                   const QVariant& value2 = {});
    HistoryNames names(const std::vector<HistoryRow>& rows);

    data::Connection& connection_;
};

// The export's file name: "История 01.11.2026–01.12.2026.xlsx".
QString periodFileName(const QDate& from, const QDate& to);

// The entries a row each into sheet 1 of a new workbook of book (Когда, Кто, Где, Что,
// Изменения), every cell as text. False when no workbook could be opened (the wrapper has
// said so).
bool writeHistorySpreadsheet(const std::vector<HistoryEntry>& entries, const QString& fileName,
                             spreadsheet::Workbook& book);

} // namespace history
