// norv_report on a small fixture: each printed report, the production spreadsheet and the
// time-sheet (PDF and spreadsheet) written from the command line and read back, equal to what
// the windows' code writes for the same period; and each bad request with its message and
// exit code, no file left behind and an earlier file under the name kept as it was.
#include "data/connection.h"
#include "data/dataset.h"
#include "data/schema_version.h"
#include "reports/production_reports.h"
#include "reports/production_spreadsheet.h"
#include "spreadsheet/spreadsheet.h"
#include "tests/support/full_disk.h"
#include "tests/support/pdf_tools.h"
#include "tests/support/recording_launcher.h"
#include "tests/support/recording_messages.h"
#include "tests/support/test_database.h"
#include "tests/support/xlsx_reader.h"
#include "timesheet/printed_timesheet.h"
#include "timesheet/timesheet_spreadsheet.h"

#include <QtTest>

#include <csignal>
#include <functional>
#include <memory>

#include <sys/stat.h>

namespace {

struct Outcome {
    int code = -1;
    QString err;
    QByteArray out;
};

const QStringList kFebruary{"--from", "01.02.2026", "--to", "01.03.2026"};

unsigned modeOf(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

QString sheetCsv(const QString& path) {
    XlsxReader reader;
    return reader.load(path) ? reader.toCsv() : "not a workbook: " + reader.error();
}

} // namespace

class ReportCliTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void printedReportsEqualTheWindows_data();
    void printedReportsEqualTheWindows();
    void spreadsheetsEqualTheWindows_data();
    void spreadsheetsEqualTheWindows();
    void timesheetPdfEqualsTheWindows();
    void badRequests_data();
    void badRequests();
    void help();
    void aDatabaseOfAnotherVersionIsRefused_data();
    void aDatabaseOfAnotherVersionIsRefused();
    void version();
    void aFailedWriteKeepsTheOldFile_data();
    void aFailedWriteKeepsTheOldFile();
    void aSignalLeavesNoFile_data();
    void aSignalLeavesNoFile();
    void filesAsUsersExpect();
    void aServerErrorIsToldInRussian();

private:
    Outcome run(const QStringList& arguments, const QString& password = "sysdemo",
                const TestDatabase* db = nullptr, const std::function<void(QProcess&)>& setUp = {});

    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<RecordingMessages> messages_;
    std::unique_ptr<RecordingLauncher> launcher_;
    data::Connection connection_;
    QTemporaryDir folder_;
};

void ReportCliTest::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    db_ = std::make_unique<TestDatabase>("cli");
    messages_ = std::make_unique<RecordingMessages>();
    launcher_ = std::make_unique<RecordingLauncher>();
    // the windows' workbooks apart from the files the command line writes
    QDir().mkpath(folder_.filePath("window"));
    spreadsheet::setOutputFolder(folder_.filePath("window"));
    db_->exec(R"(
        insert into cmn_contractor.person(s_code, s_caption) values
            ('101', 'Иванов И.И.'), ('102', 'Петров П.П.');
        insert into accounts_dep.izdel(id, marka, nom, massa) values
            (1, 'КМ-1', 'Шкаф', 2.5), (2, 'КМ-2', 'Стеллаж', 1.25);
        insert into accounts_dep.vid_oper(id, vid) values (1, 'Сварка'), (2, 'Покраска');
        insert into accounts_dep.oper(id, i_id, vid, naimen) values
            (1, 1, 1, 0), (2, 1, 2, 1), (3, 2, 1, 0);
        insert into mnf_doc.doc(id, s_number, d_date) values (7000001, 'З-1', '2026-02-01');
        insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, cena, kol_vo, brak, color,
                                       prize, time, id_doc) values
            ('2026-02-02', 1, 101, 1, 1, 10.5, 10, 1, 0, 10, 8, 7000001),
            ('2026-02-10', 2, 101, 1, 2, 2.25, 4, 0, 1, 0, 3, 7000001),
            ('2026-02-15', 1, 102, 2, 3, 3.125, 8, 0, 7035, 20, 9, 0);
        insert into accounts_dep.h_tabel(w_id, smena, month, year, d2, d10, d15) values
            (101, 1, 2, 2026, 8, 0, 0), (101, 2, 2, 2026, 0, 3, 0), (102, 1, 2, 2026, 0, 0, 9);
    )");
    connection_.setConnectionString(db_->connectionString());
    connection_.open();
}

