#include "startup.h"

#include "login_dialog.h"
#include "users_guide.h"

#include "directories/catalog.h"
#include "directories/norms_window.h"
#include "directories/operation_editor.h"
#include "directories/operation_type_editor.h"
#include "directories/operation_types_window.h"
#include "directories/operations_window.h"
#include "directories/product_picker.h"
#include "directories/worker_picker.h"
#include "history/history_data.h"
#include "history/history_window.h"
#include "journal/journal_window.h"
#include "journal/material_dialog.h"
#include "journal/position_editor.h"
#include "journal/positions.h"
#include "reports/production_reports.h"
#include "reports/report_selection_dialog.h"
#include "summary/month_summary.h"
#include "summary/summary_window.h"
#include "timesheet/printed_timesheet.h"
#include "timesheet/timesheet_data.h"
#include "timesheet/timesheet_window.h"
#include "ui/activity.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QShortcut>
#include <QTranslator>

#include <initializer_list>

void setupRussianLocale(QGuiApplication& app) {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
    QApplication::setApplicationName(QStringLiteral("norv_smena"));
    QApplication::setApplicationVersion(QStringLiteral(NORV_VERSION));
    QApplication::setApplicationDisplayName(QStringLiteral("Учёт производства"));
}

void tieToDesktopEntry() {
    QGuiApplication::setDesktopFileName(kDesktopEntryName);
    // the installed icon when the desktop's theme finds it, else the copy built in
    QGuiApplication::setWindowIcon(
        QIcon::fromTheme(kDesktopEntryName, QIcon(QStringLiteral(":/norv-smena.svg"))));
}

Program::Program(const AppArguments& arguments, const QString& openAtStart)
    : arguments_(arguments) {
    // the log names the window and the button of every error
    ui::watchActivity();
    if (!openAtStart.isEmpty()) {
        connection_.setConnectionString(openAtStart);
        connection_.open();
    }
    positions_ = std::make_unique<journal::Positions>(connection_);
    journal_ = std::make_unique<JournalWindow>(connection_, *positions_);
    // the build in the login's caption is the program's version
    journal_->loginValues().buildMajor = NORV_VERSION_MAJOR;
    journal_->loginValues().buildMinor = NORV_VERSION_MINOR;
    login_ = std::make_unique<LoginDialog>(*journal_, arguments_.siteSettings());
    login_->show();
    createWindows(*journal_);
}

Program::~Program() = default;

// The other windows, created once each, none shown.
void Program::createWindows(JournalWindow& journal) {
    catalog_ = std::make_unique<directories::Catalog>(connection_);
    productPicker_ = std::make_unique<ProductPicker>(*catalog_);
    operations_ = std::make_unique<OperationsWindow>(*catalog_);
    workerPicker_ = std::make_unique<WorkerPicker>(*catalog_);
    operationTypes_ = std::make_unique<OperationTypesWindow>(*catalog_);
    typeEditor_ = std::make_unique<OperationTypeEditor>(*catalog_);
    operationEditor_ = std::make_unique<OperationEditor>(*catalog_);
    positionEditor_ = std::make_unique<PositionEditor>(connection_);
    workersReport_ = std::make_unique<WorkersReport>(connection_);
    productsReport_ = std::make_unique<ProductsReport>(connection_);
    workerDetailsReport_ = std::make_unique<WorkerDetailsReport>(connection_);
    productDetailsReport_ = std::make_unique<ProductDetailsReport>(connection_);
    requisitionsReport_ = std::make_unique<RequisitionsReport>(connection_);
    reportSelection_ = std::make_unique<ReportSelectionDialog>(
        connection_,
        ReportSelectionDialog::Reports{*workersReport_, *productsReport_, *workerDetailsReport_,
                                       *productDetailsReport_, *requisitionsReport_},
        login_.get());
    // the printed time-sheet is no window; the time-sheet window previews it
    timesheetData_ = std::make_unique<timesheet::TimesheetData>(connection_);
    printedTimesheet_ = std::make_unique<PrintedTimesheet>(connection_);
    timesheet_ = std::make_unique<TimesheetWindow>(*timesheetData_, *printedTimesheet_);
    summaryData_ = std::make_unique<summary::SummaryData>(connection_);
    summary_ = std::make_unique<summary::SummaryWindow>(*summaryData_);
    norms_ = std::make_unique<NormsWindow>(connection_);
    materialDialog_ = std::make_unique<MaterialDialog>(connection_);
    historyData_ = std::make_unique<history::HistoryData>(connection_);
    history_ = std::make_unique<HistoryWindow>(*historyData_);
    positionEditor_->useWindows(*workerPicker_, *operations_, *materialDialog_);
    journal.useEntryDialog(*positionEditor_);
    operationTypes_->useEditor(*typeEditor_);
    operationEditor_->usePickers(*productPicker_, *operationTypes_);
    operations_->useEditors(*operationEditor_, *norms_);
    // what the database lets a login read of the history and restore, the windows offer
    history_->useRestoreRight(
        [&journal] { return journal.loginValues().role == ui::LoginRole::Administrator; });
    operations_->useHistory(
        {.open = [this](int operationId) { history_->showOperation(operationId); },
         .allowed = [&journal] { return ui::journalRights(journal.loginValues().role).history; }});

    journal.useOpeners(
        {.operationTypes = [this] { operationTypes_->openDirectory(); },
         .prices = [this] { operations_->openDirectory(); },
         .timesheet =
             [this, &journal](const QDate& date) {
                 timesheet_->applyRights(ui::timesheetRights(journal.loginValues().role));
                 timesheet_->openForMonth(date);
             },
         .reports = [this] { reportSelection_->openReports(); },
         .positionHistory = [this](int id) { return history_->showPosition(id); },
         .deletedPositions =
             [this](const QDate& day) { return history_->showDeletedPositions(day); },
         .summary = [this](const QDate& date) { return summary_->openForMonth(date); }});

    // F1 in any window of the program: the users' guide
    for (QWidget* window : std::initializer_list<QWidget*>{
             &journal, login_.get(), productPicker_.get(), operations_.get(), workerPicker_.get(),
             operationTypes_.get(), typeEditor_.get(), operationEditor_.get(),
             positionEditor_.get(), reportSelection_.get(), timesheet_.get(), summary_.get(),
             norms_.get(), materialDialog_.get(), history_.get()})
        QObject::connect(new QShortcut(QKeySequence::HelpContents, window), &QShortcut::activated,
                         window, [] { openUsersGuide(); });
}
