#include "cell_colours.h"

#include <QApplication>
#include <QFont>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace ui {

namespace {

double linear(double channel) {
    return channel <= 0.03928 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

bool reads(const QColor& text, const QColor& background) {
    return contrastRatio(text, background) >= kReadableContrast;
}

QColor mixed(const QColor& from, const QColor& to, double share) {
    const auto mix = [share](int a, int b) { return int(std::lround(a + (b - a) * share)); };
    return {mix(from.red(), to.red()), mix(from.green(), to.green()), mix(from.blue(), to.blue())};
}

// The lightness of a colour, with a hue of 0 for grey (Qt gives -1).
struct Hsl {
    float hue = 0;
    float saturation = 0;
    float lightness = 0;

    static Hsl of(const QColor& colour) {
        Hsl hsl;
        colour.toHsl().getHslF(&hsl.hue, &hsl.saturation, &hsl.lightness);
        if (hsl.hue < 0) {
            hsl.hue = 0;
            hsl.saturation = 0;
        }
        return hsl;
    }
    // in 8-bit RGB, as it is painted
    QColor at(double lightness) const {
        return QColor(
            QColor::fromHslF(hue, saturation, float(std::clamp(lightness, 0.0, 1.0))).rgb());
    }
};

} // namespace

double relativeLuminance(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) +
           0.0722 * linear(rgb.blueF());
}

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool isDarkPalette(const QPalette& palette) {
    return relativeLuminance(palette.color(QPalette::Base)) <
           relativeLuminance(palette.color(QPalette::Text));
}

// Along the lightness, towards white or black (whichever reads better; one of them always
// does), reading starts at one point: the search finds it, then the 8-bit rounding is made
// good.
QColor readableOn(const QColor& wanted, const QColor& background) {
    if (!wanted.isValid() || !background.isValid() || reads(wanted, background))
        return wanted;
    const bool lighter =
        contrastRatio(Qt::white, background) >= contrastRatio(Qt::black, background);
    const Hsl hsl = Hsl::of(wanted);
    double failing = hsl.lightness;
    double reading = lighter ? 1.0 : 0.0;
    for (int step = 0; step < 24; ++step) {
        const double middle = (failing + reading) / 2;
        (reads(hsl.at(middle), background) ? reading : failing) = middle;
    }
    QColor result = hsl.at(reading);
    for (int step = 0; step < 255 && !reads(result, background); ++step) {
        reading += lighter ? 1.0 / 255 : -1.0 / 255;
        result = hsl.at(reading);
    }
    return result.isValid() && reads(result, background) ? result
                                                         : QColor(lighter ? Qt::white : Qt::black);
}

QColor tintFor(const QColor& lightTint, const QPalette& palette) {
    if (!lightTint.isValid() || !isDarkPalette(palette))
        return lightTint;
    const QColor accent = QColor::fromHslF(Hsl::of(lightTint).hue, 0.6F, 0.45F);
    return mixed(palette.color(QPalette::Base), accent, 0.3);
}

CellColours cellColours(const QColor& text, const QColor& tint, bool selected,
                        const QPalette& palette) {
    if (selected) {
        const QColor highlight = palette.color(QPalette::Highlight);
        return {text.isValid() ? readableOn(text, highlight)
                               : palette.color(QPalette::HighlightedText),
                highlight};
    }
    const QColor background =
        tint.isValid() ? tintFor(tint, palette) : palette.color(QPalette::Base);
    return {readableOn(text.isValid() ? text : palette.color(QPalette::Text), background),
            background};
}

QColor titleColour(const QColor& meaning, const QPalette& palette) {
    return readableOn(meaning, palette.color(QPalette::Button));
}

void markByBackground(QWidget* widget, bool marked, const QColor& colour) {
    QFont font = widget->font();
    font.setBold(marked);
    widget->setFont(font);
    if (marked) {
        // only these two roles: the others keep following the desktop's theme
        QPalette palette;
        palette.setColor(widget->backgroundRole(), colour);
        const QColor text = QApplication::palette(widget).color(widget->foregroundRole());
        palette.setColor(widget->foregroundRole(), readableOn(text, colour));
        widget->setPalette(palette);
    } else {
        widget->setPalette(QPalette());
    }
    widget->setAutoFillBackground(marked);
}

} // namespace ui
