#include "report_selection_dialog.h"
#include "ui_report_selection_dialog.h"

#include "production_reports.h"
#include "production_spreadsheet.h"

#include "seams/clock.h"
#include "seams/modal_runner.h"
#include "spreadsheet/spreadsheet.h"
#include "ui/export_counter.h"
#include "ui/guard.h"
#include "ui/wait_cursor.h"
#include "ui/window_geometry.h"

#include <QApplication>
#include <QButtonGroup>

#include <algorithm>

namespace {

const QString kGeometryKey = QStringLiteral("ReportSelectionDialog");

} // namespace

ReportSelectionDialog::ReportSelectionDialog(data::Connection& connection, const Reports& reports,
                                             QWidget* mainWindow, QWidget* parent)
    : QDialog(parent), productionQuery_(&connection, QStringLiteral("productionQuery")),
      ui_(new Ui::ReportSelectionDialog), reports_(reports), mainWindow_(mainWindow),
      productKinds_(new QButtonGroup(this)) {
    ui_->setupUi(this);
    // a form that only needs its designed size, never less than its layout
    setFixedSize(size().expandedTo(minimumSizeHint()));
    ui::rememberGeometry(this, kGeometryKey);
    productionQuery_.setSql(reports::productionSpreadsheetSql());
    productKinds_->addButton(ui_->allKindsRadio, int(reports::ProductKind::All));
    productKinds_->addButton(ui_->finishedRadio, int(reports::ProductKind::Finished));
    productKinds_->addButton(ui_->blanksRadio, int(reports::ProductKind::Blanks));

    auto onClick = [this](QPushButton* button, auto handler) {
        connect(button, &QPushButton::clicked, this, ui::guarded(std::move(handler)));
    };
    onClick(ui_->workersReportButton, [this] { runReport(reports_.workers); });
    onClick(ui_->productsReportButton, [this] { runReport(reports_.products); });
    onClick(ui_->workerDetailsButton, [this] { runReport(reports_.workerDetails); });
    onClick(ui_->productDetailsButton, [this] { runReport(reports_.productDetails); });
    onClick(ui_->requisitionsReportButton, [this] { runReport(reports_.requisitions); });
    onClick(ui_->exportButton, [this] { exportProduction(); });
    connect(ui_->closeButton, &QPushButton::clicked, this, &QDialog::reject);
}

ReportSelectionDialog::~ReportSelectionDialog() {
    delete ui_;
}

void ReportSelectionDialog::openReports() {
    const reports::Selection period = reports::previousMonth(seams::Clock::today());
    ui_->fromDateEdit->setDate(period.from);
    ui_->toDateEdit->setDate(period.to);
    // centred the first time; then where the person left it
    if (!ui::hasRememberedGeometry(kGeometryKey))
        centreOnMainWindow();
    seams::execModal(this);
}

void ReportSelectionDialog::centreOnMainWindow() {
    const QWidget* over = mainWindow_ ? mainWindow_ : QApplication::activeWindow();
    if (!over || over == this)
        return;
    move(over->frameGeometry().center() - rect().center());
}

reports::Selection ReportSelectionDialog::selection() const {
    return {ui_->fromDateEdit->date(), ui_->toDateEdit->date(),
            reports::ProductKind(std::max(0, productKinds_->checkedId()))};
}

void ReportSelectionDialog::runReport(reports::PrintedReport& report) {
    report.preview(selection(), this);
}

// The period's production a line per product, operation and colour, into sheet 1 of a new
// workbook; every cell as text, nothing formatted.
void ReportSelectionDialog::exportProduction() {
    const ui::WaitCursor wait;
    spreadsheet::Workbook& book = spreadsheet::reportsHandle();
    if (reports::writeProductionSpreadsheet(productionQuery_, selection(), book,
                                            ui::exportCounter(ui_->exportButton)))
        spreadsheet::XlsSetVisible(book, true);
}
