#pragma once

#include "app_arguments.h"

#include <QString>

#include <memory>

class JournalWindow;
class LoginDialog;
class ProductPicker;
class OperationsWindow;
class WorkerPicker;
class OperationTypesWindow;
class OperationTypeEditor;
class OperationEditor;
class PositionEditor;
class PrintedTimesheet;
class WorkersReport;
class ProductsReport;
class ReportSelectionDialog;
class TimesheetWindow;
class WorkerDetailsReport;
class ProductDetailsReport;
class NormsWindow;
class MaterialDialog;
class RequisitionsReport;
class QGuiApplication;

namespace timesheet {
class TimesheetData;
}
namespace directories {
class Catalog;
}
namespace data {
class DataModule6;
class Connection;
} // namespace data

namespace journal {
class Positions;
}

// Russian number and date formats and Qt's own buttons ("Да", "Нет") in Russian.
void setupRussianLocale(QGuiApplication& app);

// The menu entry's name (norv-smena.desktop) and icon: the desktop ties the windows to the
// entry by it, and the window class (the application's name) is its StartupWMClass.
inline const QString kDesktopEntryName = QStringLiteral("norv-smena");
void tieToDesktopEntry();

// The start-up order: the connection and the journal's positions, the journal JournalWindow,
// then the login window LoginDialog, the application's main window, visible at once; then
// every other window, once each, none shown.
class Program {
public:
    explicit Program(const AppArguments& arguments);
    ~Program();

    data::Connection& connection();
    data::DataModule6& dataModule() { return *dataModule_; }
    journal::Positions& positions() { return *positions_; }
    JournalWindow& journal() { return *journal_; }
    LoginDialog& login() { return *login_; }
    ProductPicker& products() { return *productPicker_; }
    OperationsWindow& operations() { return *operations_; }
    WorkerPicker& workers() { return *workerPicker_; }
    OperationTypesWindow& operationTypes() { return *operationTypes_; }
    OperationTypeEditor& operationTypeEditor() { return *typeEditor_; }
    OperationEditor& priceEditor() { return *operationEditor_; }
    PositionEditor& entry() { return *positionEditor_; }
    TimesheetWindow& timesheet() { return *timesheet_; }
    PrintedTimesheet& printedTimesheet() { return *printedTimesheet_; }
    ReportSelectionDialog& reports() { return *reportSelection_; }
    NormsWindow& norms() { return *norms_; }
    MaterialDialog& materials() { return *materialDialog_; }
    directories::Catalog& catalog() { return *catalog_; }

private:
    void createWindows(JournalWindow& journal);

    AppArguments arguments_;
    // the one connection lives in the data module the other windows still share
    std::unique_ptr<data::DataModule6> dataModule_;
    std::unique_ptr<journal::Positions> positions_;
    std::unique_ptr<LoginDialog> login_;
    std::unique_ptr<JournalWindow> journal_;
    // the directories' lists over the journal's connection; they go before it
    std::unique_ptr<directories::Catalog> catalog_;
    // the windows over the journal's data module and the catalog; they go before both
    std::unique_ptr<ProductPicker> productPicker_;
    std::unique_ptr<OperationsWindow> operations_;
    std::unique_ptr<WorkerPicker> workerPicker_;
    std::unique_ptr<OperationTypesWindow> operationTypes_;
    std::unique_ptr<OperationTypeEditor> typeEditor_;
    std::unique_ptr<OperationEditor> operationEditor_;
    std::unique_ptr<PositionEditor> positionEditor_;
    // the printed reports are no windows; the report window previews them
    std::unique_ptr<WorkersReport> workersReport_;
    std::unique_ptr<ProductsReport> productsReport_;
    std::unique_ptr<WorkerDetailsReport> workerDetailsReport_;
    std::unique_ptr<ProductDetailsReport> productDetailsReport_;
    std::unique_ptr<RequisitionsReport> requisitionsReport_;
    std::unique_ptr<ReportSelectionDialog> reportSelection_;
    std::unique_ptr<timesheet::TimesheetData> timesheetData_;
    std::unique_ptr<PrintedTimesheet> printedTimesheet_;
    std::unique_ptr<TimesheetWindow> timesheet_;
    std::unique_ptr<NormsWindow> norms_;
    std::unique_ptr<MaterialDialog> materialDialog_;
};
