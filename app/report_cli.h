#pragma once

#include "data/site_settings.h"
#include "reports/report_selection.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

class QTextStream;

// norv_report: any printed report or spreadsheet export written to a file, with no window
// and no display, through the same queries, filters, layouts and cell rules as the windows.
namespace cli {

// How a run ends.
enum ExitCode {
    kDone = 0,
    kBadRequest = 1,   // arguments, dates, the period, the password file
    kLoginFailed = 2,  // the server refused the login or cannot be reached
    kWriteFailed = 3,  // the file could not be written; nothing is left under its name
    kReportFailed = 4, // the database refused a statement while the report was read
};

struct Request {
    QString server;
    QString database;
    QString user;
    QString report; // workers, products, workers-detail, products-detail, requisitions,
                    // production, timesheet, history, summary
    reports::Selection period;
    int month = 0;
    int year = 0;
    QString pdf;
    QString xlsx;
    QString png;
    QString passwordFile;
    QString configFile = data::kSiteSettingsFile;
    bool help = false;
    bool version = false;
};

// The arguments after the program's name. nullopt with *error for a request that cannot run.
std::optional<Request> parseArguments(const QStringList& arguments, QString* error);

QString usage();

// Logs in with the password and writes the report; the messages go to err, a progress line
// too when progress is true. Returns an ExitCode.
int run(const Request& request, const QString& password, QTextStream& err, bool progress);

} // namespace cli
