#include "report_selection_dialog.h"
#include "ui_report_selection_dialog.h"

#include "production_reports.h"
#include "production_spreadsheet.h"

#include "data/conversions.h"
#include "data/data_module.h"
#include "data/product_kind.h"
#include "seams/clock.h"
#include "seams/modal_runner.h"
#include "spreadsheet/spreadsheet.h"
#include "ui/export_counter.h"
#include "ui/guard.h"
#include "ui/number_format.h"
#include "ui/wait_cursor.h"

#include <QApplication>
#include <QButtonGroup>
#include <QScopeGuard>

#include <algorithm>

ReportSelectionDialog::ReportSelectionDialog(data::DataModule6& dataModule, const Reports& reports,
                                             QWidget* mainWindow, QWidget* parent)
    : QDialog(parent), XLS_Rep(&dataModule.ADO_DB, QStringLiteral("XLS_Rep")),
      ui(new Ui::ReportSelectionDialog), reports_(reports), mainWindow_(mainWindow),
      kinds_(new QButtonGroup(this)) {
    ui->setupUi(this);
    setFixedSize(size());
    XLS_Rep.setSql(reports::productionSpreadsheetSql());
    kinds_->addButton(ui->RadioGroup1Item0, int(reports::ProductKind::All));
    kinds_->addButton(ui->RadioGroup1Item1, int(reports::ProductKind::Finished));
    kinds_->addButton(ui->RadioGroup1Item2, int(reports::ProductKind::Blanks));

    auto onClick = [this](QPushButton* button, auto handler) {
        connect(button, &QPushButton::clicked, this, ui::guarded(std::move(handler)));
    };
    onClick(ui->Button4, [this] { runReport(reports_.workers); });
    onClick(ui->Button2, [this] { runReport(reports_.products); });
    onClick(ui->Button1, [this] { runReport(reports_.workerDetails); });
    onClick(ui->Button3, [this] { runReport(reports_.productDetails); });
    onClick(ui->Button7, [this] { runReport(reports_.requisitions); });
    onClick(ui->Button6, [this] { on_Button6_clicked(); });
    connect(ui->Button5, &QPushButton::clicked, this, &QDialog::reject);
}

ReportSelectionDialog::~ReportSelectionDialog() {
    delete ui;
}

void ReportSelectionDialog::openReports() {
    const reports::Selection period = reports::previousMonth(seams::Clock::today());
    ui->DTPicker1->setDate(period.from);
    ui->DTPicker2->setDate(period.to);
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
    return {ui->DTPicker1->date(), ui->DTPicker2->date(),
            reports::ProductKind(std::max(0, kinds_->checkedId()))};
}

void ReportSelectionDialog::runReport(reports::PrintedReport& report) {
    report.preview(selection(), this);
}

// The period's production a line per product, operation and colour, into sheet 1 of a new
// workbook; every cell as text, nothing formatted.
void ReportSelectionDialog::on_Button6_clicked() {
    const ui::WaitCursor wait;
    reports::writeProductionSpreadsheet(XLS_Rep, selection(), spreadsheet::reportsHandle(),
                                        ui::exportCounter(ui->Button6));
}
