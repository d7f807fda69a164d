// Every colour rule of the windows, drawn on a light, a dark and two high-contrast palettes:
// its text reads on what is behind it (WCAG contrast at least 4.5), a coloured text keeps its
// hue, and on the light palette the backgrounds are the designed ones.
#include "journal/journal_colours.h"
#include "tests/support/dark_palette.h"
#include "timesheet/day_colours.h"
#include "ui/cell_colours.h"

#include <QCheckBox>
#include <QRadioButton>
#include <QStyle>
#include <QStyleFactory>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

QPalette lightPalette() {
    const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
    return fusion->standardPalette();
}

QPalette highContrast(const QColor& base, const QColor& text, const QColor& highlight,
                      const QColor& highlightedText) {
    QPalette p;
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button})
        p.setColor(role, base);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(role, text);
    p.setColor(QPalette::Highlight, highlight);
    p.setColor(QPalette::HighlightedText, highlightedText);
    return p;
}

struct NamedPalette {
    const char* name;
    QPalette palette;
};

QList<NamedPalette> palettes() {
    return {
        {"light", lightPalette()},
        {"dark", darkDesktopPalette()},
        {"high contrast black",
         highContrast(Qt::black, Qt::white, QColor(26, 235, 255), Qt::black)},
        {"high contrast white", highContrast(Qt::white, Qt::black, QColor(55, 0, 110), Qt::white)}};
}

// What a rule puts on screen for a palette: a text on a background, and the meaning's text
// colour (invalid when the text is the palette's own).
struct Drawn {
    QColor text;
    QColor background;
    QColor meaning;
};
using Rule = std::function<Drawn(const QPalette&)>;

Rule cell(const ui::CellStyle& style, bool selected = false) {
    return [style, selected](const QPalette& palette) {
        const ui::CellColours c =
            ui::cellColours(style.textColor, style.background, selected, palette);
        return Drawn{c.text, c.background, style.textColor};
    };
}

Rule title(const QColor& meaning) {
    return [meaning](const QPalette& palette) {
        const QColor text = ui::titleColour(meaning, palette);
        return Drawn{text.isValid() ? text : palette.color(QPalette::ButtonText),
                     palette.color(QPalette::Button), meaning};
    };
}

// A widget marked by its background, as the journal marks them.
template <typename Box> Rule marked(const QColor& colour) {
    return [colour](const QPalette& palette) {
        QApplication::setPalette(palette);
        Box box;
        ui::markByBackground(&box, true, colour);
        const QPalette& p = box.palette();
        return Drawn{p.color(box.foregroundRole()), p.color(box.backgroundRole()), QColor()};
    };
}

} // namespace

Q_DECLARE_METATYPE(Rule)

class CellColoursTest : public QObject {
    Q_OBJECT
private slots:
    void everyRuleReads_data();
    void everyRuleReads();
    void lightPaletteKeepsTheDesignedLook();
    void readableOn_data();
    void readableOn();
    void unmarkedWidgetsTakeTheStandardLook();
};

void CellColoursTest::everyRuleReads_data() {
    using namespace timesheet;
    // April 2026: the 4th is a Saturday, the 6th a Monday, the 31st past its end
    const MonthShape april = MonthShape::of(4, 2026);
    const QList<std::pair<QString, Rule>> rules{
        {"time-sheet weekday, 0 hours", cell(dayCellStyle(6, 0, april))},
        {"time-sheet weekday, 4 hours", cell(dayCellStyle(6, 4, april))},
        {"time-sheet weekday, 8 hours", cell(dayCellStyle(6, 8, april))},
        {"time-sheet weekday, 12 hours", cell(dayCellStyle(6, 12, april))},
        {"time-sheet weekend, 0 hours", cell(dayCellStyle(4, 0, april))},
        {"time-sheet weekend, 8 hours", cell(dayCellStyle(4, 8, april))},
        {"time-sheet weekend, 12 hours", cell(dayCellStyle(4, 12, april))},
        {"time-sheet total", cell(totalCellStyle())},
        {"time-sheet title, weekday", title(dayTitleColour(6, april))},
        {"time-sheet title, weekend", title(dayTitleColour(4, april))},
        {"time-sheet title, past the end", title(dayTitleColour(31, april))},
        {"journal accepted", cell(journal::acceptanceStyle("ok"))},
        {"journal accepted, old data", cell(journal::acceptanceStyle("да"))},
        {"journal not accepted", cell(journal::acceptanceStyle("no"))},
        {"journal accepted, selected row", cell(journal::acceptanceStyle("ok"), true)},
        {"journal not accepted, selected row", cell(journal::acceptanceStyle("no"), true)},
        {"journal chosen shift", marked<QRadioButton>(journal::kAcceptedGreen)},
        {"journal day off", marked<QCheckBox>(journal::kOpenRed)},
    };
    QTest::addColumn<QPalette>("palette");
    QTest::addColumn<Rule>("rule");
    for (const NamedPalette& p : palettes())
        for (const auto& [name, rule] : rules)
            QTest::addRow("%s: %s", p.name, qPrintable(name)) << p.palette << rule;
}

