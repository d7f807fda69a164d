// The four spreadsheet operations against the .xlsx files they really save, read back:
// texts, the "@" format, bold, column widths, the empty-text rule, the messages of bad
// sheets and positions, a folder that cannot be written, unique names, and the launcher.
#include "seams/clock.h"
#include "spreadsheet/launcher.h"
#include "spreadsheet/spreadsheet.h"
#include "spreadsheet/workbook.h"
#include "tests/support/full_disk.h"
#include "tests/support/recording_launcher.h"
#include "tests/support/recording_messages.h"
#include "tests/support/xlsx_reader.h"

#include <QtTest>

#include <unistd.h>

using namespace spreadsheet;

namespace {

const QString kOpenFailed = QStringLiteral("Ошибка открытия файла Microsoft Excel.");
const QString kBadSheetCaption = QStringLiteral("Ошибочный номер листа Microsoft Excel");
const QString kExcelErrorCaption = QStringLiteral("Ошибка Microsoft Excel");

// One write: XlsWriteCell, or XlsWriteCellEx with its three flags.
struct Write {
    int column;
    int row;
    QString text;
    bool ex = false;
    bool asText = false;
    bool autoFit = false;
    bool bold = false;
};
Write plain(int column, int row, const QString& text) {
    return {column, row, text};
}
Write ex(int column, int row, const QString& text, bool asText, bool autoFit, bool bold) {
    return {column, row, text, true, asText, autoFit, bold};
}

struct Expected {
    int column;
    int row;
    QString text;
    bool textFormat = false;
    bool bold = false;
};

// What an auto-fitted column is meant to get: characters x 1.1 + 1.
double widthOf(int characters) {
    return characters * 1.1 + 1;
}

using Writes = QList<Write>;
using Cells = QList<Expected>;
using Widths = QMap<int, double>;

int apply(Workbook& book, const Write& w) {
    return w.ex ? XlsWriteCellEx(book, 1, w.column, w.row, w.text, w.asText, w.autoFit, w.bold)
                : XlsWriteCell(book, 1, w.column, w.row, w.text);
}

QString writeError(int sheet, int column, int row) {
    return QStringLiteral("Ошибка при записи: лист %1, столбец %2, строка %3")
        .arg(sheet)
        .arg(column)
        .arg(row);
}

void writeScript(const QString& path, const QString& body) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(("#!/bin/sh\n" + body + "\n").toUtf8());
    file.close();
    QVERIFY(file.setPermissions(file.permissions() | QFileDevice::ExeOwner));
}

QString readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

Q_DECLARE_METATYPE(Writes)
Q_DECLARE_METATYPE(Cells)
Q_DECLARE_METATYPE(Widths)

class SpreadsheetTest : public QObject {
    Q_OBJECT

    QTemporaryDir root_;
    QString folder_;
    int folderCount_ = 0;
    RecordingMessages messages_;
    RecordingLauncher launcher_;

