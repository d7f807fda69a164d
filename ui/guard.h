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

// Runs a write that a unique index may refuse because another workstation has written the
// same meanwhile: to the person here that is the duplicate the editor checks for, so its
// message is shown and the result is false. Any other error goes on to the caller.
inline bool writeRefusingDuplicate(const std::function<void()>& write,
                                   const QString& duplicateMessage) {
    try {
        write();
        return true;
    } catch (const data::DataError& e) {
        if (!e.isUniqueViolation())
            throw;
        seams::Messages::current().error(duplicateMessage, seams::kErrorCaption);
        return false;
    }
}

} // namespace ui
