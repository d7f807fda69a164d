#pragma once

#include "data/data_error.h"
#include "seams/messages.h"

#include <exception>
#include <functional>
#include <utility>

namespace ui {

// Runs an event handler; an error it does not catch ends the handler and is shown in
// the standard error box, and the program goes on (what was written stays written).
template <typename F> void runGuarded(F&& handler) {
    try {
        std::forward<F>(handler)();
    } catch (const data::DataError& e) {
        seams::Messages::current().standardError(e.message());
    } catch (const std::exception& e) {
        seams::Messages::current().standardError(QString::fromLocal8Bit(e.what()));
    }
}

// A slot wrapper for connect(): guarded([this] { on_Button1_clicked(); }).
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
