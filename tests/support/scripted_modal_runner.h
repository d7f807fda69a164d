#pragma once

#include "seams/modal_runner.h"

#include <QDialog>
#include <QList>

#include <functional>
#include <utility>

// Instead of a modal loop: shows the window, runs the next script on it (what the
// person would do inside), hides it and returns its result. Without a script the
// window is only shown and hidden again (as if closed at once).
class ScriptedModalRunner : public seams::ModalRunner {
public:
    using Script = std::function<void(QDialog*)>;

    ScriptedModalRunner() { install(this); }
    ~ScriptedModalRunner() override {
        if (&current() == this)
            install(nullptr);
    }

    void then(Script script) { scripts_.append(std::move(script)); }
    int exec(QDialog* dialog) override {
        opened.append(dialog->objectName());
        dialog->setResult(0);
        dialog->show();
        if (!scripts_.isEmpty())
            scripts_.takeFirst()(dialog);
        dialog->hide();
        return dialog->result();
    }
    QList<QString> opened; // objectNames, in order
    int pending() const { return int(scripts_.size()); }

private:
    QList<Script> scripts_;
};
