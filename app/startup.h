#pragma once

#include "app_arguments.h"

#include "data/connection.h"

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
class HistoryWindow;
class QGuiApplication;

namespace timesheet {
class TimesheetData;
}
namespace summary {
class SummaryData;
class SummaryWindow;
} // namespace summary
namespace directories {
class Catalog;
}

namespace journal {
class Positions;
}
namespace history {
class HistoryData;
}

// Russian number and date formats and Qt's own buttons ("Да", "Нет") in Russian.
void setupRussianLocale(QGuiApplication& app);

// The menu entry's name (norv-smena.desktop) and icon: the desktop ties the windows to the
// entry by it, and the window class (the application's name) is its StartupWMClass.
inline const QString kDesktopEntryName = QStringLiteral("norv-smena");
void tieToDesktopEntry();

// The start-up order: the connection and the journal's positions, the journal window, then
// the login window, the application's main window, visible at once; then every other window,
// once each, none shown. The members are declared in that order, so they go in reverse: every
// window before the data it shows, the connection last.
class Program {
public:
    // A non-empty openAtStart is a connection text opened at once, before the login window
    // shows: tests start the program logged in this way.
    explicit Program(const AppArguments& arguments, const QString& openAtStart = {});
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    data::Connection& connection() { return connection_; }
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
    summary::SummaryWindow& summary() { return *summary_; }
    PrintedTimesheet& printedTimesheet() { return *printedTimesheet_; }
    ReportSelectionDialog& reports() { return *reportSelection_; }
    NormsWindow& norms() { return *norms_; }
    MaterialDialog& materials() { return *materialDialog_; }
    directories::Catalog& catalog() { return *catalog_; }
    HistoryWindow& history() { return *history_; }

private:
    void createWindows(JournalWindow& journal);

    AppArguments arguments_;
    // the program's one connection, shared by every window below
    data::Connection connection_;
    std::unique_ptr<journal::Positions> positions_;
    std::unique_ptr<JournalWindow> journal_;
    std::unique_ptr<LoginDialog> login_;
    // the directories' lists, and the windows over them
    std::unique_ptr<directories::Catalog> catalog_;
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
    std::unique_ptr<summary::SummaryData> summaryData_;
    std::unique_ptr<summary::SummaryWindow> summary_;
    std::unique_ptr<NormsWindow> norms_;
    std::unique_ptr<MaterialDialog> materialDialog_;
    std::unique_ptr<history::HistoryData> historyData_;
    std::unique_ptr<HistoryWindow> history_;
};
