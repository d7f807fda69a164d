#include "lookup_combo_box.h"

#include "data/conversions.h"
#include "data/dataset.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QListView>
#include <QSignalBlocker>
#include <QWheelEvent>

namespace ui {

namespace {

bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// The first run of digits in an entry's text: "1042" of "Заявка № 1042 от 05.03.2026".
QStringView numberOf(const QString& text) {
    qsizetype begin = 0;
    while (begin < text.size() && !isAsciiDigit(text[begin]))
        ++begin;
    qsizetype end = begin;
    while (end < text.size() && isAsciiDigit(text[end]))
        ++end;
    return QStringView(text).mid(begin, end - begin);
}

// The open list of a lookup box finds its entries by number too.
class NumberSearchList : public QListView {
public:
    using QListView::QListView;

    void keyboardSearch(const QString& search) override {
        if (search.size() != 1 || !isAsciiDigit(search[0])) {
            QListView::keyboardSearch(search);
            return;
        }
        QStringList texts;
        for (int row = 0; row < model()->rowCount(rootIndex()); ++row)
            texts << model()->index(row, modelColumn(), rootIndex()).data().toString();
        const int row = NumberTyping::entryFor(texts, typing_.add(search));
        if (row >= 0)
            setCurrentIndex(model()->index(row, modelColumn(), rootIndex()));
    }

private:
    NumberTyping typing_;
};

} // namespace

QString NumberTyping::add(const QString& digit) {
    if (!since_.isValid() || since_.elapsed() > QApplication::keyboardInputInterval())
        typed_.clear();
    since_.restart();
    typed_ += digit;
    return typed_;
}

int NumberTyping::entryFor(const QStringList& texts, const QString& digits) {
    int beginning = -1;
    for (int i = 0; i < texts.size(); ++i) {
        const QStringView number = numberOf(texts[i]);
        if (number == digits)
            return i;
        if (beginning < 0 && number.startsWith(digits))
            beginning = i;
    }
    return beginning;
}

bool NumberTyping::isDigitKey(const QKeyEvent& key) {
    return key.text().size() == 1 && isAsciiDigit(key.text()[0]) &&
           !(key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

LookupComboBox::LookupComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(false);
    setMaxVisibleItems(20);
    // a list of a few hundred requisitions opens as a scrolling list, not across the screen
    setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(20);
    setView(new NumberSearchList(this));
    connect(this, qOverload<int>(&QComboBox::activated), this,
            [this](int index) { takeEntry(index); });
}

void LookupComboBox::bind(data::Dataset* dataset, const QString& keyField,
                          const QString& listField) {
    for (const auto& c : connections_)
        disconnect(c);
    connections_.clear();
    dataset_ = dataset;
    keyField_ = keyField;
    listField_ = listField;
    if (dataset_)
        connections_ << connect(dataset_, &data::Dataset::reset, this, &LookupComboBox::rebuild);
    rebuild();
}

void LookupComboBox::rebuild() {
    const QSignalBlocker quiet(this);
    clear();
    if (!dataset_ || !dataset_->isOpen())
        return;
    const int keyColumn = dataset_->fieldIndex(keyField_);
    const int listColumn = dataset_->fieldIndex(listField_);
    if (keyColumn < 0 || listColumn < 0)
        return;
    int shown = -1;
    for (int row = 0; row < dataset_->recordCount(); ++row) {
        const qint64 key = dataset_->valueAt(row, keyColumn).toLongLong();
        addItem(data::withoutPadding(dataset_->textAt(row, listColumn)), key); // at KeyRole
        if (key == key_ && key_ != 0 && shown < 0)
            shown = row;
    }
    setCurrentIndex(shown);
}

void LookupComboBox::setKeyValue(qint64 key) {
    key_ = key;
    keyedChoice_ = false;
    const int index = key == 0 ? -1 : findData(key, KeyRole);
    {
        const QSignalBlocker quiet(this);
        setCurrentIndex(index);
    }
    if (index >= 0 && dataset_ && dataset_->currentRow() != index)
        dataset_->setRecNo(index + 1);
}

void LookupComboBox::takeEntry(int index) {
    if (index < 0 || index >= count())
        return;
    key_ = itemData(index, KeyRole).toLongLong();
    if (dataset_ && dataset_->isOpen() && dataset_->currentRow() != index)
        dataset_->setRecNo(index + 1);
}

void LookupComboBox::choose(int index) {
    if (index >= 0 && index < count()) {
        setCurrentIndex(index);
        takeEntry(index);
    }
    keyedChoice_ = false;
    emit listClosed();
}

void LookupComboBox::keyPressEvent(QKeyEvent* event) {
    if (NumberTyping::isDigitKey(*event)) {
        QStringList texts;
        for (int i = 0; i < count(); ++i)
            texts << itemText(i);
        const int index = NumberTyping::entryFor(texts, numberTyping_.add(event->text()));
        if (index >= 0 && index != currentIndex()) {
            setCurrentIndex(index);
            takeEntry(index);
            keyedChoice_ = true;
        }
        event->accept();
        return;
    }
    // the arrow keys, Home, End and letters step through the entries as in any box
    const int before = currentIndex();
    QComboBox::keyPressEvent(event);
    if (currentIndex() != before)
        keyedChoice_ = true;
}

// A window losing the focus is no choice: the box still has it when the window comes back.
void LookupComboBox::focusOutEvent(QFocusEvent* event) {
    QComboBox::focusOutEvent(event);
    numberTyping_ = {};
    if (!keyedChoice_ || listShown_ || event->reason() == Qt::ActiveWindowFocusReason ||
        event->reason() == Qt::PopupFocusReason)
        return;
    keyedChoice_ = false;
    emit listClosed();
}

void LookupComboBox::showPopup() {
    listShown_ = true;
    QComboBox::showPopup();
}

void LookupComboBox::hidePopup() {
    QComboBox::hidePopup();
    if (!listShown_)
        return;
    listShown_ = false;
    keyedChoice_ = false;
    // the choice made in the list is taken first (activated comes after the list hides)
    QMetaObject::invokeMethod(this, &LookupComboBox::listClosed, Qt::QueuedConnection);
}

namespace {

class WheelToKeys : public QObject {
public:
    explicit WheelToKeys(QWidget* dialog) : QObject(dialog), dialog_(dialog) {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Wheel || !dialog_->isActiveWindow())
            return QObject::eventFilter(watched, event);
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget->window() != dialog_)
            return QObject::eventFilter(watched, event);
        auto* lookup = qobject_cast<LookupComboBox*>(dialog_->focusWidget());
        if (!lookup)
            return QObject::eventFilter(watched, event);
        const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
        if (delta == 0)
            return true;
        QKeyEvent press(QEvent::KeyPress, delta < 0 ? Qt::Key_Down : Qt::Key_Up, Qt::NoModifier);
        QApplication::sendEvent(lookup, &press);
        return true;
    }

private:
    QWidget* dialog_;
};

} // namespace

void turnFocusedLookupsByWheel(QWidget* dialog) {
    new WheelToKeys(dialog);
}

} // namespace ui
