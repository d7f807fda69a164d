#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QLineEdit;

namespace data {
class Dataset;
}

namespace ui {

// The search box of a list window. Every change of its text sets the list's client-side
// filter (the database is not asked again); Up and Down move the list's current row; the
// window's key policy says what the box does with the other keys.
class IncrementalSearch : public QObject {
    Q_OBJECT
public:
    enum class Keys {
        // Only editing: typed characters, Backspace and the clipboard keys change the text;
        // caret keys, Home, End and Delete do nothing. Enter, Escape and Tab still reach the
        // dialog's default and cancel buttons and the focus chain.
        TypingOnly,
        // Up and Down are taken for the list; every other key acts as in any edit box.
        TakeUpDownOnly,
    };

    // The filter for the text as typed; an empty result switches the filter off.
    using FilterRule = std::function<QString(const QString& typed)>;

    // "<column> like '<typed>%'": the rows whose column begins with the typed text. The
    // only place a typed text enters a filter: its apostrophes are doubled, so "O'Brien"
    // is searched for rather than breaking the expression.
    static QString prefixFilter(const QString& column, const QString& typed);
    // The rule of most list windows: empty text shows every row, any other text (untrimmed)
    // the rows that begin with it.
    static FilterRule prefixRule(const QString& column);

    // Filters through the box's dataset as the text changes from now on; the box owns this.
    IncrementalSearch(QLineEdit* box, data::Dataset* dataset, FilterRule rule, Keys keys);

    // Sets the filter for the box's present text (a window that must re-apply it calls this).
    void apply();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QLineEdit> box_;
    data::Dataset* dataset_;
    FilterRule rule_;
    Keys keys_;
};

} // namespace ui
