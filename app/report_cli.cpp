#include "report_cli.h"

#include "data/connection.h"
#include "data/connection_text.h"
#include "data/data_error.h"
#include "data/program_groups.h"
#include "data/schema_version.h"
#include "data/site_settings.h"
#include "files/atomic_file.h"
#include "history/history_data.h"
#include "reportengine/prepared_report.h"
#include "reports/production_reports.h"
#include "reports/production_spreadsheet.h"
#include "seams/messages.h"
#include "spreadsheet/spreadsheet.h"
#include "spreadsheet/workbook.h"
#include "summary/month_summary.h"
#include "summary/summary_board.h"
#include "timesheet/printed_timesheet.h"
#include "timesheet/timesheet_spreadsheet.h"
#include "ui/login_role.h"

#include <QFileInfo>
#include <QHash>
#include <QImageWriter>
#include <QTextStream>

#include <cstdio>
#include <exception>
#include <memory>

namespace cli {

namespace {

const QString kReportRefused =
    QStringLiteral("база данных отказала при чтении отчёта, файл не записан. Проверьте период "
                   "и повторите или обратитесь к администратору.");

const QString kHistoryNotAllowed =
    QStringLiteral("историю изменений читают администратор, мастера и экономист; у этого "
                   "пользователя нет права её читать.");

const QStringList kPrintedReports{"workers", "products", "workers-detail", "products-detail",
                                  "requisitions"};

// A person's message boxes become lines on the error stream; any error spoils the run.
class ConsoleMessages : public seams::Messages {
public:
    explicit ConsoleMessages(QTextStream& err) : err_(err) { install(this); }
    ~ConsoleMessages() override { install(nullptr); }
    // the caption of a box says nothing a line needs
    void error(const QString& text, const QString&) override {
        say(text);
        failed = true;
    }
    void errorWithDetail(const QString& text, const QString& detail, const QString&) override {
        say(text);
        if (!detail.isEmpty())
            say(u'(' + detail.simplified() + u')');
        failed = true;
    }
    bool question(const QString& text, const QString&) override {
        say(text);
        return false;
    }
    void information(const QString& text, const QString&) override { say(text); }
    bool failed = false;

private:
    void say(const QString& text) { err_ << "norv_report: " << text << Qt::endl; }
    QTextStream& err_;
};

std::optional<QDate> parseDate(const QString& text) {
    const QDate date = QDate::fromString(text, QStringLiteral("dd.MM.yyyy"));
    if (!date.isValid())
        return std::nullopt;
    return date;
}

report::PreparedReport printedReport(data::Connection& connection, const Request& r) {
    if (r.report == u"timesheet")
        return PrintedTimesheet(connection)
            .layOut(r.month, r.year,
                    timesheet::monthName(r.month) + u' ' + QString::number(r.year) +
                        QStringLiteral(" г."));
    if (r.report == u"workers")
        return WorkersReport(connection).layOut(r.period);
    if (r.report == u"products")
        return ProductsReport(connection).layOut(r.period);
    if (r.report == u"workers-detail")
        return WorkerDetailsReport(connection).layOut(r.period);
    if (r.report == u"products-detail")
        return ProductDetailsReport(connection).layOut(r.period);
    return RequisitionsReport(connection).layOut(r.period);
}

} // namespace

QString usage() {
    return QStringLiteral(
        "norv_report: отчёты и выгрузки учёта производства в файл, без окон.\n"
        "\n"
        "  norv_report [SERVER DATABASE] USER REPORT --from ДД.ММ.ГГГГ --to ДД.ММ.ГГГГ\n"
        "              [--kind all|finished|blanks] --pdf FILE\n"
        "      REPORT: workers          отчёт по рабочим\n"
        "              products         отчёт по продукции\n"
        "              workers-detail   детальный отчёт по рабочим\n"
        "              products-detail  детальный отчёт по продукции\n"
        "              requisitions     детальный отчёт по заявкам\n"
        "  norv_report [SERVER DATABASE] USER production --from ДД.ММ.ГГГГ --to ДД.ММ.ГГГГ\n"
        "              [--kind all|finished|blanks] --xlsx FILE   выпуск периода в таблицу\n"
        "  norv_report [SERVER DATABASE] USER timesheet --month M --year Y (--pdf FILE | --xlsx "
        "FILE)\n"
        "                                               табель по времени за месяц\n"
        "  norv_report [SERVER DATABASE] USER history --from ДД.ММ.ГГГГ --to ДД.ММ.ГГГГ\n"
        "              --xlsx FILE   история изменений периода, строка на изменение\n"
        "  norv_report [SERVER DATABASE] USER summary --month M --year Y\n"
        "              [--kind all|finished|blanks] (--pdf FILE | --png FILE)\n"
        "                                               сводка месяца: графики и итоги\n"
        "\n"
        "  --from, --to      период: с первого дня включительно по последний не включая\n"
        "  --kind            вид продукции: all (все, так и без ключа), finished (готовая\n"
        "                    продукция), blanks (заготовки)\n"
        "  --password-file F пароль из первой строки файла; без ключа пароль читается\n"
        "                    из стандартного ввода (в командной строке его не бывает)\n"
        "  --config F        файл настроек вместо /etc/norv-smena/norv-smena.conf\n"
        "  --version         версия программы\n"
        "  --help            эта справка\n"
        "\n"
        "SERVER — адрес сервера базы данных или папка его сокета. Без SERVER и DATABASE\n"
        "они, как и порт и режим SSL, берутся из файла настроек\n"
        "/etc/norv-smena/norv-smena.conf (server, port, database, sslmode, sslrootcert).\n"
        "Файл появляется под своим именем только целиком; при ошибке его нет.\n"
        "Коды выхода: 0 готово; 1 неверный запрос (ключи, даты, период, файл пароля);\n"
        "2 вход не удался; 3 файл не записан; 4 база данных отказала при чтении отчёта.\n");
}

namespace {

// One "--key value" pair into the request; the complaint when the value does not fit.
std::optional<QString> applyOption(Request& r, const QString& a, const QString& value) {
    static const QHash<QString, QString Request::*> names{
        {QStringLiteral("--pdf"), &Request::pdf},
        {QStringLiteral("--xlsx"), &Request::xlsx},
        {QStringLiteral("--png"), &Request::png},
        {QStringLiteral("--password-file"), &Request::passwordFile},
        {QStringLiteral("--config"), &Request::configFile}};
    if (const auto name = names.constFind(a); name != names.constEnd()) {
        r.*(name.value()) = value;
        return std::nullopt;
    }
    if (a == u"--from" || a == u"--to") {
        const std::optional<QDate> date = parseDate(value);
        if (!date)
            return QStringLiteral("неверная дата «%1» у %2 (нужно ДД.ММ.ГГГГ)").arg(value, a);
        (a == u"--from" ? r.period.from : r.period.to) = *date;
    } else if (a == u"--kind") {
        static const QHash<QString, reports::ProductKind> kinds{
            {QStringLiteral("all"), reports::ProductKind::All},
            {QStringLiteral("finished"), reports::ProductKind::Finished},
            {QStringLiteral("blanks"), reports::ProductKind::Blanks}};
        if (!kinds.contains(value))
            return QStringLiteral("неизвестный вид продукции «%1» (all, finished, blanks)")
                .arg(value);
        r.period.kind = kinds.value(value);
    } else if (a == u"--month" || a == u"--year") {
        bool ok = false;
        const int n = value.toInt(&ok);
        const bool fits = a == u"--month" ? n >= 1 && n <= 12 : n >= 1900 && n <= 9999;
        if (!ok || !fits)
            return QStringLiteral("неверное значение «%1» у %2").arg(value, a);
        (a == u"--month" ? r.month : r.year) = n;
    } else {
        return QStringLiteral("неизвестный ключ %1").arg(a);
    }
    return std::nullopt;
}

// The time-sheet and the summary: a month, and one file of the kinds each writes.
std::optional<QString> checkMonthReport(const Request& r) {
    const bool summary = r.report == u"summary";
    if (r.month == 0 || r.year == 0)
        return summary ? QStringLiteral("для сводки нужны --month и --year")
                       : QStringLiteral("для табеля нужны --month и --year");
    if (summary && (!r.xlsx.isEmpty() || r.pdf.isEmpty() == r.png.isEmpty()))
        return QStringLiteral("сводка пишется в один файл: --pdf FILE или --png FILE");
    if (!summary && r.pdf.isEmpty() == r.xlsx.isEmpty())
        return QStringLiteral("табель пишется в один файл: --pdf FILE или --xlsx FILE");
    return std::nullopt;
}

// What the report asks of the period and the output; the complaint when it is missing.
std::optional<QString> checkReport(const Request& r) {
    if (!r.png.isEmpty() && r.report != u"summary")
        return QStringLiteral("в картинку (--png) пишется только сводка");
    const bool printed = kPrintedReports.contains(r.report);
    const bool sheet = r.report == u"production" || r.report == u"history";
    if (printed || sheet) {
        if (!r.period.from.isValid() || !r.period.to.isValid())
            return QStringLiteral("для отчёта %1 нужны --from и --to").arg(r.report);
        if (r.period.to < r.period.from)
            return QStringLiteral("конец периода %1 раньше его начала %2")
                .arg(r.period.to.toString(QStringLiteral("dd.MM.yyyy")),
                     r.period.from.toString(QStringLiteral("dd.MM.yyyy")));
        if (printed && (r.pdf.isEmpty() || !r.xlsx.isEmpty()))
            return QStringLiteral("отчёт %1 пишется в PDF: нужен --pdf FILE").arg(r.report);
        if (!printed && (r.xlsx.isEmpty() || !r.pdf.isEmpty()))
            return QStringLiteral("выгрузка %1 пишется в таблицу: нужен --xlsx FILE").arg(r.report);
        return std::nullopt;
    }
    if (r.report == u"summary" || r.report == u"timesheet")
        return checkMonthReport(r);
    return QStringLiteral("неизвестный отчёт «%1» (norv_report --help)").arg(r.report);
}

} // namespace

std::optional<Request> parseArguments(const QStringList& arguments, QString* error) {
    Request r;
    QStringList positional;
    const auto fail = [error](const QString& text) -> std::optional<Request> {
        *error = text;
        return std::nullopt;
    };
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == u"--help" || a == u"-h") {
            r.help = true;
            return r;
        }
        if (a == u"--version") {
            r.version = true;
            return r;
        }
        if (!a.startsWith(QStringLiteral("--"))) {
            positional << a;
            continue;
        }
        if (i + 1 >= arguments.size())
            return fail(QStringLiteral("у ключа %1 нет значения").arg(a));
        if (const std::optional<QString> complaint = applyOption(r, a, arguments[++i]))
            return fail(*complaint);
    }
    if (positional.size() != 4 && positional.size() != 2)
        return fail(QStringLiteral("нужны [SERVER DATABASE] USER и отчёт (norv_report --help)"));
    if (positional.size() == 4) {
        r.server = positional[0];
        r.database = positional[1];
        positional = positional.mid(2);
    }
    r.user = positional[0];
    r.report = positional[1];
    if (const std::optional<QString> complaint = checkReport(r))
        return fail(*complaint);
    return r;
}

