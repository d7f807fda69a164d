#include "printed_report.h"

#include "report_layout.h"

#include "data/statement_files.h"
#include "reportengine/dataset_rows.h"
#include "reportengine/prepared_report.h"

#include <QScopeGuard>

namespace reports {

PrintedReport::PrintedReport(data::Connection& connection, const QString& statement,
                             const QString& titlePrefix, const report::Report& layout)
    : query_(&connection, statement), titlePrefix_(titlePrefix), layout_(layout) {
    query_.setSql(data::statementText(QStringLiteral("reports/") + statement));
}

report::PreparedReport PrintedReport::prepare(const Selection& selection) {
    openSelection(query_, selection);
    const QString title = reportTitle(titlePrefix_, selection);
    titleCell(layout_).text = title;
    report::PreparedReport prepared =
        report::PreparedReport::prepare(layout_, report::DatasetRows(query_));
    prepared.setTitle(title.trimmed());
    return prepared;
}

report::PreparedReport PrintedReport::layOut(const Selection& selection) {
    const auto closeAfterwards = qScopeGuard([this] { query_.close(); });
    return prepare(selection);
}

void PrintedReport::preview(const Selection& selection, QWidget* parent) {
    const auto closeAfterwards = qScopeGuard([this] { query_.close(); });
    prepare(selection).preview(parent);
}

void PrintedReport::writePdf(const Selection& selection, const QString& path) {
    layOut(selection).writePdf(path);
}

} // namespace reports
