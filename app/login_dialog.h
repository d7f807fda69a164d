#pragma once

#include "data/connection.h"
#include "data/program_groups.h"
#include "data/site_settings.h"
#include "eventlog/event_log.h"

#include <QDialog>

namespace Ui {
class LoginDialog;
}
class JournalWindow;

// The login window: the application's main window. "Вход" connects with the name and
// password typed, takes the role from the login's groups and shows the journal modally; when
// the journal closes, the program ends. A refused login leaves the window open for another try.
class LoginDialog : public QDialog {
    Q_OBJECT
public:
    LoginDialog(JournalWindow& journal, const data::SiteSettings& site, QWidget* parent = nullptr);
    ~LoginDialog() override;

    // "Подключение к БД отсутсвует (сервер: …, БД: …)": no server answered, or it has no
    // such database.
    QString connectionFailureText() const;

    static inline const QString& kLoginRefused = data::kLoginRefusedText;
    static inline const QString& kNoProgramRights = data::kNoProgramRightsText;

protected:
    bool event(QEvent* event) override;

private:
    void logIn();
    bool connectAs(const QString& name, const QString& password);
    // A login that was not let in, in the program's log under the name typed.
    void logNotLetIn(eventlog::Kind kind, const QString& name, const QString& message,
                     const QString& sqlState = {}) const;
    void tryAgain();
    void fillCaption();
    // "host" or "host:port" when the port is not the usual one
    QString serverText() const;

    Ui::LoginDialog* ui;
    JournalWindow& journal_;
    data::SiteSettings site_;
};

// Leading and trailing blanks and control characters go, as the login trims them.
QString trimLoginText(const QString& text);