namespace {

// Opens the connection and checks the login's rights and the schema; false after saying why.
bool logIn(data::Connection& connection, const data::SiteSettings& site, bool readsHistory,
           QTextStream& err) {
    try {
        connection.open();
        const QStringList groups = data::programGroupsOfLogin(connection);
        if (groups.isEmpty()) {
            err << "norv_report: " << data::kNoProgramRightsText << Qt::endl;
            return false;
        }
        // a clerk would get an empty history: the database lets only the others read it
        if (readsHistory && ui::roleFromGroups(groups) == ui::LoginRole::Clerk) {
            err << "norv_report: " << kHistoryNotAllowed << Qt::endl;
            return false;
        }
        if (const std::optional<QString> refusal = data::schemaVersionRefusal(connection)) {
            err << "norv_report: " << *refusal << Qt::endl;
            return false;
        }
    } catch (const data::DataError& e) {
        err << "norv_report: вход не удался (сервер: " << site.server << ", БД: " << site.database
            << "): "
            << (e.sqlState() == data::kLoginRefusedState ? data::kLoginRefusedText
                : e.sqlState() == data::kNoSuchDatabaseState
                    ? QStringLiteral("на сервере нет такой базы данных.")
                    : QStringLiteral("сервер базы данных не отвечает."))
            << Qt::endl
            << "norv_report: (" << e.message().simplified() << ")" << Qt::endl;
        return false;
    }
    return true;
}

// The spreadsheet of the request into file; false when no workbook could be opened (the
// wrapper has said so).
bool writeSpreadsheet(const Request& r, data::Connection& connection, files::AtomicFile& file,
                      bool progress, QTextStream& err) {
    // the wrapper only checks that a workbook could be saved there: beside the file itself
    spreadsheet::setOutputFolder(QFileInfo(file.temporaryPath()).absolutePath());
    const auto rows = [&](int done, int total) {
        if (progress)
            err << "\rnorv_report: строка " << done << " из " << total
                << (done == total ? "\n" : "") << Qt::flush;
    };
    spreadsheet::Workbook& book =
        r.report == u"timesheet" ? spreadsheet::timesheetHandle() : spreadsheet::reportsHandle();
    bool opened = false;
    if (r.report == u"timesheet") {
        PrintedTimesheet printed(connection);
        opened = timesheet::writeMonthSpreadsheet(
            printed.monthRows(), r.month, r.year,
            timesheet::monthName(r.month) + u' ' + QString::number(r.year), book, rows);
    } else if (r.report == u"history") {
        const std::vector<history::HistoryEntry> entries =
            history::HistoryData(connection).periodHistory(r.period.from, r.period.to);
        opened = history::writeHistorySpreadsheet(
            entries, history::periodFileName(r.period.from, r.period.to), book);
        rows(int(entries.size()), int(entries.size()));
    } else {
        data::Dataset query(&connection, QStringLiteral("productionQuery"));
        query.setSql(reports::productionSpreadsheetSql());
        opened = reports::writeProductionSpreadsheet(query, r.period, book, rows);
    }
    if (opened)
        book.save(file);
    return opened;
}

// The month's summary into file, as a PDF page or a picture.
void writeSummary(const Request& r, data::Connection& connection, files::AtomicFile& file) {
    summary::SummaryData data(connection);
    const summary::MonthSummary month = data.read(r.month, r.year, r.period.kind);
    if (!r.pdf.isEmpty()) {
        summary::printedSummary(month).writePdf(file);
        return;
    }
    QImageWriter writer(&file.device(), "png");
    if (!writer.write(summary::picture(month)))
        file.fail(files::notWritten(file.path(), writer.errorString()));
}

// A failure to write as two lines: the sentence, then the system's own words.
int writeFailed(const files::WriteFailure& failure, QTextStream& err) {
    err << "norv_report: " << failure.sentence << Qt::endl;
    if (!failure.detail.isEmpty())
        err << "norv_report: (" << failure.detail.simplified() << ")" << Qt::endl;
    return kWriteFailed;
}

} // namespace

