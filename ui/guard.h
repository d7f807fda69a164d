#pragma once

#include "data/data_error.h"
#include "files/write_failure.h"
#include "seams/messages.h"

#include <exception>
#include <functional>
#include <stdexcept>
#include <utility>

namespace ui {

// What a person is told when another session held the data past the lock timeout.
inline const QString kDataBusy =
    QStringLiteral("Данные заняты другим рабочим местом. Повторите позже.");
// A typed text that is no number: what to type instead.
inline const QString kNotANumberText = QStringLiteral("Введите число, например 12,5.");
inline const QString kNotAWholeNumberText = QStringLiteral("Введите целое число, например 8.");
inline const QString kValueOutOfRange = QStringLiteral("Значение не входит в допустимые пределы.");

// A window's own check refused what was typed: the text goes to an error box "Ошибка" and
// the handler ends before anything is written.
class Refusal : public std::runtime_error {
public:
    explicit Refusal(const QString& text) : std::runtime_error(text.toStdString()), text_(text) {}
    const QString& text() const { return text_; }

private:
    QString text_;
};

namespace detail {
inline bool hasCyrillic(const QString& text) {
    for (QChar c : text)
        if (c.script() == QChar::Script_Cyrillic)
            return true;
    return false;
}
} // namespace detail

// The one place where a refusal of the database becomes a message: the database's own rules
// and values out of range show the server's primary text (its Russian; a plain check
// constraint speaks English, so that goes behind a Russian sentence as its detail), data held
// by another workstation says so, and a text that is no number says so, the technical text as
// detail. True
// when the error was one of these and is shown.
inline bool showRefusal(const data::DataError& e) {
    seams::Messages& messages = seams::Messages::current();
    if (e.isRuleRefusal()) {
        const QString& primary = e.primaryMessage();
        if (detail::hasCyrillic(primary))
            messages.error(primary, seams::kErrorCaption);
        else
            messages.errorWithDetail(kValueOutOfRange, e.message(), seams::kErrorCaption);
        return true;
    }
    if (e.isBusy()) {
        messages.error(kDataBusy, seams::kErrorCaption);
        return true;
    }
    if (e.isNotANumber()) {
        messages.errorWithDetail(e.wantedWholeNumber() ? kNotAWholeNumberText : kNotANumberText,
                                 e.message(), seams::kErrorCaption);
        return true;
    }
    return false;
}

// Runs an event handler; an error it does not catch ends the handler and is shown (a refusal
// as above, anything else in the standard error box), and the program goes on (what was
// written stays written).
template <typename F> void runGuarded(F&& handler) {
    try {
        std::forward<F>(handler)();
    } catch (const Refusal& r) {
        seams::Messages::current().error(r.text(), seams::kErrorCaption);
    } catch (const files::WriteError& e) {
        seams::Messages::current().errorWithDetail(e.sentence(), e.detail(), seams::kErrorCaption);
    } catch (const data::DataError& e) {
        if (!showRefusal(e))
            seams::Messages::current().standardError(e.message());
    } catch (const std::exception& e) {
        seams::Messages::current().standardError(QString::fromLocal8Bit(e.what()));
    }
}

// A slot wrapper for connect(): guarded([this] { saveHeader(); }).
template <typename F> auto guarded(F handler) {
    return [handler = std::move(handler)]() { runGuarded(handler); };
}

// Runs a write that the database may refuse because another workstation has changed the
// same data meanwhile: refused tells such an error (e.g. &data::DataError::isUniqueViolation).
// To the person here that is what the window's own check would have found, so its message
// is shown and the result is false. Any other error goes on to the caller.
inline bool writeRefusing(const std::function<void()>& write,
                          bool (data::DataError::*refused)() const, const QString& message) {
    try {
        write();
        return true;
    } catch (const data::DataError& e) {
        if (!(e.*refused)())
            throw;
        seams::Messages::current().error(message, seams::kErrorCaption);
        return false;
    }
}

// A unique index refused the row: the duplicate the editor counts for.
inline bool writeRefusingDuplicate(const std::function<void()>& write,
                                   const QString& duplicateMessage) {
    return writeRefusing(write, &data::DataError::isUniqueViolation, duplicateMessage);
}

// A foreign key refused the deletion: the row is in use, which the window counts for first.
inline bool writeRefusingUsed(const std::function<void()>& write, const QString& usedMessage) {
    return writeRefusing(write, &data::DataError::isForeignKeyViolation, usedMessage);
}

} // namespace ui
