#include "startup.h"

#include "login_window.h"

#include "journal/journal_window.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

void setupRussianLocale(QApplication& app) {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
    QApplication::setApplicationName(QStringLiteral("norv_smena"));
    QApplication::setApplicationDisplayName(QStringLiteral("Учёт производства"));
}

Program::Program(const AppArguments& arguments) : arguments_(arguments) {
    journal_ = std::make_unique<Form1>([this](Form1& journal) {
        login_ = std::make_unique<Form23>(journal, arguments_);
        login_->show();
        // the other windows come here, created once each, none shown
    });
}

Program::~Program() {
    login_.reset();
    journal_.reset();
}
