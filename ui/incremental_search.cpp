#include "incremental_search.h"

#include "data/dataset.h"
#include "data/filter_expression.h"
#include "guard.h"

#include <QKeyEvent>
#include <QLineEdit>

#include <utility>

namespace ui {

namespace {

// Keys that edit the text even where the box takes every other key-down: what the user
// types (Ctrl+V, C, X and Z count as typed, as in any edit box), and the keys the dialog
// or the focus chain must still see.
bool editsOrLeavesTheBox(const QKeyEvent& key) {
    switch (key.key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return true;
    default:
        break;
    }
    if (key.modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) {
        const int k = key.key();
        return (key.modifiers() & Qt::ControlModifier) &&
               (k == Qt::Key_V || k == Qt::Key_C || k == Qt::Key_X || k == Qt::Key_Z);
    }
    const QString text = key.text();
    if (text.isEmpty())
        return false;
    for (QChar ch : text)
        if (!ch.isPrint())
            return false;
    return true;
}

} // namespace

QString IncrementalSearch::prefixFilter(const QString& column, const QString& typed) {
    return column + QStringLiteral(" like '") + data::FilterExpression::quoteText(typed) +
           QStringLiteral("%'");
}

IncrementalSearch::FilterRule IncrementalSearch::prefixRule(const QString& column) {
    return [column](const QString& typed) {
        return typed.isEmpty() ? QString() : prefixFilter(column, typed);
    };
}

IncrementalSearch::IncrementalSearch(QLineEdit* box, data::Dataset* dataset, FilterRule rule,
                                     Keys keys)
    : QObject(box), box_(box), dataset_(dataset), rule_(std::move(rule)), keys_(keys) {
    box->installEventFilter(this);
    connect(box, &QLineEdit::textChanged, this, guarded([this] { apply(); }));
}

void IncrementalSearch::apply() {
    if (!box_)
        return;
    const QString expression = rule_(box_->text());
    if (expression.isEmpty()) {
        dataset_->setFiltered(false);
        return;
    }
    dataset_->setFilter(expression);
    dataset_->setFiltered(true);
}

bool IncrementalSearch::eventFilter(QObject* watched, QEvent* event) {
    if (watched != box_ || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Up) {
        dataset_->prior();
        return true;
    }
    if (key->key() == Qt::Key_Down) {
        dataset_->next();
        return true;
    }
    if (keys_ == Keys::TakeUpDownOnly)
        return false;
    return !editsOrLeavesTheBox(*key);
}

} // namespace ui
