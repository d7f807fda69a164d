#pragma once

#include <QDateEdit>

namespace ui {

// A date box that keeps a typed day the calendar does not have (31.02.2026) as typed instead
// of moving it to another day, so the window can refuse it; showsADay() tells which it is.
class DateBox : public QDateEdit {
    Q_OBJECT
public:
    using QDateEdit::QDateEdit;

    bool showsADay() const;

protected:
    QValidator::State validate(QString& input, int& pos) const override;
};

} // namespace ui
