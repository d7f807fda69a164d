#include "report_cli.h"

#include "data/connection.h"
#include "data/connection_text.h"
#include "data/data_error.h"
#include "data/program_groups.h"
#include "data/schema_version.h"
#include "data/site_settings.h"
#include "reports/production_reports.h"
#include "reports/production_spreadsheet.h"
#include "seams/messages.h"
#include "spreadsheet/launcher.h"
#include "spreadsheet/spreadsheet.h"
#include "timesheet/printed_timesheet.h"
#include "timesheet/timesheet_spreadsheet.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryFile>
#include <QTextStream>

#include <cstdio>
#include <exception>
#include <memory>

namespace cli {

namespace {

const QStringList kPrintedReports{"workers", "products", "workers-detail", "products-detail",
                                  "requisitions"};

// A person's message boxes become lines on the error stream; any error spoils the run.
class ConsoleMessages : public seams::Messages {
public:
    explicit ConsoleMessages(QTextStream& err) : err_(err) { install(this); }
    ~ConsoleMessages() override { install(nullptr); }
    void error(const QString& text, const QString& caption) override {
        say(caption + QStringLiteral(": ") + text);
        failed = true;
    }
    bool question(const QString& text, const QString&) override {
        say(text);
        return false;
    }
    void information(const QString& text, const QString&) override { say(text); }
    void standardError(const QString& text) override { error(text, QStringLiteral("Ошибка")); }
    bool failed = false;

private:
    void say(const QString& text) { err_ << "norv_report: " << text << Qt::endl; }
    QTextStream& err_;
};

// The saved workbook stays where the wrapper saved it; the run moves it to its name.
class KeepingLauncher : public spreadsheet::Launcher {
public:
    KeepingLauncher() { install(this); }
    ~KeepingLauncher() override { install(nullptr); }
    void open(const QString& path) override { saved = path; }
    QString saved;
};

std::optional<QDate> parseDate(const QString& text) {
    const QDate date = QDate::fromString(text, QStringLiteral("dd.MM.yyyy"));
    if (!date.isValid())
        return std::nullopt;
    return date;
}

// Written next to the target under a temporary name, then put in its place at once, so a
// failure never leaves a half-written file under the given name.
class Target {
public:
    explicit Target(const QString& path) : path_(QFileInfo(path).absoluteFilePath()) {}
    QString folder() const { return QFileInfo(path_).absolutePath(); }
    const QString& path() const { return path_; }

