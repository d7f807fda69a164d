#pragma once
// A person at the keyboard: key presses typed one after another into whichever widget has the
// focus, through every window they open. It stands in for the modal loop: a window opened
// modally is shown and made the active window, takes the presses until it closes, and hands
// the activation back to the window below it, as the desktop does.

#include "seams/modal_runner.h"

#include <QApplication>
#include <QDialog>
#include <QKeyCombination>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QtTest>

#include <functional>
#include <utility>

class KeyboardWalk : public seams::ModalRunner {
public:
    KeyboardWalk() { install(this); }
    ~KeyboardWalk() override {
        if (&current() == this)
            install(nullptr);
    }
    KeyboardWalk(const KeyboardWalk&) = delete;
    KeyboardWalk& operator=(const KeyboardWalk&) = delete;

    // One press: a key with its modifiers, a chord counting once ("Ctrl+Enter").
    KeyboardWalk& press(QKeyCombination chord) {
        steps_.append({chord, {}, {}});
        return *this;
    }
    // Characters typed, one press each.
    KeyboardWalk& type(const QString& text) {
        for (QChar c : text)
            steps_.append({QKeyCombination(Qt::Key(c.toUpper().unicode())), QString(c), {}});
        return *this;
    }
    // A look at the windows between two presses; no press.
    KeyboardWalk& check(std::function<void()> look) {
        steps_.append({QKeyCombination(), {}, std::move(look)});
        return *this;
    }
    // The presses so far: marks between which the presses are counted.
    int mark() const { return int(presses()); }

    // Runs the steps that are left in the window shown now (not a modal one), as the person
    // would in front of it.
    void walk(QWidget* window) {
        activate(window);
        while (next_ < steps_.size() && window->isVisible())
            step();
    }

    int exec(QDialog* dialog) override {
        QPointer<QWidget> below = QApplication::activeWindow();
        opened << dialog->objectName();
        dialog->setResult(0);
        dialog->show();
        activate(dialog);
        while (next_ < steps_.size() && dialog->isVisible())
            step();
        dialog->hide();
        if (below && below->isVisible())
            activate(below);
        return dialog->result();
    }

    bool finished() const { return next_ == steps_.size(); }
    qsizetype presses() const {
        qsizetype n = 0;
        for (qsizetype i = 0; i < next_; ++i)
            n += steps_[i].look ? 0 : 1;
        return n;
    }
    // Where each press went: "window/widget key", one line each, to read when a walk fails.
    QStringList trace;
    QStringList opened; // objectNames of the windows opened modally, in order

private:
    struct Step {
        QKeyCombination chord;
        QString text;
        std::function<void()> look;
    };

    static void activate(QWidget* window) {
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window))
            qWarning("%s did not become active", qPrintable(window->objectName()));
    }

    void step() {
        const Step s = steps_[next_++];
        if (s.look) {
            s.look();
            return;
        }
        // an open list (a popup) takes the keys, as the desktop gives them to it
        QWidget* target = QApplication::activePopupWidget();
        if (target && target->focusWidget())
            target = target->focusWidget();
        if (!target)
            target = QApplication::focusWidget();
        if (!target)
            target = QApplication::activeWindow();
        if (!target)
            qFatal("a key press with no window to take it");
        trace << QStringLiteral("%1/%2 %3")
                     .arg(target->window()->objectName(), target->objectName(),
                          s.text.isEmpty() ? QKeySequence(s.chord).toString() : s.text);
        QTest::sendKeyEvent(QTest::Click, target, s.chord.key(), s.text,
                            s.chord.keyboardModifiers());
        // what the key queued runs before the next one, as between a person's key presses
        QCoreApplication::processEvents();
    }

    QList<Step> steps_;
    qsizetype next_ = 0;
};
