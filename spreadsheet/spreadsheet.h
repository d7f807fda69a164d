#pragma once
// The four spreadsheet operations every export goes through. The workbook is written as a
// real .xlsx file with libxlsxwriter and handed to the desktop's spreadsheet application.

#include <QString>

namespace spreadsheet {

// One "application handle": the workbook that the exports fill, kept for the run.
class Workbook;

// The two handles: one for the production report and the operations list, one for the
// hours time-sheet (the only user of XlsWriteCellEx).
Workbook& reportsHandle();
Workbook& timesheetHandle();

// Returns 1, or -1 after showing "Ошибка открытия файла Microsoft Excel." (caption "Ошибка").
int XlsOpen(Workbook& handle, const QString& fileName);
// Returns 1. True saves the workbook under a new, unique name and hands it to the desktop.
int XlsSetVisible(Workbook& handle, bool visible);
// Sheets, rows and columns count from 1; every value is text. Returns 1 or -1 (after its
// message). An empty text writes nothing and returns 1.
int XlsWriteCell(Workbook& handle, int sheet, int column, int row, const QString& text);
int XlsWriteCellEx(Workbook& handle, int sheet, int column, int row, const QString& text,
                   bool asText, bool autoFit, bool bold);

// Where shown workbooks are saved. Empty (the default): the user's documents folder, or the
// temporary folder when that is missing or read-only. Tests and the benchmark set their own.
void setOutputFolder(const QString& folder);
QString outputFolder();

} // namespace spreadsheet
