#pragma once

#include <QPushButton>
#include <QString>

#include <functional>

namespace ui {

// The export button counts its lines as "Excel (written из total)", keeping its mnemonic
// (Alt+E); the counter repaints at once, as the window takes no other input meanwhile.
inline std::function<void(int, int)> exportCounter(QPushButton* button) {
    return [button](int written, int total) {
        button->setText(QStringLiteral("&Excel (%1 из %2)").arg(written).arg(total));
        button->repaint();
    };
}

} // namespace ui
