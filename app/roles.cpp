#include "roles.h"

#include "journal/journal_window.h"

#include <QAction>
#include <QWidget>

namespace {

void enableWidgets(Form1& journal, std::initializer_list<const char*> names, bool on) {
    for (const char* name : names)
        if (QWidget* w = journal.findChild<QWidget*>(QLatin1String(name)))
            w->setEnabled(on);
}

void enableActions(Form1& journal, std::initializer_list<const char*> names, bool on) {
    for (const char* name : names)
        if (QAction* a = journal.findChild<QAction*>(QLatin1String(name)))
            a->setEnabled(on);
}

} // namespace

void applyRole(Form1& journal, ui::LoginRole role) {
    using ui::LoginRole;
    const bool edit = role == LoginRole::Administrator || role == LoginRole::Clerk;
    const bool accept = role == LoginRole::Administrator || role == LoginRole::Master;
    const bool directories = edit;
    const bool reports = role != LoginRole::Master;

    enableWidgets(journal, {"Button1", "Button2", "Button3"}, edit);
    enableWidgets(journal, {"Button5"}, accept);
    enableActions(journal, {"N2", "N11"}, directories);
    enableActions(journal, {"N7"}, reports);
    if (role == LoginRole::Economist)
        enableWidgets(journal,
                      {"RadioButton1", "RadioButton2", "RadioButton3", "RadioButton4", "CBox1",
                       "Button8", "DBGrid2", "DateT"},
                      false);
}
