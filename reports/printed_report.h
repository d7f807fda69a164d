#pragma once

#include "report_selection.h"

#include "data/dataset.h"
#include "reportengine/report_definition.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace data {
class DataModule6;
}
namespace report {
class PreparedReport;
}

namespace reports {

// A printed production report: its query (parameters data1 and data2) and its layout.
// Never shown itself: the report window previews it, from where the user prints. Each run
// reads the query for the selection and closes it again afterwards, also on errors.
class PrintedReport {
public:
    PrintedReport(const PrintedReport&) = delete;
    PrintedReport& operator=(const PrintedReport&) = delete;

    // Prepares the report and shows its preview over parent until it is closed.
    void preview(const Selection& selection, QWidget* parent);
    // The same report written straight to a PDF file; throws when it cannot be written.
    void writePdf(const Selection& selection, const QString& path);

    const QString& titlePrefix() const { return titlePrefix_; }

protected:
    PrintedReport(data::DataModule6& dataModule, const QString& queryName, const QStringList& sql,
                  const QString& titlePrefix, const report::Report& layout);
    ~PrintedReport() = default;

    // The query as the derived report names it.
    data::Dataset query_;

private:
    report::PreparedReport prepare(const Selection& selection);

    QString titlePrefix_;
    report::Report layout_;
};

} // namespace reports