Outcome ReportCliTest::run(const QStringList& arguments, const QString& password,
                           const TestDatabase* db, const std::function<void(QProcess&)>& setUp) {
    if (!db)
        db = db_.get();
    QProcess p;
    if (setUp)
        setUp(p);
    p.start(QStringLiteral(NORV_REPORT_PROGRAM),
            QStringList{db->socketDir(), db->name(), "sys"} + arguments);
    p.write((password + "\n").toUtf8());
    p.closeWriteChannel();
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2,
            QString::fromUtf8(p.readAllStandardError()), p.readAllStandardOutput()};
}

void ReportCliTest::printedReportsEqualTheWindows_data() {
    QTest::addColumn<QString>("report");
    QTest::addColumn<QString>("kind");
    QTest::newRow("workers") << "workers"
                             << "all";
    QTest::newRow("products, finished only") << "products"
                                             << "finished";
    QTest::newRow("workers-detail") << "workers-detail"
                                    << "all";
    QTest::newRow("products-detail, blanks") << "products-detail"
                                             << "blanks";
    QTest::newRow("requisitions") << "requisitions"
                                  << "all";
}

void ReportCliTest::printedReportsEqualTheWindows() {
    QFETCH(QString, report);
    QFETCH(QString, kind);
    const QString cli = folder_.filePath(report + ".pdf");
    const Outcome o =
        run({report, "--from", "01.02.2026", "--to", "01.03.2026", "--kind", kind, "--pdf", cli});
    QVERIFY2(o.code == 0, qPrintable(o.err));
    QVERIFY(o.err.isEmpty()); // nothing to say when all went well and no one watches
    const reports::Selection selection{QDate(2026, 2, 1), QDate(2026, 3, 1),
                                       kind == "all"        ? reports::ProductKind::All
                                       : kind == "finished" ? reports::ProductKind::Finished
                                                            : reports::ProductKind::Blanks};
    const QString window = folder_.filePath(report + "_window.pdf");
    if (report == "workers")
        WorkersReport(connection_).writePdf(selection, window);
    else if (report == "products")
        ProductsReport(connection_).writePdf(selection, window);
    else if (report == "workers-detail")
        WorkerDetailsReport(connection_).writePdf(selection, window);
    else if (report == "products-detail")
        ProductDetailsReport(connection_).writePdf(selection, window);
    else
        RequisitionsReport(connection_).writePdf(selection, window);
    const QString text = pdfText(cli);
    QVERIFY(text.contains("01.02.2026 по 01.03.2026"));
    QVERIFY(text.contains("Итого:"));
    QCOMPARE(text, pdfText(window));
    QCOMPARE(QDir(folder_.path()).entryList({".norv-report-*"}, QDir::Files | QDir::Hidden),
             QStringList());
}

void ReportCliTest::spreadsheetsEqualTheWindows_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("production") << QStringList{"production", "--from", "01.02.2026", "--to",
                                               "01.03.2026", "--kind", "finished"};
    QTest::newRow("timesheet") << QStringList{"timesheet", "--month", "2", "--year", "2026"};
}

void ReportCliTest::spreadsheetsEqualTheWindows() {
    QFETCH(QStringList, arguments);
    const QString cli = folder_.filePath(arguments[0] + ".xlsx");
    const Outcome o = run(arguments + QStringList{"--xlsx", cli});
    QVERIFY2(o.code == 0, qPrintable(o.err));
    launcher_->opened.clear();
    if (arguments[0] == "production") {
        data::Dataset query(&connection_);
        query.setSql(reports::productionSpreadsheetSql());
        QVERIFY(reports::writeProductionSpreadsheet(
            query, {QDate(2026, 2, 1), QDate(2026, 3, 1), reports::ProductKind::Finished},
            spreadsheet::reportsHandle()));
        spreadsheet::XlsSetVisible(spreadsheet::reportsHandle(), true);
    } else {
        PrintedTimesheet printed(connection_);
        QVERIFY(timesheet::writeMonthSpreadsheet(printed.monthRows(), 2, 2026, "Февраль 2026",
                                                 spreadsheet::timesheetHandle()));
        spreadsheet::XlsSetVisible(spreadsheet::timesheetHandle(), true);
    }
    QCOMPARE(launcher_->opened.size(), 1);
    const QString csv = sheetCsv(cli);
    QVERIFY2(csv.contains(arguments[0] == "production" ? "Шкаф" : "Иванов И.И."), qPrintable(csv));
    QCOMPARE(csv, sheetCsv(launcher_->opened.first()));
}

