#pragma once

#include <QComboBox>
#include <QElapsedTimer>
#include <QList>
#include <QMetaObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class QKeyEvent;

namespace data {
class Dataset;
}

namespace ui {

// Entries that differ only in their number ("Заявка № 1042 от …", "3. Шкаф …") are found by
// typing the number: the digits typed in quick succession go to the first entry whose number
// (its first run of digits) is exactly them, else to the first whose number begins with them.
class NumberTyping {
public:
    // The digits typed so far with this one; a pause longer than the desktop's keyboard
    // interval starts anew.
    QString add(const QString& digit);
    // The entry for the digits among texts; -1 when none has such a number.
    static int entryFor(const QStringList& texts, const QString& digits);
    // True when the key event's text is one digit typed without Ctrl, Alt or Meta.
    static bool isDigitKey(const QKeyEvent& key);

private:
    QString typed_;
    QElapsedTimer since_;
};

// A lookup box over a dataset: its entries are the list field of the dataset's visible rows,
// and it holds the key field of the chosen one. A key that no visible row has (0 for "none")
// shows nothing. Choosing an entry moves the dataset to that row, so the dataset's current
// row is the choice. The entries follow the dataset (opened, closed, filtered).
//
// By the keyboard an entry is found by typing its number (NumberTyping), in the closed box and
// in its open list, or stepped to with the arrow keys; such a choice counts as the person's
// once the focus leaves the box (listClosed() then follows), so Tab takes it.
class LookupComboBox : public QComboBox {
    Q_OBJECT
public:
    // The key of an entry, as the item's data.
    static constexpr int KeyRole = Qt::UserRole;

    explicit LookupComboBox(QWidget* parent = nullptr);

    void bind(data::Dataset* dataset, const QString& keyField, const QString& listField);
    data::Dataset* dataset() const { return dataset_; }

    qint64 keyValue() const { return key_; }
    // Shows the entry with that key; nothing when no entry has it. Moves the dataset there.
    void setKeyValue(qint64 key);
    // True while an entry is shown.
    bool showsText() const { return currentIndex() >= 0; }

    // What the person does with the list: picks the entry at index (a visible row) and
    // closes the list; listClosed() follows.
    void choose(int index);

    void showPopup() override;
    void hidePopup() override;

signals:
    // The list was closed by the person, after a choice or without one; or the focus left the
    // box after an entry was chosen by the keyboard.
    void listClosed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void rebuild();
    void takeEntry(int index);

    QPointer<data::Dataset> dataset_;
    QString keyField_;
    QString listField_;
    qint64 key_ = 0;
    bool listShown_ = false;   // the toolkit also hides a list that was never shown
    bool keyedChoice_ = false; // an entry chosen by the keyboard, not yet taken by listClosed
    NumberTyping numberTyping_;
    QList<QMetaObject::Connection> connections_;
};

// While the dialog is the active window, the mouse wheel turns whichever of its lookup boxes
// has the focus one entry on, as the Down and Up keys do (without the list being closed).
void turnFocusedLookupsByWheel(QWidget* dialog);

} // namespace ui
