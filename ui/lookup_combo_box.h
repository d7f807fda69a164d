#pragma once

#include <QComboBox>
#include <QList>
#include <QMetaObject>
#include <QPointer>
#include <QString>

namespace data {
class Dataset;
}

namespace ui {

// A lookup box over a dataset: its entries are the list field of the dataset's visible rows,
// and it holds the key field of the chosen one. A key that no visible row has (0 for "none")
// shows nothing. Choosing an entry moves the dataset to that row, so the dataset's current
// row is the choice. The entries follow the dataset (opened, closed, filtered).
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
    // The list was closed by the person, after a choice or without one.
    void listClosed();

private:
    void rebuild();
    void takeEntry(int index);

    QPointer<data::Dataset> dataset_;
    QString keyField_;
    QString listField_;
    qint64 key_ = 0;
    bool listShown_ = false; // the toolkit also hides a list that was never shown
    QList<QMetaObject::Connection> connections_;
};

// While the dialog is the active window, the mouse wheel turns whichever of its lookup boxes
// has the focus one entry on, as the Down and Up keys do (without the list being closed).
void turnFocusedLookupsByWheel(QWidget* dialog);

} // namespace ui
