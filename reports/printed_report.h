#pragma once

#include "report_selection.h"

#include "data/dataset.h"
#include "reportengine/report_definition.h"

#include <QString>

class QWidget;

namespace data {
class Connection;
}
namespace report {
class PreparedReport;
}

namespace reports {

// A printed production report: its query (parameters period_from and period_to) and its
// layout. Never shown itself: the report window previews it, from where the user prints.
// Each run reads the query for the selection and closes it again afterwards, also on errors.
class PrintedReport {
public:
    PrintedReport(const PrintedReport&) = delete;
    PrintedReport& operator=(const PrintedReport&) = delete;

    // Prepares the report and shows its preview over parent until it is closed.
    void preview(const Selection& selection, QWidget* parent);
    // The same report written straight to a PDF file; throws when it cannot be written.
    void writePdf(const Selection& selection, const QString& path);
    // The report laid out for the selection, its pages and what did not fit to be looked
    // at; the query is closed afterwards.
    report::PreparedReport layOut(const Selection& selection);

    const QString& titlePrefix() const { return titlePrefix_; }
    // The report's query, closed except while a run reads it.
    const data::Dataset& query() const { return query_; }

protected:
    // statement: the name of the report's query among the statements of reports/.
    PrintedReport(data::Connection& connection, const QString& statement,
                  const QString& titlePrefix, const report::Report& layout);
    ~PrintedReport() = default;

private:
    // Reads the query for the selection and prepares the pages; the query stays open.
    report::PreparedReport prepare(const Selection& selection);

    data::Dataset query_;
    QString titlePrefix_;
    report::Report layout_;
};

} // namespace reports
