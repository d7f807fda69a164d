// An export of 20,000 rows x 4 columns through XlsWriteCell into a saved workbook, against
// libxlsxwriter alone writing the same strings into a file. Prints its figures; asserts
// nothing. Needs no database.
#include "seams/messages.h"
#include "spreadsheet/launcher.h"
#include "spreadsheet/spreadsheet.h"
#include "spreadsheet/workbook.h"
#include "tests/support/recording_launcher.h"
#include "timing.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRows = 20000;
constexpr int kColumns = 4;
constexpr int kRuns = 5;

// Any box would mean the figures measure something else: say so and go on.
class PrintedMessages : public seams::Messages {
public:
    void error(const QString& text, const QString& caption) override { print(text, caption); }
    bool question(const QString& text, const QString& caption) override {
        print(text, caption);
        return true;
    }
    void information(const QString& text, const QString& caption) override { print(text, caption); }

private:
    static void print(const QString& text, const QString& caption) {
        std::fprintf(stderr, "message: %s: %s\n", qPrintable(caption), qPrintable(text));
    }
};

// The rows of an operations-list export: mark, operation, price, kind.
std::vector<QString> exportCells() {
    std::vector<QString> cells;
    cells.reserve(size_t(kRows) * kColumns);
    for (int i = 0; i < kRows; ++i) {
        cells.push_back(QStringLiteral("КМ-%1.%2").arg(i % 500).arg(i));
        cells.push_back(i % 3 == 0 ? QStringLiteral("Покраска (цвет: %1)").arg(7000 + i % 50)
                                   : QStringLiteral("Сварка узла %1").arg(i % 37));
        cells.push_back(QString::number(10 + (i % 900) * 0.25, 'g', 15).replace('.', ','));
        cells.push_back(i % 4 == 0 ? QStringLiteral("Заготовки")
                                   : QStringLiteral("Готовая продукция"));
    }
    return cells;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    PrintedMessages messages;
    seams::Messages::install(&messages);
    RecordingLauncher launcher; // saved workbooks stay in the folder
    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    spreadsheet::setOutputFolder(folder.path());

    const std::vector<QString> cells = exportCells();
    std::vector<QByteArray> utf8;
    utf8.reserve(cells.size());
    for (const QString& text : cells)
        utf8.push_back(text.toUtf8());
    const double cellCount = double(cells.size());

    // libxlsxwriter alone: the same strings, already UTF-8, into one sheet of a file.
    const QByteArray baselinePath = QFile::encodeName(folder.filePath("baseline.xlsx"));
    const double baselineMs = medianMs(kRuns, [&] {
        lxw_workbook* book = workbook_new(baselinePath.constData());
        lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kColumns; ++c)
                worksheet_write_string(sheet, lxw_row_t(r + 1), lxw_col_t(c),
                                       utf8[size_t(r) * kColumns + size_t(c)].constData(), nullptr);
        workbook_close(book);
    });

    // The export as the windows run it: open, every cell, show.
    spreadsheet::Workbook& book = spreadsheet::reportsHandle();
    const double wrapperMs = medianMs(kRuns, [&] {
        spreadsheet::XlsOpen(book, QString());
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kColumns; ++c)
                spreadsheet::XlsWriteCell(book, 1, c + 1, r + 2,
                                          cells[size_t(r) * kColumns + size_t(c)]);
        spreadsheet::XlsSetVisible(book, true);
    });

    const qint64 savedSize = QFileInfo(launcher.opened.last()).size();
    const qint64 baselineSize = QFileInfo(QString::fromLocal8Bit(baselinePath)).size();
    const double ratio = wrapperMs / baselineMs;
    std::printf("export of %d rows x %d columns (%.0f cells), median of %d runs\n", kRows, kColumns,
                cellCount, kRuns);
    std::printf("  libxlsxwriter alone   %8.1f ms  %6.2f us/cell  file %lld bytes\n", baselineMs,
                baselineMs * 1000 / cellCount, static_cast<long long>(baselineSize));
    std::printf("  through XlsWriteCell  %8.1f ms  %6.2f us/cell  file %lld bytes\n", wrapperMs,
                wrapperMs * 1000 / cellCount, static_cast<long long>(savedSize));
    std::printf("  ratio %.2fx (target <= 1.5x): %s; total under 2 s: %s\n", ratio,
                ratio <= 1.5 ? "met" : "NOT met", wrapperMs < 2000 ? "met" : "NOT met");
    return 0;
}
