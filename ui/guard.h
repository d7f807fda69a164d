#pragma once

#include "activity.h"

#include "data/data_error.h"
#include "eventlog/event_log.h"
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

// What a person is told of an error that is no refusal: what failed and what to do. The
// technical text goes behind "Показать подробности", and into the program's log.
inline const QString kServerRefused =
    QStringLiteral("Сервер базы данных не разрешил это действие вашей учётной записи. Если оно "
                   "нужно вам для работы, обратитесь к администратору.");
inline const QString kStatementFailed =
    QStringLiteral("Сервер базы данных не смог выполнить действие. Повторите его; если ошибка "
                   "повторится, сообщите администратору время ошибки: подробности записаны в "
                   "протокол программы.");
inline const QString kUnexpectedError =
    QStringLiteral("Непредвиденная ошибка программы: действие не выполнено до конца. Сообщите "
                   "администратору время ошибки: подробности записаны в протокол программы.");

// The sentence of a data error that is no refusal, by its class: the connection lost, the
// server refused the login's rights, a statement failed, or the program itself failed.
inline QString failureText(const data::DataError& e) {
    if (e.isConnectionLost())
        return data::kConnectionLost;
    if (e.isPermissionDenied())
        return kServerRefused;
    if (!e.sqlState().isEmpty())
        return kStatementFailed;
    return kUnexpectedError;
}

// Shows a data error that is no refusal, the technical text as its detail.
inline void showFailure(const data::DataError& e) {
    const QString text = failureText(e);
    if (e.message() == text)
        seams::Messages::current().error(text, seams::kErrorCaption);
    else
        seams::Messages::current().errorWithDetail(text, e.message(), seams::kErrorCaption);
}

// The log's line of an error shown to a person who was doing what `during` says.
inline void logShown(const Activity& during, eventlog::Kind kind, const QString& message,
                     const QString& sqlState = {}) {
    eventlog::write({.kind = kind,
                     .window = during.window,
                     .action = during.action,
                     .message = message,
                     .sqlState = sqlState});
}
inline void logShown(const Activity& during, const data::DataError& e) {
    logShown(during,
             e.isRuleRefusal() || e.isNotANumber() ? eventlog::Kind::Refusal
                                                   : eventlog::Kind::Error,
             e.message(), e.sqlState());
}

// Runs an event handler; an error it does not catch ends the handler, is written to the log
// with what the person did to start it, and is shown (a refusal as above, anything else as
// its class's sentence with the technical text as detail), and the program goes on (what was
// written stays written).
template <typename F> void runGuarded(F&& handler) {
    // noted now: windows the handler opens note their own input meanwhile
    const Activity started = lastActivity();
    try {
        std::forward<F>(handler)();
    } catch (const Refusal& r) {
        logShown(started, eventlog::Kind::Refusal, r.text());
        seams::Messages::current().error(r.text(), seams::kErrorCaption);
    } catch (const files::WriteError& e) {
        logShown(started, eventlog::Kind::Error, e.sentence() + u'\n' + e.detail());
        seams::Messages::current().errorWithDetail(e.sentence(), e.detail(), seams::kErrorCaption);
    } catch (const data::DataError& e) {
        logShown(started, e);
        if (!showRefusal(e))
            showFailure(e);
    } catch (const std::exception& e) {
        const QString what = QString::fromLocal8Bit(e.what());
        logShown(started, eventlog::Kind::Error, what);
        seams::Messages::current().errorWithDetail(kUnexpectedError, what, seams::kErrorCaption);
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
