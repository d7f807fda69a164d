#include "spreadsheet.h"

#include "launcher.h"
#include "seams/clock.h"
#include "seams/messages.h"
#include "workbook.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

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

// Creating a file is the only honest test: permissions, read-only mounts and root all
// answer differently to a look at the mode bits.
bool isWritableFolder(const QString& folder) {
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return false;
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".norv-probe-XXXXXX")));
    return probe.open();
}

// Where the workbook goes: the given name (relative to the output folder) or a new name
// in the output folder, made when it is shown.
QString preferredPath(const Workbook& book) {
    if (!book.fileName().isEmpty())
        return QDir(outputFolder()).absoluteFilePath(book.fileName());
    const QString stamp = seams::Clock::now().toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
    return QDir(outputFolder()).filePath(QStringLiteral("Выгрузка %1.xlsx").arg(stamp));
}

// Takes the first free name of "name.xlsx", "name (2).xlsx", ... by creating the file, so
// an existing workbook is never overwritten.
QString reserveFreePath(const QString& preferred, QString* error) {
    const QFileInfo info(preferred);
    const QString suffix = info.suffix().isEmpty() ? QString() : "." + info.suffix();
    const QString stem = preferred.left(preferred.size() - suffix.size());
    for (int n = 1; n <= 10000; ++n) {
        QString candidate =
            n == 1 ? preferred : QStringLiteral("%1 (%2)%3").arg(stem).arg(n).arg(suffix);
        QFile file(candidate);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return candidate;
        if (!QFileInfo::exists(candidate)) {
            *error = file.errorString();
            return {};
        }
    }
    *error = QStringLiteral("нет свободного имени файла");
    return {};
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
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return isWritableFolder(documents) ? documents : QDir::tempPath();
}

int XlsOpen(Workbook& handle, const QString& fileName) {
    // The file is written, never read: a given name is where the new workbook will be
    // saved (without overwriting what is there), as nothing here can load a workbook.
    handle.discard();
    const QString folder = fileName.isEmpty()
                               ? outputFolder()
                               : QFileInfo(QDir(outputFolder()).absoluteFilePath(fileName)).path();
    if (!isWritableFolder(folder)) {
        seams::Messages::current().error(kOpenFailed, seams::kErrorCaption);
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
    QString error;
    const QString path = reserveFreePath(preferredPath(handle), &error);
    if (path.isEmpty() || !handle.save(path, &error)) {
        seams::Messages::current().error(
            QStringLiteral("Книга не сохранена: %1\n%2")
                .arg(QDir::toNativeSeparators(path.isEmpty() ? preferredPath(handle) : path),
                     error),
            kExcelErrorCaption);
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
