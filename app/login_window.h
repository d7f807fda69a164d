#pragma once

#include "app_arguments.h"

#include <QDialog>

namespace Ui {
class Form23;
}
class Form1;

// The login window: the application's main window. "Вход" connects, decides the role
// and shows the journal modally; when the journal closes, the program ends.
class Form23 : public QDialog {
    Q_OBJECT
public:
    Form23(Form1& journal, const AppArguments& arguments, QWidget* parent = nullptr);
    ~Form23() override;

    // The connection failure text: "Подключение к БД отсутсвует (сервер: …, БД: …)".
    QString connectionFailureText() const;

protected:
    bool event(QEvent* event) override;

private:
    void on_Button1_clicked();
    void fillCaption();

    Ui::Form23* ui;
    Form1& journal_;
    AppArguments arguments_;
};

// Leading and trailing blanks and control characters go, as the login trims them.
QString trimLoginText(const QString& text);
