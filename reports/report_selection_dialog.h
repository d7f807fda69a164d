#pragma once

#include "report_selection.h"

#include "data/dataset.h"

#include <QDialog>

class QButtonGroup;

namespace data {
class Connection;
}

namespace Ui {
class ReportSelectionDialog;
}

namespace reports {
class PrintedReport;
}
class WorkersReport;
class ProductsReport;
class WorkerDetailsReport;
class ProductDetailsReport;
class RequisitionsReport;

// "Отчеты": the product kind and the period for the five printed production reports, whose
// previews it shows, and the spreadsheet of the period's production over its own query.
class ReportSelectionDialog : public QDialog {
    Q_OBJECT
public:
    struct Reports {
        WorkersReport& workers;             // "Отчет по рабочим"
        ProductsReport& products;           // "Отчет по продукции"
        WorkerDetailsReport& workerDetails; // "Детальный отчет по рабочим"
        ProductDetailsReport& productDetails; // "Детальный отчет по продукции"
        RequisitionsReport& requisitions;     // "Детальный отчет по заявкам"
    };

    // The window opens centred on mainWindow (the active window when there is none).
    ReportSelectionDialog(data::Connection& connection, const Reports& reports,
                          QWidget* mainWindow = nullptr, QWidget* parent = nullptr);
    ~ReportSelectionDialog() override;

    // The main menu's "Сводные отчеты": proposes the previous month and shows the window
    // modally.
    void openReports();

    // The product kind and the period chosen in the window.
    reports::Selection selection() const;

    // The spreadsheet's query (parameters period_from and period_to), closed except while an
    // export reads it.
    const data::Dataset& productionQuery() const { return productionQuery_; }

private:
    void centreOnMainWindow();
    void runReport(reports::PrintedReport& report);
    void exportProduction();

    data::Dataset productionQuery_;
    Ui::ReportSelectionDialog* ui_;
    Reports reports_;
    QWidget* mainWindow_;
    QButtonGroup* productKinds_;
};
