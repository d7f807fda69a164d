#include "decimal_edit.h"

#include <QEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>

namespace ui {

namespace {

class NumberKeys : public QObject {
public:
    NumberKeys(QLineEdit* box, bool decimal) : QObject(box), box_(box), decimal_(decimal) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != box_ || event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        auto* key = static_cast<QKeyEvent*>(event);
        // pasting would bring in what typing may not
        if (key->matches(QKeySequence::Paste))
            return true;
        const QString text = key->text();
        if (text.size() != 1 || !text[0].isPrint())
            return false; // Backspace, caret keys, Enter, Escape, Tab, shortcuts
        const QChar ch = text[0];
        if (ch >= u'0' && ch <= u'9')
            return false;
        if (decimal_ && !box_->isReadOnly() && (ch == u'.' || ch == u','))
            box_->insert(QStringLiteral(","));
        return true;
    }

private:
    QLineEdit* box_;
    bool decimal_;
};

} // namespace

void useDecimalKeys(QLineEdit* box) {
    box->installEventFilter(new NumberKeys(box, true));
}

void useWholeNumberKeys(QLineEdit* box) {
    box->installEventFilter(new NumberKeys(box, false));
}

} // namespace ui
