#pragma once

#include "app_arguments.h"

#include <QString>

#include <memory>

class Form1;
class Form23;
class Form3;
class Form4;
class Form5;
class Form8;
class Form9;
class Form10;
class Form11;
class Form15;
class Form16;
class Form17;
class Form18;
class Form19;
class Form20;
class Form21;
class Form22;
class Form24;
class Form25;
class QGuiApplication;

// Russian number and date formats and Qt's own buttons ("Да", "Нет") in Russian.
void setupRussianLocale(QGuiApplication& app);

// The menu entry's name (norv-smena.desktop) and icon: the desktop ties the windows to the
// entry by it, and the window class (the application's name) is its StartupWMClass.
inline const QString kDesktopEntryName = QStringLiteral("norv-smena");
void tieToDesktopEntry();

// The start-up order: the journal Form1 first, whose creation makes the data module
// (opening the built-in connection) and then the login window Form23, the application's
// main window, visible at once; then every other window, once each, none shown.
class Program {
public:
    explicit Program(const AppArguments& arguments);
    ~Program();

    Form1& journal() { return *journal_; }
    Form23& login() { return *login_; }
    Form3& products() { return *form3_; }
    Form4& operations() { return *form4_; }
    Form5& workers() { return *form5_; }
    Form8& operationTypes() { return *form8_; }
    Form9& operationTypeEditor() { return *form9_; }
    Form10& priceEditor() { return *form10_; }
    Form11& entry() { return *form11_; }
    Form19& timesheet() { return *form19_; }
    Form15& printedTimesheet() { return *form15_; }
    Form18& reports() { return *form18_; }
    Form22& norms() { return *form22_; }
    Form24& materials() { return *form24_; }

private:
    void createWindows(Form1& journal);

    AppArguments arguments_;
    std::unique_ptr<Form23> login_;
    std::unique_ptr<Form1> journal_;
    // the windows over the journal's data module; they go before it
    std::unique_ptr<Form3> form3_;
    std::unique_ptr<Form4> form4_;
    std::unique_ptr<Form5> form5_;
    std::unique_ptr<Form8> form8_;
    std::unique_ptr<Form9> form9_;
    std::unique_ptr<Form10> form10_;
    std::unique_ptr<Form11> form11_;
    // the printed reports are no windows; the report window previews them
    std::unique_ptr<Form16> form16_;
    std::unique_ptr<Form17> form17_;
    std::unique_ptr<Form20> form20_;
    std::unique_ptr<Form21> form21_;
    std::unique_ptr<Form25> form25_;
    std::unique_ptr<Form18> form18_;
    std::unique_ptr<Form15> form15_;
    std::unique_ptr<Form19> form19_;
    std::unique_ptr<Form22> form22_;
    std::unique_ptr<Form24> form24_;
};
