#pragma once

#include "data/dataset.h"

#include <QString>

namespace data {
class Connection;
}
namespace report {
class PreparedReport;
}

// The printed monthly time-sheet: a worker a line with the hours of each day, all shifts added
// together, and the worker's total; A4 landscape, the heading on every page. Never shown
// itself: the time-sheet window previews it, and its query feeds that window's export too.
class PrintedTimesheet {
public:
    explicit PrintedTimesheet(data::Connection& connection);

    // The month's rows of every shift summed per worker name (fio, sd1..sd31), in name
    // order; parameters month and year. Closed except while a report or export reads it.
    data::Dataset& monthRows() { return monthRows_; }

    // Reads the month, prepares the report with the period label ("Март 2026 г.") and shows
    // its preview, from which the user prints; the query is closed afterwards.
    void preview(int month, int year, const QString& periodLabel);
    // The same report written straight to a PDF file; throws when it cannot be written.
    void writePdf(int month, int year, const QString& periodLabel, const QString& path);
    // The month laid out, its pages and what did not fit to be looked at; the query is
    // closed afterwards.
    report::PreparedReport layOut(int month, int year, const QString& periodLabel);

private:
    data::Dataset monthRows_;
};