void ReportCliTest::timesheetPdfEqualsTheWindows() {
    const QString cli = folder_.filePath("timesheet.pdf");
    const Outcome o = run({"timesheet", "--month", "2", "--year", "2026", "--pdf", cli});
    QVERIFY2(o.code == 0, qPrintable(o.err));
    const QString window = folder_.filePath("timesheet_window.pdf");
    PrintedTimesheet(connection_).writePdf(2, 2026, "Февраль 2026 г.", window);
    QVERIFY(pdfText(cli).contains("Февраль 2026 г."));
    QCOMPARE(pdfText(cli), pdfText(window));
}

void ReportCliTest::badRequests_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    const QStringList period{"--from", "01.02.2026", "--to", "01.03.2026"};
    QTest::newRow("a bad date") << QStringList{"workers",    "--from", "31.02.2026", "--to",
                                               "01.03.2026", "--pdf",  "OUT"}
                                << "sysdemo" << 1 << "неверная дата «31.02.2026»";
    QTest::newRow("a date in another form")
        << QStringList{"workers", "--from", "2026-02-01", "--to", "01.03.2026", "--pdf", "OUT"}
        << "sysdemo" << 1 << "нужно ДД.ММ.ГГГГ";
    QTest::newRow("the end before the start")
        << QStringList{"workers", "--from", "01.03.2026", "--to", "01.02.2026", "--pdf", "OUT"}
        << "sysdemo" << 1 << "раньше его начала";
    QTest::newRow("an unknown report")
        << (QStringList{"salaries"} + period + QStringList{"--pdf", "OUT"}) << "sysdemo" << 1
        << "неизвестный отчёт «salaries»";
    QTest::newRow("a report into a spreadsheet")
        << (QStringList{"workers"} + period + QStringList{"--xlsx", "OUT"}) << "sysdemo" << 1
        << "нужен --pdf";
    QTest::newRow("a month that is none")
        << QStringList{"timesheet", "--month", "13", "--year", "2026", "--pdf", "OUT"} << "sysdemo"
        << 1 << "--month";
    QTest::newRow("a failed login")
        << (QStringList{"workers"} + period + QStringList{"--pdf", "OUT"}) << "wrong" << 2
        << "вход не удался";
    QTest::newRow("an unwritable file")
        << (QStringList{"production"} + period + QStringList{"--xlsx", "/nonexistent/out.xlsx"})
        << "sysdemo" << 3 << "Папки «/nonexistent» нет";
    QTest::newRow("a folder as the file")
        << (QStringList{"workers"} + period + QStringList{"--pdf", "FOLDER"}) << "sysdemo" << 3
        << "это папка";
}

void ReportCliTest::badRequests() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, password);
    QFETCH(int, code);
    QFETCH(QString, message);
    // an earlier file under the name stays as it was
    const QString out = folder_.filePath("earlier.out");
    QFile earlier(out);
    QVERIFY(earlier.open(QIODevice::WriteOnly | QIODevice::Truncate));
    earlier.write("earlier");
    earlier.close();
    arguments.replaceInStrings(QRegularExpression("^OUT$"), out);
    arguments.replaceInStrings(QRegularExpression("^FOLDER$"), folder_.path());
    const Outcome o = run(arguments, password);
    QCOMPARE(o.code, code);
    QVERIFY2(o.err.contains(message), qPrintable(o.err));
    QVERIFY(o.err.startsWith("norv_report: "));
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    QCOMPARE(earlier.readAll(), QByteArray("earlier"));
    earlier.close();
    QCOMPARE(QDir(folder_.path()).entryList({".*.??????", "Выгрузка*"}, QDir::Files | QDir::Hidden),
             QStringList());
}

