#include "lookup_combo_box.h"

#include "data/conversions.h"
#include "data/dataset.h"

#include <QApplication>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QWheelEvent>

namespace ui {

LookupComboBox::LookupComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(false);
    setMaxVisibleItems(20);
    // a list of a few hundred requisitions opens as a scrolling list, not across the screen
    setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(20);
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
