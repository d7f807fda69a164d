#include "date_box.h"

namespace ui {

namespace {

// Every digit of the format typed: only then is it a day or none.
bool complete(const QString& text, const QString& format) {
    if (text.size() != format.size())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (QStringView(u"dMy").contains(format[i]) != text[i].isDigit())
            return false;
    return true;
}

} // namespace

bool DateBox::showsADay() const {
    return QDate::fromString(text(), displayFormat()).isValid();
}

QValidator::State DateBox::validate(QString& input, int& pos) const {
    // the box's own rule would move the day into the month (31.02 to 28.02 or 03.02)
    if (complete(input, displayFormat()) && !QDate::fromString(input, displayFormat()).isValid())
        return QValidator::Intermediate;
    return QDateEdit::validate(input, pos);
}

} // namespace ui