void ReportCliTest::help() {
    QProcess p;
    p.start(QStringLiteral(NORV_REPORT_PROGRAM), {"--help"});
    p.waitForFinished();
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    QCOMPARE(p.exitCode(), 0);
    for (const char* word :
         {"workers", "products", "workers-detail", "products-detail", "requisitions", "production",
          "timesheet", "--password-file", "--kind", "Коды выхода"})
        QVERIFY2(text.contains(QString::fromUtf8(word)), word);
}

// A database older or newer than the program: the login fails with the reason, nothing is
// written.
void ReportCliTest::aDatabaseOfAnotherVersionIsRefused_data() {
    QTest::addColumn<int>("version");
    QTest::addColumn<QString>("message");
    const int program = data::programSchemaVersion();
    QTest::newRow("older") << program - 1
                           << QString("norv_report: База данных версии %1, программе нужна версия "
                                      "%2. Обратитесь к администратору (norv_admin upgrade).\n")
                                  .arg(program - 1)
                                  .arg(program);
    QTest::newRow("newer") << program + 1
                           << QString("norv_report: Программа старше базы данных: обновите "
                                      "программу на рабочем месте.\n");
}

void ReportCliTest::aDatabaseOfAnotherVersionIsRefused() {
    QFETCH(int, version);
    QFETCH(QString, message);
    TestDatabase other("cli_version");
    other.exec(
        QString("delete from accounts_dep.schema_version;"
                "insert into accounts_dep.schema_version(version, description) values (%1, '')")
            .arg(version));
    const QString out = folder_.filePath("versions.pdf");
    const Outcome o = run({"workers", "--from", "01.02.2026", "--to", "01.03.2026", "--pdf", out},
                          "sysdemo", &other);
    QCOMPARE(o.code, 2);
    QCOMPARE(o.err, message);
    QVERIFY(!QFile::exists(out));
    QCOMPARE(QDir(folder_.path()).entryList({".norv-report-*"}, QDir::Files | QDir::Hidden),
             QStringList());
}

// the version the package and the login's caption show
void ReportCliTest::version() {
    QProcess p;
    p.start(QStringLiteral(NORV_REPORT_PROGRAM), {"--version"});
    p.waitForFinished();
    QCOMPARE(p.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()),
             QString("norv_report %1\n").arg(NORV_VERSION));
}

// A disk that fills up half-way: exit code 3, a Russian line naming the file and the system's
// words under it, the earlier file as it was and nothing else left.
void ReportCliTest::aFailedWriteKeepsTheOldFile_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("room"); // less than the file needs
    QTest::newRow("a PDF") << (QStringList{"workers"} + kFebruary + QStringList{"--pdf"})
                           << "отчёт.pdf" << 4096;
    QTest::newRow("a workbook") << (QStringList{"production"} + kFebruary + QStringList{"--xlsx"})
                                << "выпуск.xlsx" << 1024;
}

void ReportCliTest::aFailedWriteKeepsTheOldFile() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, file);
    QFETCH(int, room);
    FullDisk disk(folder_.filePath("disk"), room);
    const QString out = disk.filePath(file);
    QFile earlier(out);
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier");
    earlier.close();
    const Outcome o = run(arguments + QStringList{out}, "sysdemo", nullptr,
                          [&](QProcess& p) { disk.applyTo(p); });
    QCOMPARE(o.code, 3);
    const QStringList lines = o.err.trimmed().split('\n');
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines[0].startsWith("norv_report: ") && lines[0].contains("«" + out + "»") &&
                 lines[0].contains("не записан"),
             qPrintable(o.err));
    QVERIFY2(lines[1].startsWith("norv_report: (") && !lines[1].contains("[ERROR]"),
             qPrintable(o.err));
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    QCOMPARE(earlier.readAll(), QByteArray("earlier"));
    earlier.close();
    QCOMPARE(QDir(disk.folder()).entryList(QDir::Files | QDir::Hidden), QStringList{file});
}

// SIGINT or SIGTERM while the report is read: the temporary file goes and the program ends
// as the signal ends it (the shell says 130 or 143).
void ReportCliTest::aSignalLeavesNoFile_data() {
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGTERM") << int(SIGTERM);
}