int run(const Request& r, const QString& password, QTextStream& err, bool progress) {
    ConsoleMessages messages(err);
    const auto stage = [&](const QString& text) {
        if (progress)
            err << "norv_report: " << text << Qt::endl;
    };
    data::Connection connection;
    const data::SiteSettings site =
        data::SiteSettings::read(r.configFile).withArguments(r.server, r.database);
    connection.setConnectionString(data::loginConnectionString(site, r.user, password));
    if (!logIn(connection, site, r.report == u"history", err))
        return kLoginFailed;

    // opened before the report is read, so a file that cannot be written is told at once
    files::AtomicFile file(!r.pdf.isEmpty() ? r.pdf : !r.png.isEmpty() ? r.png : r.xlsx);
    if (!file.open())
        return writeFailed(file.failure(), err);
    try {
        if (r.report == u"summary") {
            stage(QStringLiteral("читаю месяц и рисую сводку…"));
            writeSummary(r, connection, file);
        } else if (!r.pdf.isEmpty()) {
            stage(QStringLiteral("читаю и готовлю отчёт…"));
            printedReport(connection, r).writePdf(file);
        } else if (!writeSpreadsheet(r, connection, file, progress, err)) {
            return kWriteFailed;
        }
    } catch (const data::DataError& e) {
        err << "norv_report: " << kReportRefused << Qt::endl
            << "norv_report: (" << e.message().simplified() << ")" << Qt::endl;
        return kReportFailed;
    } catch (const files::WriteError& e) {
        return writeFailed(e.failure(), err);
    } catch (const std::exception& e) {
        return writeFailed(files::notWritten(file.path(), QString::fromUtf8(e.what())), err);
    }
    if (messages.failed) { // a cell the wrapper could not write: not the whole report
        err << "norv_report: "
            << QStringLiteral("файл «%1» не записан: в таблице не все ячейки.").arg(file.path())
            << Qt::endl;
        return kWriteFailed;
    }
    if (!file.commit())
        return writeFailed(file.failure(), err);
    stage(QStringLiteral("записан %1").arg(QFileInfo(file.path()).absoluteFilePath()));
    return kDone;
}

} // namespace cli
