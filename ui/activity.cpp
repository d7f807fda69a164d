#include "activity.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QShortcut>

#include <algorithm>

namespace ui {

namespace {

// Without the mnemonic's '&' ("&&" is a '&' of its own) and a label's closing ':'.
QString plain(QString text) {
    const QChar kept(0xE000);
    text.replace(QStringLiteral("&&"), kept);
    text.remove(u'&');
    text.replace(kept, u'&');
    text = text.trimmed();
    if (text.endsWith(u':'))
        text.chop(1);
    return text;
}

bool hasLetter(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); });
}

QString actionName(const QAction* action) {
    const QString text = plain(action->text());
    return text.isEmpty() ? action->shortcut().toString(QKeySequence::NativeText) : text;
}

// The control a person sees: Qt's own inner parts (a view's viewport, a date box's line edit,
// a combo box's popup list) stand for the control they belong to.
const QWidget* visibleControl(const QWidget* widget) {
    while (widget->parentWidget() &&
           (widget->objectName().isEmpty() || widget->objectName().startsWith(u"qt_")) &&
           (!widget->isWindow() || widget->windowType() == Qt::Popup))
        widget = widget->parentWidget();
    return widget;
}

QString inControl(const QString& what, const QWidget* widget) {
    return what + QStringLiteral(" в «") + controlName(visibleControl(widget)) + u'»';
}

bool isModifierKey(int key) {
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt ||
           key == Qt::Key_Meta || key == Qt::Key_AltGr || key == Qt::Key_CapsLock;
}

QString keyAction(const QKeyEvent* key, const QWidget* target) {
    const bool pressing =
        key->key() == Qt::Key_Space || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (const auto* button = qobject_cast<const QAbstractButton*>(target); button && pressing)
        return controlName(button);
    if (const auto* menu = qobject_cast<const QMenu*>(target); menu && pressing) {
        if (const QAction* chosen = menu->activeAction())
            return actionName(chosen);
    }
    const Qt::KeyboardModifiers commands = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    const QString text = key->text();
    if (!text.isEmpty() && text.at(0).isPrint() && !(key->modifiers() & commands))
        return inControl(QStringLiteral("ввод"), target);
    // both keys are Enter on the keyboard
    const QKeyCombination pressed = key->key() == Qt::Key_Return
                                        ? QKeyCombination(key->modifiers(), Qt::Key_Enter)
                                        : key->keyCombination();
    return inControl(QKeySequence(pressed).toString(QKeySequence::NativeText), target);
}

QString mouseAction(const QMouseEvent* mouse, const QWidget* target) {
    if (const auto* menu = qobject_cast<const QMenu*>(target)) {
        const QAction* chosen = menu->activeAction();
        return chosen ? actionName(chosen) : QString();
    }
    if (qobject_cast<const QMenuBar*>(target))
        return {}; // it only opens a menu
    if (const auto* button = qobject_cast<const QAbstractButton*>(target))
        return controlName(button);
    return inControl(mouse->type() == QEvent::MouseButtonDblClick ? QStringLiteral("двойной щелчок")
                                                                  : QStringLiteral("щелчок"),
                     target);
}

QString shortcutAction(QObject* owner, const QShortcutEvent* shortcut, const QWidget*& window) {
    if (auto* action = qobject_cast<QAction*>(owner)) {
        for (QObject* o : action->associatedObjects())
            if (auto* w = qobject_cast<QWidget*>(o)) {
                window = w;
                break;
            }
        return actionName(action);
    }
    if (auto* button = qobject_cast<QAbstractButton*>(owner)) {
        window = button;
        return controlName(button);
    }
    if (qobject_cast<QShortcut*>(owner))
        window = qobject_cast<QWidget*>(owner->parent());
    return shortcut->key().toString(QKeySequence::NativeText);
}

// Notes each input once, where it lands first: a key at the focused widget (or the open
// popup), a click at the innermost widget under the pointer; the copies passed on to parents
// are not input of their own.
class ActivityWatch : public QObject {
public:
    using QObject::QObject;
    Activity last;
    bool noted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::Shortcut: {
            const QWidget* where = nullptr;
            const QString action =
                shortcutAction(watched, static_cast<QShortcutEvent*>(event), where);
            note(where, action);
            break;
        }
        case QEvent::KeyPress: {
            auto* widget = qobject_cast<QWidget*>(watched);
            const auto* key = static_cast<QKeyEvent*>(event);
            if (widget && !isModifierKey(key->key()) &&
                (widget == QApplication::focusWidget() ||
                 widget == QApplication::activePopupWidget()))
                note(widget, keyAction(key, widget));
            break;
        }
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick: {
            auto* widget = qobject_cast<QWidget*>(watched);
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (widget && mouse->button() == Qt::LeftButton &&
                !widget->childAt(mouse->position().toPoint()))
                note(widget, mouseAction(mouse, widget));
            break;
        }
        default:
            break;
        }
        return false;
    }

private:
    void note(const QWidget* where, const QString& action) {
        if (action.isEmpty())
            return;
        last = {where ? windowName(where) : QString(), action};
        noted = true;
    }
};

QPointer<ActivityWatch> watch;

} // namespace

void watchActivity() {
    if (watch || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    watch = new ActivityWatch(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(watch);
}

Activity lastActivity() {
    if (watch && watch->noted)
        return watch->last;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return {};
    const QWidget* active = QApplication::activeModalWidget();
    if (!active)
        active = QApplication::activeWindow();
    return {active ? windowName(active) : QString(), {}};
}

QString controlName(const QWidget* widget) {
    const auto* button = qobject_cast<const QAbstractButton*>(widget);
    if (button && hasLetter(button->text()))
        return plain(button->text());
    if (!widget->accessibleName().isEmpty())
        return widget->accessibleName();
    for (const QLabel* label : widget->window()->findChildren<QLabel*>())
        if (label->buddy() == widget && hasLetter(label->text()))
            return plain(label->text());
    if (!widget->toolTip().isEmpty())
        return plain(widget->toolTip());
    if (button && !button->text().isEmpty())
        return button->text();
    return widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                          : widget->objectName();
}

void logChange(eventlog::Kind kind, const QWidget* button, const QString& what) {
    eventlog::write({.kind = kind,
                     .window = windowName(button),
                     .action = controlName(button),
                     .message = what});
}

QString windowName(const QWidget* widget) {
    const QWidget* window = widget->window();
    while (window->windowType() == Qt::Popup && window->parentWidget())
        window = window->parentWidget()->window();
    return window->windowTitle().isEmpty() ? window->objectName() : window->windowTitle();
}

} // namespace ui