void ReportCliTest::aSignalLeavesNoFile() {
    QFETCH(int, signal);
    const QString folder = folder_.filePath(QString("signal-%1").arg(signal));
    QVERIFY(QDir().mkpath(folder));
    // the report's statement waits on this lock, so it is surely read when the signal comes
    OpenConnection locker(db_->connectionString());
    readScalar(locker, "begin");
    readScalar(locker, "lock table accounts_dep.smena in access exclusive mode");
    QProcess p;
    p.start(QStringLiteral(NORV_REPORT_PROGRAM),
            QStringList{db_->socketDir(), db_->name(), "sys", "workers"} + kFebruary +
                QStringList{"--pdf", QDir(folder).filePath("отчёт.pdf")});
    p.write("sysdemo\n");
    p.closeWriteChannel();
    QTRY_VERIFY_WITH_TIMEOUT(!QDir(folder).entryList(QDir::Files | QDir::Hidden).isEmpty(), 8000);
    ::kill(pid_t(p.processId()), signal);
    QVERIFY(p.waitForFinished(10000));
    readScalar(locker, "rollback");
    QCOMPARE(p.exitStatus(), QProcess::CrashExit);
    QCOMPARE(p.exitCode(), signal);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList());
}

// New files follow the umask, a replaced file keeps its mode, a link writes to its target and
// /dev/stdout is written through.
void ReportCliTest::filesAsUsersExpect() {
    const QString folder = folder_.filePath("modes");
    QVERIFY(QDir().mkpath(folder));
    const QStringList workers = QStringList{"workers"} + kFebruary + QStringList{"--pdf"};
    const auto umask027 = [](QProcess& p) { p.setChildProcessModifier([] { ::umask(027); }); };

    const QString fresh = QDir(folder).filePath("new.pdf");
    Outcome o = run(workers + QStringList{fresh}, "sysdemo", nullptr, umask027);
    QVERIFY2(o.code == 0, qPrintable(o.err));
    QCOMPARE(modeOf(fresh), 0640u);

    QVERIFY(QFile::setPermissions(fresh, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                             QFileDevice::ReadOther));
    o = run(workers + QStringList{fresh}, "sysdemo", nullptr, umask027);
    QVERIFY2(o.code == 0, qPrintable(o.err));
    QCOMPARE(modeOf(fresh), 0604u);

    const QString link = QDir(folder).filePath("latest.pdf");
    QVERIFY(QFile::link("new.pdf", link));
    QVERIFY(QFile::remove(fresh));
    o = run(workers + QStringList{link});
    QVERIFY2(o.code == 0, qPrintable(o.err));
    QVERIFY(QFileInfo(link).isSymLink());
    QVERIFY(pdfText(fresh).contains("Отчет по рабочим"));

    o = run(workers + QStringList{"/dev/stdout"});
    QVERIFY2(o.code == 0, qPrintable(o.err));
    QVERIFY(o.out.startsWith("%PDF-"));
    QVERIFY(o.out.trimmed().endsWith("%%EOF"));
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden),
             QStringList({"latest.pdf", "new.pdf"}));
}

// A statement the server refuses while the report is read: one Russian line, the server's
// words under it, exit code 4.
void ReportCliTest::aServerErrorIsToldInRussian() {
    TestDatabase broken("cli_broken");
    // a person whose code is no number, beside one whose code is
    broken.exec(R"(
        insert into cmn_contractor.person(s_code, s_caption) values
            ('X-17', 'Сидоров С.С.'), ('101', 'Иванов И.И.');
        insert into accounts_dep.izdel(id, marka, nom, massa) values (1, 'КМ-1', 'Шкаф', 2.5);
        insert into accounts_dep.vid_oper(id, vid) values (1, 'Сварка');
        insert into accounts_dep.oper(id, i_id, vid, naimen) values (1, 1, 1, 0);
        insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time)
            values ('2026-02-02', 1, 101, 1, 1, 1, 1, 0, 1);
    )");
    const QString out = folder_.filePath("broken.pdf");
    const Outcome o =
        run(QStringList{"workers"} + kFebruary + QStringList{"--pdf", out}, "sysdemo", &broken);
    QCOMPARE(o.code, 4);
    const QStringList lines = o.err.trimmed().split('\n');
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines[0].startsWith("norv_report: база данных отказала"), qPrintable(o.err));
    QVERIFY2(lines[1].startsWith("norv_report: ("), qPrintable(o.err));
    QVERIFY(!QFile::exists(out));
}

QTEST_MAIN(ReportCliTest)
#include "report_cli_test.moc"
