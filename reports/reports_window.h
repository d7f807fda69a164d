#pragma once

#include "report_selection.h"

#include "data/dataset.h"

#include <QDialog>

class QButtonGroup;

namespace data {
class DataModule6;
}

namespace Ui {
class Form18;
}

namespace reports {
class PrintedReport;
}
class Form16;
class Form17;
class Form20;
class Form21;
class Form25;

// "Отчеты": the product kind and the period for the five printed production reports, whose
// previews it shows, and the spreadsheet of the period's production over its own query.
class Form18 : public QDialog {
    Q_OBJECT
public:
    struct Reports {
        Form16& workers;        // "Отчет по рабочим"
        Form17& products;       // "Отчет по продукции"
        Form20& workerDetails;  // "Детальный отчет по рабочим"
        Form21& productDetails; // "Детальный отчет по продукции"
        Form25& requisitions;   // "Детальный отчет по заявкам"
    };

    // The window opens centred on mainWindow (the active window when there is none).
    Form18(data::DataModule6& dataModule, const Reports& reports, QWidget* mainWindow = nullptr,
           QWidget* parent = nullptr);
    ~Form18() override;

    // The main menu's "Сводные отчеты": proposes the previous month and shows the window
    // modally.
    void openReports();

    // The product kind and the period chosen in the window.
    reports::Selection selection() const;

    // The spreadsheet's query; parameters data1 and data2.
    data::Dataset XLS_Rep;

private:
    void centreOnMainWindow();
    void runReport(reports::PrintedReport& report);
    void on_Button6_clicked();

    Ui::Form18* ui;
    Reports reports_;
    QWidget* mainWindow_;
    QButtonGroup* kinds_;
};