    // Shows the workbook and reads back the one file it saved.
    bool showAndRead(Workbook& book, XlsxReader& reader) {
        const qsizetype before = launcher_.opened.size();
        if (XlsSetVisible(book, true) != 1 || launcher_.opened.size() != before + 1)
            return false;
        if (!reader.load(launcher_.opened.last())) {
            qWarning() << reader.error();
            return false;
        }
        return true;
    }

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale::Russian);
        QVERIFY(root_.isValid());
    }

    // Every case saves into a folder of its own.
    void init() {
        messages_.clear();
        launcher_.opened.clear();
        folder_ = root_.filePath(QString::number(++folderCount_));
        QVERIFY(QDir().mkpath(folder_));
        setOutputFolder(folder_);
        seams::Clock::setFixedToday(QDate());
    }

    void cleanupTestCase() {
        setOutputFolder(QString());
        seams::Clock::setFixedToday(QDate());
    }

    void writesReadBack_data() {
        QTest::addColumn<Writes>("writes");
        QTest::addColumn<Cells>("cells");
        QTest::addColumn<Widths>("widths");

        QTest::newRow("plain texts, Cyrillic, untouched format")
            << Writes{plain(1, 1, "Наименование"), plain(2, 1, "Ёлка, ёж \"Ы\""),
                      plain(1, 2, "Готовая продукция")}
            << Cells{{1, 1, "Наименование"}, {2, 1, "Ёлка, ёж \"Ы\""}, {1, 2, "Готовая продукция"}}
            << Widths{};
        // Numbers in the workstation's form become numbers, as the spreadsheet application
        // makes them; everything else stays the text that was given: no date, no formula.
        QTest::newRow("numbers become numbers, other texts stay as written")
            << Writes{plain(1, 1, "0012"), plain(2, 1, "12,5"), plain(3, 1, "=SUM(A1:B1)"),
                      plain(4, 1, "01.02.2026"), plain(5, 1, "1E5")}
            << Cells{{1, 1, "12"},
                     {2, 1, "12,5"},
                     {3, 1, "=SUM(A1:B1)"},
                     {4, 1, "01.02.2026"},
                     {5, 1, "1E5"}}
            << Widths{};
        // A number is stored with the digits it was written with: 657,305 is no 16-digit
        // 657.3049999999999, the nearest binary value printed in full.
        QTest::newRow("numbers keep their digits")
            << Writes{plain(1, 1, "657,305"), plain(2, 1, "0,1"), plain(3, 1, "-12345678901,2345"),
                      plain(4, 1, "-0,5")}
            << Cells{{1, 1, "657,305"}, {2, 1, "0,1"}, {3, 1, "-12345678901,2345"}, {4, 1, "-0,5"}}
            << Widths{};
        QTest::newRow("blanks, tabs, line breaks and symbols kept")
            << Writes{plain(1, 1, "  отступ "), plain(2, 1, "a\tb"),
                      plain(3, 1, "строка1\nстрока2"), plain(4, 1, "<&>'"),
                      plain(5, 1, QString::fromUtf8("\xF0\x9F\x93\x8A знак"))}
            << Cells{{1, 1, "  отступ "},
                     {2, 1, "a\tb"},
                     {3, 1, "строка1\nстрока2"},
                     {4, 1, "<&>'"},
                     {5, 1, QString::fromUtf8("\xF0\x9F\x93\x8A знак")}}
            << Widths{};
        // Characters XML cannot carry as they are must still come back unchanged.
        QTest::newRow("control characters")
            << Writes{plain(1, 1, QStringLiteral("a\u0001b")), plain(2, 1, "windows\r\nline"),
                      plain(3, 1, "_x0041_")}
            << Cells{{1, 1, QStringLiteral("a\u0001b")},
                     {2, 1, "windows\r\nline"},
                     {3, 1, "_x0041_"}}
            << Widths{};
        QTest::newRow("a number-like text formatted as text stays text")
            << Writes{ex(1, 1, "0012", true, false, false), ex(2, 1, "12,5", true, false, false)}
            << Cells{{1, 1, "0012", true}, {2, 1, "12,5", true}} << Widths{};
        QTest::newRow("time-sheet heading: as text, auto-fit, bold")
            << Writes{ex(1, 1, "Январь 2026", true, true, true),
                      ex(1, 2, "Фамилия И.О.", true, true, true), ex(2, 2, "1", false, true, true),
                      ex(33, 2, "Итого", true, true, true)}
            << Cells{{1, 1, "Январь 2026", true, true},
                     {1, 2, "Фамилия И.О.", true, true},
                     {2, 2, "1", false, true},
                     {33, 2, "Итого", true, true}}
            << Widths{{1, widthOf(12)}, {2, widthOf(1)}, {33, widthOf(5)}};
        QTest::newRow("bold is set every time, also to false")
            << Writes{ex(1, 1, "жирно", false, false, true),
                      ex(1, 1, "обычно", false, false, false),
                      ex(2, 1, "обычно", false, false, false),
                      ex(2, 1, "жирно", false, false, true)}
            << Cells{{1, 1, "обычно", false, false}, {2, 1, "жирно", false, true}} << Widths{};
        QTest::newRow("\"@\" stays through later writes that do not ask for it")
            << Writes{ex(1, 1, "007", true, false, false), plain(1, 1, "008"),
                      ex(2, 1, "x", true, false, true), ex(2, 1, "y", false, false, true)}
            << Cells{{1, 1, "008", true, false}, {2, 1, "y", true, true}} << Widths{};
        QTest::newRow("plain write keeps bold of an earlier formatted write")
            << Writes{ex(1, 1, "старое", false, false, true), plain(1, 1, "новое")}
            << Cells{{1, 1, "новое", false, true}} << Widths{};
        // The widest text wins, wherever it is and whoever asked for the fit.
        QTest::newRow("width from the widest text of the column")
            << Writes{ex(1, 3, "Иванов И.И.", true, true, false),
                      ex(1, 4, "Константинопольский К.К.", true, true, false),
                      ex(1, 5, "Ли", true, true, false),
                      plain(2, 3, "без подгонки"),
                      ex(3, 3, "7", false, true, false),
                      plain(3, 4, "широкий текст без подгонки")}
            << Cells{{1, 3, "Иванов И.И.", true},
                     {1, 4, "Константинопольский К.К.", true},
                     {1, 5, "Ли", true},
                     {2, 3, "без подгонки"},
                     {3, 3, "7"},
                     {3, 4, "широкий текст без подгонки"}}
            << Widths{{1, widthOf(24)}, {3, widthOf(26)}};
        QTest::newRow("the longest line of a text with line breaks")
            << Writes{ex(1, 1, "коротко\nдлинная вторая строка", false, true, false)}
            << Cells{{1, 1, "коротко\nдлинная вторая строка"}} << Widths{{1, widthOf(21)}};
        QTest::newRow("a rewritten shorter text narrows the column")
            << Writes{ex(1, 1, "очень длинное название", false, true, false),
                      ex(1, 1, "коротко", false, true, false)}
            << Cells{{1, 1, "коротко"}} << Widths{{1, widthOf(7)}};
        QTest::newRow("width capped at 255")
            << Writes{ex(1, 1, QString(300, QChar(0x0448)), false, true, false)}
            << Cells{{1, 1, QString(300, QChar(0x0448))}} << Widths{{1, 255}};
        QTest::newRow("the far corner of the sheet")
            << Writes{plain(16384, 1048576, "край"), plain(1, 1048576, "низ"),
                      plain(16384, 1, "право")}
            << Cells{{16384, 1048576, "край"}, {1, 1048576, "низ"}, {16384, 1, "право"}}
            << Widths{};
        QTest::newRow("the longest text a cell holds")
            << Writes{plain(1, 1, QString(32767, QChar(0x044F)))}
            << Cells{{1, 1, QString(32767, QChar(0x044F))}} << Widths{};
    }

    void writesReadBack() {
        QFETCH(Writes, writes);
        QFETCH(Cells, cells);
        QFETCH(Widths, widths);

        Workbook book;
        QCOMPARE(XlsOpen(book, QString()), 1);
        for (const Write& w : writes)
            QCOMPARE(apply(book, w), 1);
        QCOMPARE(messages_.shown.size(), 0);

        XlsxReader reader;
        QVERIFY(showAndRead(book, reader));
        QCOMPARE(reader.sheetName(), QStringLiteral("Лист1"));
        for (const Expected& e : cells) {
            const auto cell = reader.cell(e.row, e.column);
            QVERIFY2(cell, qPrintable(QStringLiteral("no cell (%1, %2)").arg(e.column).arg(e.row)));
            QCOMPARE(cell->text, e.text);
            QCOMPARE(cell->textFormat, e.textFormat);
            QCOMPARE(cell->bold, e.bold);
        }
        QCOMPARE(reader.cells().size(), cells.size());

        // The file stores what the sheet shows, a fraction of a character wider.
        QCOMPARE(reader.columnWidths().keys(), widths.keys());
        for (auto it = widths.cbegin(); it != widths.cend(); ++it) {
            const double stored = reader.columnWidth(it.key());
            QVERIFY2(stored >= it.value() - 0.01 && stored < it.value() + 1,
                     qPrintable(QStringLiteral("column %1: %2, meant %3")
                                    .arg(it.key())
                                    .arg(stored)
                                    .arg(it.value())));
        }
    }

    // Nothing at all for an empty text: no value, no format, no width, no message, even for a
    // position that would be refused.
    void emptyTextWritesNothing() {
        Workbook book;
        QCOMPARE(XlsOpen(book, QString()), 1);
        QCOMPARE(XlsWriteCell(book, 1, 1, 1, "остаётся"), 1);
        QCOMPARE(XlsWriteCell(book, 1, 1, 1, QString()), 1);
        QCOMPARE(XlsWriteCellEx(book, 1, 1, 1, "", true, true, true), 1);
        QCOMPARE(XlsWriteCellEx(book, 1, 2, 2, "", true, true, true), 1);
        QCOMPARE(XlsWriteCell(book, 7, 0, 0, ""), 1);
        QCOMPARE(XlsWriteCellEx(book, 7, 0, 0, "", true, true, true), 1);
        QCOMPARE(messages_.shown.size(), 0);

        XlsxReader reader;
        QVERIFY(showAndRead(book, reader));
        QCOMPARE(reader.cells().size(), 1);
        const auto kept = reader.cell(1, 1);
        QVERIFY(kept);
        QCOMPARE(kept->text, QStringLiteral("остаётся"));
        QVERIFY(!kept->textFormat);
        QVERIFY(!kept->bold);
        QVERIFY(reader.columnWidths().isEmpty());
    }

    void refusedWrites_data() {
        QTest::addColumn<int>("sheet");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("caption");

        QTest::newRow("sheet 2") << 2 << 1 << 1 << kBadSheetCaption;
        QTest::newRow("sheet 0") << 0 << 3 << 4 << kBadSheetCaption;
        QTest::newRow("sheet -1") << -1 << 1 << 1 << kBadSheetCaption;
        QTest::newRow("bad sheet is named before a bad row") << 2 << 1 << 0 << kBadSheetCaption;
        QTest::newRow("row 0") << 1 << 1 << 0 << kExcelErrorCaption;
        QTest::newRow("column 0") << 1 << 0 << 5 << kExcelErrorCaption;
        QTest::newRow("negative row") << 1 << 2 << -3 << kExcelErrorCaption;
        QTest::newRow("row past the sheet") << 1 << 1 << 1048577 << kExcelErrorCaption;
        QTest::newRow("column past the sheet") << 1 << 16385 << 1 << kExcelErrorCaption;
        // Plain decimal in the message, no digit grouping of the Russian locale.
        QTest::newRow("large numbers") << 1 << 100000 << 2000000 << kExcelErrorCaption;
    }

    // Either operation: its message and caption, -1, and nothing written.
    void refusedWrites() {
        QFETCH(int, sheet);
        QFETCH(int, column);
        QFETCH(int, row);
        QFETCH(QString, caption);

        Workbook book;
        QCOMPARE(XlsOpen(book, QString()), 1);
        QCOMPARE(XlsWriteCell(book, sheet, column, row, "текст"), -1);
        QCOMPARE(XlsWriteCellEx(book, sheet, column, row, "текст", true, true, true), -1);
        QCOMPARE(messages_.shown.size(), 2);
        for (const auto& shown : messages_.shown) {
            QCOMPARE(shown.kind, RecordingMessages::Kind::Error);
            QCOMPARE(shown.text, writeError(sheet, column, row));
            QCOMPARE(shown.caption, caption);
        }
        QCOMPARE(book.cellCount(), 0);

        XlsxReader reader;
        QVERIFY(showAndRead(book, reader));
        QVERIFY(reader.cells().isEmpty());
        QVERIFY(reader.columnWidths().isEmpty());
    }

    // A text longer than a cell holds is refused, not cut; in the formatted write the "@"
    // that comes before the value has already been set.
    void tooLongTextIsRefused() {
        const QString tooLong(32768, QChar(0x0436));
        Workbook book;
        QCOMPARE(XlsOpen(book, QString()), 1);
        QCOMPARE(XlsWriteCell(book, 1, 1, 1, tooLong), -1);
        QCOMPARE(XlsWriteCellEx(book, 1, 2, 1, tooLong, true, true, true), -1);
        QCOMPARE(messages_.shown.size(), 2);
        QCOMPARE(messages_.shown[0].text, writeError(1, 1, 1));
        QCOMPARE(messages_.shown[0].caption, kExcelErrorCaption);
        QCOMPARE(messages_.shown[1].text, writeError(1, 2, 1));
        QCOMPARE(messages_.shown[1].caption, kExcelErrorCaption);

        XlsxReader reader;
        QVERIFY(showAndRead(book, reader));
        QVERIFY(reader.text(1, 1).isEmpty());
        const auto formatted = reader.cell(1, 2);
        QVERIFY(formatted);
        QVERIFY(formatted->text.isEmpty());
        QVERIFY(formatted->textFormat);
        QVERIFY(!formatted->bold);
        QVERIFY(reader.columnWidths().isEmpty());
    }

    // A handle that was never opened has no sheet; showing it saves nothing.
    void unopenedHandle() {
        Workbook book;
        QCOMPARE(XlsWriteCell(book, 1, 1, 1, "текст"), -1);
        QCOMPARE(messages_.shown.size(), 1);
        QCOMPARE(messages_.shown[0].caption, kBadSheetCaption);
        QCOMPARE(XlsSetVisible(book, true), 1);
        QVERIFY(launcher_.opened.isEmpty());
        QVERIFY(QDir(folder_).isEmpty());
    }

    void openFails_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<bool>("readOnly");

        QTest::newRow("folder missing") << "нет такой папки" << QString() << false;
        QTest::newRow("a file where the folder should be") << "файл" << QString() << false;
        QTest::newRow("file name in a missing folder") << ""
                                                       << "нет/Отчёт.xlsx" << false;
        QTest::newRow("read-only folder") << "только чтение" << QString() << true;
    }

    // The message, -1, and a handle without a workbook: writes are refused and a show
    // saves nothing.
    void openFails() {
        QFETCH(QString, folder);
        QFETCH(QString, fileName);
        QFETCH(bool, readOnly);

        if (readOnly && geteuid() == 0)
            QSKIP("root writes into a read-only folder");
        QFile blocker(QDir(folder_).filePath("файл"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString target = QDir(folder_).filePath(folder);
        if (readOnly) {
            QVERIFY(QDir().mkpath(target));
            QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        }

        Workbook book;
        QCOMPARE(XlsOpen(book, QString()), 1); // an earlier workbook does not survive
        QCOMPARE(XlsWriteCell(book, 1, 1, 1, "прежнее"), 1);
        setOutputFolder(target);
        QCOMPARE(XlsOpen(book, fileName), -1);
        QCOMPARE(messages_.shown.size(), 1);
        QCOMPARE(messages_.shown[0].kind, RecordingMessages::Kind::Error);
        QCOMPARE(messages_.shown[0].text, kOpenFailed);
        QCOMPARE(messages_.shown[0].caption, QStringLiteral("Ошибка"));

        QCOMPARE(XlsWriteCell(book, 1, 1, 2, "текст"), -1);
        QCOMPARE(messages_.shown.last().caption, kBadSheetCaption);
        QCOMPARE(XlsSetVisible(book, true), 1);
        QVERIFY(launcher_.opened.isEmpty());
        if (readOnly)
            QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner);
    }

    // What the two handles hold is their own; opening one does not clear the other.
    void handlesAreIndependent() {
        QCOMPARE(XlsOpen(reportsHandle(), QString()), 1);
        QCOMPARE(XlsOpen(timesheetHandle(), QString()), 1);
        QVERIFY(&reportsHandle() != &timesheetHandle());
        QCOMPARE(XlsWriteCell(reportsHandle(), 1, 1, 1, "Марка"), 1);
        QCOMPARE(XlsWriteCellEx(timesheetHandle(), 1, 1, 1, "Январь 2026", true, true, true), 1);
        QCOMPARE(XlsWriteCell(timesheetHandle(), 1, 2, 2, "8"), 1);
        QCOMPARE(XlsOpen(reportsHandle(), QString()), 1);
        QCOMPARE(XlsWriteCell(reportsHandle(), 1, 1, 1, "Наименование"), 1);

        XlsxReader reports, timesheet;
        QVERIFY(showAndRead(timesheetHandle(), timesheet));
        QVERIFY(showAndRead(reportsHandle(), reports));
        QCOMPARE(reports.cells().size(), 1);
        QCOMPARE(reports.text(1, 1), QStringLiteral("Наименование"));
        QVERIFY(!reports.cell(1, 1)->bold);
        QVERIFY(reports.columnWidths().isEmpty());
        QCOMPARE(timesheet.cells().size(), 2);
        QCOMPARE(timesheet.text(1, 1), QStringLiteral("Январь 2026"));
        QVERIFY(timesheet.cell(1, 1)->bold);
        QCOMPARE(timesheet.text(2, 2), QStringLiteral("8"));
        QCOMPARE(timesheet.columnWidths().keys(), QList<int>{1});
    }

    // Every show is a new file with a clear name; nothing earlier is overwritten, and what
    // was written after a show is in the next one.
    void showsSaveNewFiles() {
        seams::Clock::setFixedToday(QDate(2026, 12, 9));
        Workbook book;
        QCOMPARE(XlsOpen(book, QString()), 1);
        QCOMPARE(XlsWriteCell(book, 1, 1, 1, "первая"), 1);
        QCOMPARE(XlsSetVisible(book, true), 1);
        QCOMPARE(XlsWriteCell(book, 1, 1, 2, "вторая"), 1);
        QCOMPARE(XlsSetVisible(book, true), 1);
        QCOMPARE(XlsSetVisible(book, true), 1);
        QCOMPARE(messages_.shown.size(), 0);

        QCOMPARE(launcher_.opened.size(), 3);
        QCOMPARE(QSet<QString>(launcher_.opened.cbegin(), launcher_.opened.cend()).size(), 3);
        static const QRegularExpression name(
            QStringLiteral("^Выгрузка 2026-12-09 \\d\\d-\\d\\d-\\d\\d( \\(\\d+\\))?\\.xlsx$"));
        for (const QString& path : launcher_.opened) {
            QCOMPARE(QFileInfo(path).absolutePath(), QFileInfo(folder_).absoluteFilePath());
            QVERIFY2(name.match(QFileInfo(path).fileName()).hasMatch(), qPrintable(path));
        }
        XlsxReader first, second, third;
        QVERIFY(first.load(launcher_.opened[0]));
        QVERIFY(second.load(launcher_.opened[1]));
        QVERIFY(third.load(launcher_.opened[2]));
        QCOMPARE(first.cells().size(), 1);
        QCOMPARE(second.cells().size(), 2);
        QCOMPARE(second.text(2, 1), QStringLiteral("вторая"));
        QCOMPARE(third.toCsv(), second.toCsv());
    }

    // Two shows within one second: the second file gets " (2)".
    void showsInOneSecond() {
        Workbook book;
        QCOMPARE(XlsOpen(book, QString()), 1);
        QCOMPARE(XlsWriteCell(book, 1, 1, 1, "x"), 1);
        // Repeat until both shows fall into the same second (almost always the first time).
        for (int attempt = 0; attempt < 5; ++attempt) {
            launcher_.opened.clear();
            QCOMPARE(XlsSetVisible(book, true), 1);
            QCOMPARE(XlsSetVisible(book, true), 1);
            QCOMPARE(launcher_.opened.size(), 2);
            const QString first = launcher_.opened[0];
            if (launcher_.opened[1] == first.chopped(5) + " (2).xlsx") {
                QVERIFY(QFileInfo::exists(first));
                QVERIFY(QFileInfo::exists(launcher_.opened[1]));
                return;
            }
        }
        QFAIL("no two shows fell into one second");
    }

    // A name given to XlsOpen is where it is saved; a file already there is kept.
    void givenNameNeverOverwrites() {
        const QString existing = QDir(folder_).filePath("Отчёт.xlsx");
        QFile old(existing);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("не трогать");
        old.close();

        Workbook book;
        QCOMPARE(XlsOpen(book, "Отчёт.xlsx"), 1);
        QCOMPARE(XlsWriteCell(book, 1, 1, 1, "новое"), 1);
        QCOMPARE(XlsSetVisible(book, true), 1);
        QCOMPARE(XlsSetVisible(book, true), 1);
        QCOMPARE(launcher_.opened, QStringList({QDir(folder_).filePath("Отчёт (2).xlsx"),
                                                QDir(folder_).filePath("Отчёт (3).xlsx")}));
        QCOMPARE(readAll(existing), QStringLiteral("не трогать"));
        XlsxReader reader;
        QVERIFY(reader.load(launcher_.opened[0]));
        QCOMPARE(reader.text(1, 1), QStringLiteral("новое"));
    }

    // A disk that fills up while the workbook is saved: the message names the file, nothing
    // is left under any name, the cells stay for the next show.
    void aFullDiskLeavesNoWorkbook() {
        FullDisk disk(QDir(folder_).filePath("disk"), 4096);
        setOutputFolder(disk.folder());
        Workbook book;
        QCOMPARE(XlsOpen(book, "Табель 11.2026.xlsx"), 1);
        // texts that do not pack into a few kilobytes
        for (int row = 1; row <= 400; ++row)
            QCOMPARE(
                XlsWriteCell(book, 1, 1, row,
                             QString("строка %1 с текстом %2").arg(row).arg(row * 7919 % 10007)),
                1);
        {
            const auto full = disk.whileFull();
            QCOMPARE(XlsSetVisible(book, true), 1);
        }
        QVERIFY(launcher_.opened.isEmpty());
        QCOMPARE(messages_.shown.size(), 1);
        QCOMPARE(messages_.shown[0].caption, QStringLiteral("Ошибка"));
        QVERIFY2(messages_.shown[0].text.contains(
                     "«" + QDir(disk.folder()).filePath("Табель 11.2026.xlsx") + "»"),
                 qPrintable(messages_.shown[0].text));
        QVERIFY(!messages_.shown[0].detail.contains("[ERROR]"));
        QCOMPARE(QDir(disk.folder()).entryList(QDir::Files | QDir::Hidden), QStringList());
        setOutputFolder(folder_);
        XlsxReader reader;
        QVERIFY(showAndRead(book, reader));
        QCOMPARE(reader.text(400, 1), QStringLiteral("строка 400 с текстом 5388"));
    }

    // A save that fails says so and keeps the cells; the next show saves them.
    void failedSaveLosesNothing() {
        const QString sub = QDir(folder_).filePath("выгрузки");
        QVERIFY(QDir().mkpath(sub));
        setOutputFolder(sub);
        Workbook book;
        QCOMPARE(XlsOpen(book, QString()), 1);
        QCOMPARE(XlsWriteCellEx(book, 1, 1, 1, "Итого", true, true, true), 1);
        QVERIFY(QDir(sub).removeRecursively());

        QCOMPARE(XlsSetVisible(book, true), 1);
        QVERIFY(launcher_.opened.isEmpty());
        QCOMPARE(messages_.shown.size(), 1);
        QCOMPARE(messages_.shown[0].kind, RecordingMessages::Kind::Error);
        QCOMPARE(messages_.shown[0].caption, QStringLiteral("Ошибка"));
        QVERIFY2(messages_.shown[0].text.startsWith("Папки «" + QDir::toNativeSeparators(sub)),
                 qPrintable(messages_.shown[0].text));

        QVERIFY(QDir().mkpath(sub));
        XlsxReader reader;
        QVERIFY(showAndRead(book, reader));
        QCOMPARE(reader.text(1, 1), QStringLiteral("Итого"));
        QVERIFY(reader.cell(1, 1)->bold);
    }

    void hidingDoesNothing() {
        Workbook book;
        QCOMPARE(XlsOpen(book, QString()), 1);
        QCOMPARE(XlsWriteCell(book, 1, 1, 1, "x"), 1);
        QCOMPARE(XlsSetVisible(book, false), 1);
        QVERIFY(launcher_.opened.isEmpty());
        QVERIFY(QDir(folder_).isEmpty());
        QCOMPARE(messages_.shown.size(), 0);
    }

    void desktopLauncher_data() {
        QTest::addColumn<QString>("mimeQuery"); // script body; empty: no such program
        QTest::addColumn<bool>("openerExists");
        QTest::addColumn<bool>("opened");

        QTest::newRow("default application") << "echo libreoffice-calc.desktop" << true << true;
        QTest::newRow("no default application") << "exit 0" << true << false;
        QTest::newRow("blank answer") << "echo '   '" << true << false;
        QTest::newRow("query fails") << "echo x.desktop; exit 3" << true << false;
        QTest::newRow("no xdg-mime") << "" << true << false;
        QTest::newRow("no xdg-open") << "echo libreoffice-calc.desktop" << false << false;
    }

    // The desktop launcher with stand-in xdg-mime and xdg-open: the opener gets the saved
    // path; otherwise the user is told where the workbook is.
    void desktopLauncher() {
        QFETCH(QString, mimeQuery);
        QFETCH(bool, openerExists);
        QFETCH(bool, opened);

        const QDir dir(folder_);
        const QString mimeProgram = dir.filePath("xdg-mime");
        const QString openerProgram = dir.filePath("xdg-open");
        const QString queryLog = dir.filePath("query.log");
        const QString openLog = dir.filePath("open.log");
        if (!mimeQuery.isEmpty())
            writeScript(mimeProgram,
                        QStringLiteral("echo \"$@\" > '%1'\n%2").arg(queryLog, mimeQuery));
        if (openerExists)
            writeScript(openerProgram,
                        QStringLiteral("echo \"$1\" > '%1.tmp' && mv '%1.tmp' '%1'").arg(openLog));

        const QString saved = dir.filePath("Выгрузка 2026-12-09 14-05-33.xlsx");
        DesktopLauncher launcher(mimeProgram, openerProgram);
        launcher.open(saved);

        if (!mimeQuery.isEmpty())
            QCOMPARE(readAll(queryLog).trimmed(), "query default " + kXlsxMimeType);
        if (opened) {
            QCOMPARE(messages_.shown.size(), 0);
            QTRY_VERIFY(QFileInfo::exists(openLog));
            QCOMPARE(readAll(openLog).trimmed(), saved);
        } else {
            QCOMPARE(messages_.shown.size(), 1);
            QCOMPARE(messages_.shown[0].kind, RecordingMessages::Kind::Information);
            QCOMPARE(messages_.shown[0].text,
                     "Книга сохранена: " + saved + "\nНет программы для её открытия.");
            QCOMPARE(messages_.shown[0].caption, kSavedWorkbookCaption);
            QTest::qWait(100);
            QVERIFY(!QFileInfo::exists(openLog));
        }
    }

    // An export as the operations list writes it, read back as CSV (also left in the test
    // output folder to look at).
    void exportAsCsv() {
        Workbook book;
        QCOMPARE(XlsOpen(book, QString()), 1);
        const QStringList heading{"Марка", "Операция", "Цена", "Вид"};
        for (int c = 0; c < heading.size(); ++c)
            XlsWriteCell(book, 1, c + 1, 1, heading[c]);
        const QList<QStringList> rows{{"КМ-101", "Сварка (грунт)", "12,5", "Готовая продукция"},
                                      {"", "Покраска, \"RAL 7035\"", "0,75", "Заготовки"}};
        for (int r = 0; r < rows.size(); ++r)
            for (int c = 0; c < rows[r].size(); ++c)
                XlsWriteCell(book, 1, c + 1, r + 2, rows[r][c]);

        XlsxReader reader;
        QVERIFY(showAndRead(book, reader));
        const QString csv = reader.toCsv();
        QCOMPARE(csv, QStringLiteral("Марка,Операция,Цена,Вид\n"
                                     "КМ-101,Сварка (грунт),\"12,5\",Готовая продукция\n"
                                     ",\"Покраска, \"\"RAL 7035\"\"\",\"0,75\",Заготовки\n"));
        const QString out = qEnvironmentVariable("TEST_OUTPUT_DIR");
        if (!out.isEmpty() && QDir().mkpath(out)) {
            QFile::remove(QDir(out).filePath("operations_export.xlsx"));
            QFile::copy(launcher_.opened.last(), QDir(out).filePath("operations_export.xlsx"));
            QFile file(QDir(out).filePath("operations_export.csv"));
            if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
                file.write(csv.toUtf8());
        }
    }
};

QTEST_MAIN(SpreadsheetTest)
#include "spreadsheet_test.moc"
