#include "spreadsheet.h"

#include "launcher.h"
#include "workbook.h"

#include "files/export_folder.h"
#include "seams/clock.h"
#include "seams/messages.h"
#include "ui/guard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

namespace spreadsheet {

namespace {

const QString kOpenFailed = QStringLiteral("Ошибка открытия файла Microsoft Excel.");
const QString kBadSheetCaption = QStringLiteral("Ошибочный номер листа Microsoft Excel");
const QString kExcelErrorCaption = QStringLiteral("Ошибка Microsoft Excel");

QString chosenOutputFolder;

QString writeError(int sheet, int column, int row) {
    return QStringLiteral("Ошибка при записи: лист %1, столбец %2, строка %3")
        .arg(sheet)
        .arg(column)
        .arg(row);
}

// Where the workbook goes: the given name (relative to the output folder) or a new name
// in the output folder, made when it is shown.
QString preferredPath(const Workbook& book) {
    if (!book.fileName().isEmpty())
        return QDir(outputFolder()).absoluteFilePath(book.fileName());
    const QString stamp = seams::Clock::now().toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
    return QDir(outputFolder()).filePath(QStringLiteral("Выгрузка %1.xlsx").arg(stamp));
}

void showFailure(const files::WriteFailure& failure) {
    ui::logShown(ui::lastActivity(), eventlog::Kind::Error,
                 failure.sentence + u'\n' + failure.detail);
    seams::Messages::current().errorWithDetail(failure.sentence, failure.detail,
                                               seams::kErrorCaption);
}

// The cell a write goes to, or nullptr after the message of a bad sheet or position.
Workbook::Cell* cellToWrite(Workbook& handle, int sheet, int column, int row) {
    if (!handle.hasSheet(sheet)) {
        seams::Messages::current().error(writeError(sheet, column, row), kBadSheetCaption);
        return nullptr;
    }
    if (!Workbook::isInsideSheet(column, row)) {
        seams::Messages::current().error(writeError(sheet, column, row), kExcelErrorCaption);
        return nullptr;
    }
    return &handle.cell(column, row);
}

// A text longer than a cell holds is refused rather than cut.
bool setValue(Workbook::Cell& cell, int sheet, int column, int row, const QString& text) {
    if (Workbook::characterCount(text) > Workbook::kMaxTextLength) {
        seams::Messages::current().error(writeError(sheet, column, row), kExcelErrorCaption);
        return false;
    }
    cell.text = text;
    return true;
}

} // namespace

Workbook& reportsHandle() {
    static Workbook handle;
    return handle;
}

Workbook& timesheetHandle() {
    static Workbook handle;
    return handle;
}

void setOutputFolder(const QString& folder) {
    chosenOutputFolder = folder;
}

QString outputFolder() {
    if (!chosenOutputFolder.isEmpty())
        return chosenOutputFolder;
    try {
        return files::exportFolder();
    } catch (const files::WriteError&) {
        return {}; // opening a workbook says so
    }
}

int XlsOpen(Workbook& handle, const QString& fileName) {
    // The file is written, never read: a given name is where the new workbook will be
    // saved (without overwriting what is there), as nothing here can load a workbook.
    handle.discard();
    const QString folder = fileName.isEmpty()
                               ? outputFolder()
                               : QFileInfo(QDir(outputFolder()).absoluteFilePath(fileName)).path();
    if (const int error = folder.isEmpty() ? ENOENT : files::creationError(folder)) {
        const files::WriteFailure failure = files::writeFailure(
            error, QDir(folder).filePath(fileName.isEmpty() ? QStringLiteral("*.xlsx") : fileName));
        ui::logShown(ui::lastActivity(), eventlog::Kind::Error,
                     kOpenFailed + u'\n' + failure.sentence + u'\n' + failure.detail);
        seams::Messages::current().errorWithDetail(
            kOpenFailed, failure.sentence + u'\n' + failure.detail, seams::kErrorCaption);
        return -1;
    }
    handle.startNew(fileName);
    return 1;
}

int XlsSetVisible(Workbook& handle, bool visible) {
    if (!visible || !handle.isOpen())
        return 1;
    // Saved first, so the workbook exists whatever becomes of the opener. The cells stay,
    // and a later show saves them again under a new name.
    const QFileInfo preferred(preferredPath(handle));
    QString path;
    try {
        path = files::reserveFreeName(preferred.absolutePath(), preferred.fileName());
    } catch (const files::WriteError& e) {
        showFailure(e.failure());
        return 1;
    }
    const files::WriteFailure failure = handle.save(path);
    if (failure.failed()) {
        QFile::remove(path); // the name it had taken
        showFailure(failure);
        return 1;
    }
    Launcher::current().open(path);
    return 1;
}

int XlsWriteCell(Workbook& handle, int sheet, int column, int row, const QString& text) {
    if (text.isEmpty())
        return 1;
    Workbook::Cell* cell = cellToWrite(handle, sheet, column, row);
    if (!cell || !setValue(*cell, sheet, column, row, text))
        return -1;
    return 1;
}

int XlsWriteCellEx(Workbook& handle, int sheet, int column, int row, const QString& text,
                   bool asText, bool autoFit, bool bold) {
    if (text.isEmpty())
        return 1;
    Workbook::Cell* cell = cellToWrite(handle, sheet, column, row);
    if (!cell)
        return -1;
    // The effects in the order the exports rely on: format, value, width, bold.
    if (asText)
        cell->asText = true;
    if (!setValue(*cell, sheet, column, row, text))
        return -1;
    if (autoFit)
        handle.autoFit(column);
    cell->bold = bold;
    return 1;
}

} // namespace spreadsheet
