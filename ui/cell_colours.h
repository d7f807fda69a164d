#pragma once

#include <QColor>
#include <QPalette>

class QWidget;

namespace ui {

// The least contrast between a text and what is behind it (WCAG 2, level AA for body text).
inline constexpr double kReadableContrast = 4.5;

// WCAG 2 relative luminance (0 black ... 1 white) and the contrast of two colours (1 ... 21).
double relativeLuminance(const QColor& colour);
double contrastRatio(const QColor& a, const QColor& b);

// A palette whose base is darker than its text: a dark or a dark high-contrast theme.
bool isDarkPalette(const QPalette& palette);

// The colour that keeps the meaning of the wanted one (its hue and saturation) at the nearest
// lightness that reads on the background: the wanted colour itself when it already does.
QColor readableOn(const QColor& wanted, const QColor& background);

// A background that marks a meaning (overtime, totals): the light tint as designed on a
// light palette; on a dark one the tint's hue mixed into the palette's base, dark enough for
// the palette's light text.
QColor tintFor(const QColor& lightTint, const QPalette& palette);

// How a grid cell with a meaning is drawn. text and tint are the meaning (invalid: none);
// the result is what goes on screen: on the selection's highlight when selected, else on the
// tint made for the palette or on the palette's base, with a text colour that reads on it.
struct CellColours {
    QColor text;
    QColor background;
};
CellColours cellColours(const QColor& text, const QColor& tint, bool selected,
                        const QPalette& palette);

// The colour of a column title with a meaning, readable on the header's own background.
QColor titleColour(const QColor& meaning, const QPalette& palette);

// Marks a widget by its background (the chosen shift, a day off): the colour behind a bold
// caption in a colour that reads on it; unmarked, the standard look.
void markByBackground(QWidget* widget, bool marked, const QColor& colour);

} // namespace ui
