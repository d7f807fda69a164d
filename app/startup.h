#pragma once

#include "app_arguments.h"

#include <memory>

class Form1;
class Form23;
class QApplication;

// Russian number and date formats and Qt's own buttons ("Да", "Нет") in Russian.
void setupRussianLocale(QApplication& app);

// The start-up order: the journal Form1 first, whose creation makes the data module
// (opening the built-in connection) and then the login window Form23, the application's
// main window, visible at once; then every other window, once each, none shown.
class Program {
public:
    explicit Program(const AppArguments& arguments);
    ~Program();

    Form1& journal() { return *journal_; }
    Form23& login() { return *login_; }

private:
    AppArguments arguments_;
    std::unique_ptr<Form23> login_;
    std::unique_ptr<Form1> journal_;
};