    // A free temporary name beside the target; empty when the folder cannot be written.
    QString reserve(QString* error) {
        if (QFileInfo(path_).isDir()) {
            *error = QStringLiteral("«%1» — это папка").arg(path_);
            return {};
        }
        temporary_ = std::make_unique<QTemporaryFile>(
            QDir(folder()).filePath(QStringLiteral(".norv-report-XXXXXX")));
        if (!temporary_->open()) {
            *error = QStringLiteral("в папку «%1» нельзя записать: %2")
                         .arg(folder(), temporary_->errorString());
            return {};
        }
        temporary_->close();
        return temporary_->fileName();
    }
    bool commit(const QString& written, QString* error) {
        if (std::rename(QFile::encodeName(written).constData(),
                        QFile::encodeName(path_).constData()) != 0) {
            *error = QStringLiteral("файл «%1» не записан").arg(path_);
            QFile::remove(written);
            return false;
        }
        if (temporary_)
            temporary_->setAutoRemove(written != temporary_->fileName());
        return true;
    }

private:
    QString path_;
    std::unique_ptr<QTemporaryFile> temporary_;
};

void printedReport(data::Connection& connection, const Request& r, const QString& path) {
    if (r.report == u"workers")
        WorkersReport(connection).writePdf(r.period, path);
    else if (r.report == u"products")
        ProductsReport(connection).writePdf(r.period, path);
    else if (r.report == u"workers-detail")
        WorkerDetailsReport(connection).writePdf(r.period, path);
    else if (r.report == u"products-detail")
        ProductDetailsReport(connection).writePdf(r.period, path);
    else
        RequisitionsReport(connection).writePdf(r.period, path);
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
    } else if (a == u"--pdf") {
        r.pdf = value;
    } else if (a == u"--xlsx") {
        r.xlsx = value;
    } else if (a == u"--password-file") {
        r.passwordFile = value;
    } else if (a == u"--config") {
        r.configFile = value;
    } else {
        return QStringLiteral("неизвестный ключ %1").arg(a);
    }
    return std::nullopt;
}

// What the report asks of the period and the output; the complaint when it is missing.
std::optional<QString> checkReport(const Request& r) {
    const bool printed = kPrintedReports.contains(r.report);
    if (printed || r.report == u"production") {
        if (!r.period.from.isValid() || !r.period.to.isValid())
            return QStringLiteral("для отчёта %1 нужны --from и --to").arg(r.report);
        if (r.period.to < r.period.from)
            return QStringLiteral("конец периода %1 раньше его начала %2")
                .arg(r.period.to.toString(QStringLiteral("dd.MM.yyyy")),
                     r.period.from.toString(QStringLiteral("dd.MM.yyyy")));
        if (printed && (r.pdf.isEmpty() || !r.xlsx.isEmpty()))
            return QStringLiteral("отчёт %1 пишется в PDF: нужен --pdf FILE").arg(r.report);
        if (!printed && (r.xlsx.isEmpty() || !r.pdf.isEmpty()))
            return QStringLiteral("выгрузка production пишется в таблицу: нужен --xlsx FILE");
        return std::nullopt;
    }
    if (r.report == u"timesheet") {
        if (r.month == 0 || r.year == 0)
            return QStringLiteral("для табеля нужны --month и --year");
        if (r.pdf.isEmpty() == r.xlsx.isEmpty())
            return QStringLiteral("табель пишется в один файл: --pdf FILE или --xlsx FILE");
        return std::nullopt;
    }
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
bool logIn(data::Connection& connection, const data::SiteSettings& site, QTextStream& err) {
    try {
        connection.open();
        if (data::programGroupsOfLogin(connection).isEmpty()) {
            err << "norv_report: " << data::kNoProgramRightsText << Qt::endl;
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

// The spreadsheet of the request, saved in folder: the file the writer saved, or nothing when
// it saved none (a file it left half-written is removed).
std::optional<QString> writeSpreadsheet(const Request& r, data::Connection& connection,
                                        const QString& folder, bool progress, QTextStream& err) {
    KeepingLauncher launcher;
    spreadsheet::setOutputFolder(folder);
    const auto rows = [&](int done, int total) {
        if (progress)
            err << "\rnorv_report: строка " << done << " из " << total
                << (done == total ? "\n" : "") << Qt::flush;
    };
    bool opened = false;
    if (r.report == u"timesheet") {
        PrintedTimesheet printed(connection);
        opened = timesheet::writeMonthSpreadsheet(printed.monthRows(), r.month, r.year,
                                                  timesheet::monthName(r.month) + u' ' +
                                                      QString::number(r.year),
                                                  spreadsheet::timesheetHandle(), rows);
    } else {
        data::Dataset query(&connection, QStringLiteral("productionQuery"));
        query.setSql(reports::productionSpreadsheetSql());
        opened = reports::writeProductionSpreadsheet(query, r.period, spreadsheet::reportsHandle(),
                                                     rows);
    }
    if (!opened || launcher.saved.isEmpty()) {
        QFile::remove(launcher.saved);
        return std::nullopt;
    }
    return launcher.saved;
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
    if (!logIn(connection, site, err))
        return kLoginFailed;

    Target target(r.pdf.isEmpty() ? r.xlsx : r.pdf);
    QString problem;
    const QString temporary = target.reserve(&problem);
    if (temporary.isEmpty()) {
        err << "norv_report: " << problem << Qt::endl;
        return kWriteFailed;
    }
    QString written = temporary;
    try {
        if (!r.pdf.isEmpty()) {
            stage(QStringLiteral("читаю и готовлю отчёт…"));
            if (r.report == u"timesheet")
                PrintedTimesheet(connection)
                    .writePdf(r.month, r.year,
                              timesheet::monthName(r.month) + u' ' + QString::number(r.year) +
                                  QStringLiteral(" г."),
                              temporary);
            else
                printedReport(connection, r, temporary);
        } else {
            const std::optional<QString> saved =
                writeSpreadsheet(r, connection, target.folder(), progress, err);
            if (!saved)
                return kWriteFailed;
            written = *saved;
        }
    } catch (const data::DataError& e) {
        err << "norv_report: " << e.message() << Qt::endl;
        return kReportFailed;
    } catch (const std::exception& e) {
        err << "norv_report: " << QString::fromUtf8(e.what()) << Qt::endl;
        return kWriteFailed;
    }
    if (messages.failed) { // a cell the wrapper could not write: not the whole report
        if (written != temporary)
            QFile::remove(written);
        return kWriteFailed;
    }
    if (!target.commit(written, &problem)) {
        err << "norv_report: " << problem << Qt::endl;
        return kWriteFailed;
    }
    stage(QStringLiteral("записан %1").arg(target.path()));
    return kDone;
}

} // namespace cli
