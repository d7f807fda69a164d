#pragma once

#include "data/data_error.h"
#include "seams/messages.h"

#include <exception>
#include <utility>

namespace ui {

// Runs an event handler; an error it does not catch ends the handler and is shown in
// the standard error box, and the program goes on (what was written stays written).
template <typename F>
void runGuarded(F&& handler) {
    try {
        std::forward<F>(handler)();
    } catch (const data::DataError& e) {
        seams::Messages::current().standardError(e.message());
    } catch (const std::exception& e) {
        seams::Messages::current().standardError(QString::fromLocal8Bit(e.what()));
    }
}

// A slot wrapper for connect(): guarded([this] { on_Button1_clicked(); }).
template <typename F>
auto guarded(F handler) {
    return [handler = std::move(handler)]() { runGuarded(handler); };
}

} // namespace ui
