#pragma once

#include "positions.h"
#include "ui/dataset_model.h"

#include <QColor>
#include <QString>

namespace journal {

// The journal's colours as designed for a light palette; the grid and the marked boxes make
// the texts on them readable on the palette in use (ui/cell_colours.h).
inline const QColor kAcceptedGreen(0, 128, 0); // an accepted position, the chosen shift
inline const QColor kOpenRed(255, 0, 0);       // a position not accepted, a day off

// The status cell "OK" of a position: bold, green when a master has accepted it ("ok", or
// "да" of older data), else red. status is the stored value, without its padding.
inline ui::CellStyle acceptanceStyle(const QString& status) {
    return {.textColor = statusShownAccepted(status) ? kAcceptedGreen : kOpenRed, .bold = true};
}

} // namespace journal