void CellColoursTest::everyRuleReads() {
    QFETCH(QPalette, palette);
    QFETCH(Rule, rule);
    const Drawn drawn = rule(palette);
    QVERIFY(drawn.text.isValid() && drawn.background.isValid());
    const double contrast = ui::contrastRatio(drawn.text, drawn.background);
    QVERIFY2(contrast >= ui::kReadableContrast,
             qPrintable(QStringLiteral("%1 on %2: %3")
                            .arg(drawn.text.name(), drawn.background.name())
                            .arg(contrast, 0, 'f', 2)));
    // red stays red, green stays green: only the lightness moves
    if (drawn.meaning.isValid() && drawn.meaning.hslSaturation() > 0 &&
        drawn.text.hslSaturation() > 0)
        QCOMPARE(drawn.text.hslHue(), drawn.meaning.hslHue());
}

// On a light palette the backgrounds are the designed ones and what already read stays.
void CellColoursTest::lightPaletteKeepsTheDesignedLook() {
    using namespace timesheet;
    const QPalette light = lightPalette();
    const MonthShape april = MonthShape::of(4, 2026);
    QCOMPARE(ui::cellColours({}, kOvertimeGreen, false, light).background, kOvertimeGreen);
    QCOMPARE(ui::cellColours({}, kTotalBlue, false, light).background, kTotalBlue);
    QCOMPARE(ui::cellColours({}, kTotalBlue, false, light).text, light.color(QPalette::Text));
    QCOMPARE(ui::cellColours(journal::kAcceptedGreen, {}, false, light).text,
             journal::kAcceptedGreen);
    QCOMPARE(ui::cellColours(dayCellStyle(6, 8, april).textColor, {}, false, light).text,
             light.color(QPalette::Text));
    // a dark palette gets its own, darker tints of the same hue
    const QPalette dark = darkDesktopPalette();
    const QColor darkGreen = ui::tintFor(kOvertimeGreen, dark);
    QVERIFY(ui::relativeLuminance(darkGreen) < ui::relativeLuminance(kOvertimeGreen) / 4);
    QCOMPARE(darkGreen.hslHue(), kOvertimeGreen.hslHue());
}

void CellColoursTest::readableOn_data() {
    QTest::addColumn<QColor>("wanted");
    QTest::addColumn<QColor>("background");
    QTest::addColumn<QString>("expected"); // "same", "darker", "lighter"
    QTest::newRow("black on white reads") << QColor(Qt::black) << QColor(Qt::white) << "same";
    QTest::newRow("red on white, 4.0") << QColor(255, 0, 0) << QColor(Qt::white) << "darker";
    QTest::newRow("red on dark grey") << QColor(255, 0, 0) << QColor(42, 42, 42) << "lighter";
    QTest::newRow("black on green, 4.1") << QColor(Qt::black) << QColor(0, 128, 0) << "lighter";
    QTest::newRow("white on light blue") << QColor(Qt::white) << QColor(225, 228, 255) << "darker";
    QTest::newRow("silver on white") << QColor(192, 192, 192) << QColor(Qt::white) << "darker";
    QTest::newRow("grey on its own grey")
        << QColor(128, 128, 128) << QColor(128, 128, 128) << "darker";
}

void CellColoursTest::readableOn() {
    QFETCH(QColor, wanted);
    QFETCH(QColor, background);
    QFETCH(QString, expected);
    const QColor got = ui::readableOn(wanted, background);
    QVERIFY(ui::contrastRatio(got, background) >= ui::kReadableContrast);
    if (expected == "same")
        QCOMPARE(got, wanted);
    else if (expected == "darker")
        QVERIFY(got.lightnessF() < wanted.lightnessF());
    else
        QVERIFY(got.lightnessF() > wanted.lightnessF());
    // nearest: one step less would not read
    if (expected != "same") {
        const int step = expected == "darker" ? 3 : -3;
        const QColor lessMoved = QColor::fromHsl(got.hslHue() < 0 ? 0 : got.hslHue(),
                                                 got.hslSaturation(), got.lightness() + step);
        QVERIFY(ui::contrastRatio(lessMoved, background) < ui::kReadableContrast);
    }
    QVERIFY(!ui::readableOn(QColor(), background).isValid());
}

void CellColoursTest::unmarkedWidgetsTakeTheStandardLook() {
    QApplication::setPalette(darkDesktopPalette());
    QRadioButton box;
    ui::markByBackground(&box, true, journal::kAcceptedGreen);
    QVERIFY(box.font().bold());
    QVERIFY(box.autoFillBackground());
    QCOMPARE(box.palette().color(box.backgroundRole()), journal::kAcceptedGreen);
    ui::markByBackground(&box, false, journal::kAcceptedGreen);
    QVERIFY(!box.font().bold());
    QVERIFY(!box.autoFillBackground());
    QCOMPARE(box.palette().color(box.foregroundRole()),
             darkDesktopPalette().color(box.foregroundRole()));
}

QTEST_MAIN(CellColoursTest)
#include "cell_colours_test.moc"
