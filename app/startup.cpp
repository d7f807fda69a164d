#include "startup.h"

#include "login_window.h"

#include "directories/norms_window.h"
#include "directories/operation_type_editor.h"
#include "directories/operation_types_window.h"
#include "directories/operations_window.h"
#include "directories/price_editor.h"
#include "directories/products_window.h"
#include "directories/workers_window.h"
#include "journal/entry_dialog.h"
#include "journal/journal_window.h"
#include "journal/material_window.h"
#include "reports/production_reports.h"
#include "reports/reports_window.h"
#include "timesheet/printed_timesheet.h"
#include "timesheet/timesheet_window.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

void setupRussianLocale(QGuiApplication& app) {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
    QApplication::setApplicationName(QStringLiteral("norv_smena"));
    QApplication::setApplicationDisplayName(QStringLiteral("Учёт производства"));
}

void tieToDesktopEntry() {
    QGuiApplication::setDesktopFileName(kDesktopEntryName);
    // the installed icon when the desktop's theme finds it, else the copy built in
    QGuiApplication::setWindowIcon(
        QIcon::fromTheme(kDesktopEntryName, QIcon(QStringLiteral(":/norv-smena.svg"))));
}

Program::Program(const AppArguments& arguments) : arguments_(arguments) {
    journal_ = std::make_unique<Form1>([this](Form1& journal) {
        // the build in the login's caption is the program's version
        journal.loginValues().BuildMajor = NORV_VERSION_MAJOR;
        journal.loginValues().BuildMinor = NORV_VERSION_MINOR;
        login_ = std::make_unique<Form23>(journal, arguments_.siteSettings());
        login_->show();
        createWindows(journal);
    });
}

Program::~Program() {
    form24_.reset();
    form22_.reset();
    form19_.reset();
    form15_.reset();
    form18_.reset();
    form25_.reset();
    form21_.reset();
    form20_.reset();
    form17_.reset();
    form16_.reset();
    form11_.reset();
    form10_.reset();
    form4_.reset();
    form8_.reset();
    form9_.reset();
    form5_.reset();
    form3_.reset();
    login_.reset();
    journal_.reset();
}

// The other windows, created once each, none shown.
void Program::createWindows(Form1& journal) {
    data::DataModule6& dataModule = journal.dataModule();
    form3_ = std::make_unique<Form3>(dataModule);
    form4_ = std::make_unique<Form4>(dataModule);
    form5_ = std::make_unique<Form5>(dataModule);
    form8_ = std::make_unique<Form8>(dataModule);
    form9_ = std::make_unique<Form9>(dataModule);
    form10_ = std::make_unique<Form10>(dataModule);
    form11_ = std::make_unique<Form11>(dataModule, journal);
    form16_ = std::make_unique<Form16>(dataModule);
    form17_ = std::make_unique<Form17>(dataModule);
    form20_ = std::make_unique<Form20>(dataModule);
    form21_ = std::make_unique<Form21>(dataModule);
    form25_ = std::make_unique<Form25>(dataModule);
    form18_ = std::make_unique<Form18>(
        dataModule, Form18::Reports{*form16_, *form17_, *form20_, *form21_, *form25_},
        login_.get());
    // the printed time-sheet is no window; the time-sheet window previews it
    form15_ = std::make_unique<Form15>(dataModule);
    form19_ = std::make_unique<Form19>(dataModule, *form15_);
    form22_ = std::make_unique<Form22>(dataModule);
    form24_ = std::make_unique<Form24>(dataModule);
    form11_->useWindows(*form5_, *form4_, *form24_);
    journal.useEntryDialog(*form11_);
    form8_->useEditor(*form9_);
    form10_->usePickers(*form3_, *form8_);
    form4_->useEditors(*form10_, *form22_);

    journal.useOpeners({.operationTypes = [this] { form8_->openDirectory(); },
                        .prices = [this] { form4_->openDirectory(); },
                        .timesheet = [this](const QDate& date) { form19_->openForMonth(date); },
                        .reports = [this] { form18_->openReports(); }});
}
