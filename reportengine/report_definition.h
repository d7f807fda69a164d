#pragma once

#include <QColor>
#include <QPageSize>
#include <QString>

#include <optional>
#include <vector>

namespace report {

// A report's layout as plain data. Lengths are in units of 0.01 mm, so page arithmetic is
// integer and never drifts; x and y of a cell count from the left and top of its band.

inline constexpr int kUnitsPerMm = 100;
constexpr int mm(double millimetres) {
    return int(millimetres * kUnitsPerMm + (millimetres < 0 ? -0.5 : 0.5));
}

inline const QString kDefaultFontFamily = QStringLiteral("DejaVu Sans");
inline constexpr int kDefaultLineWidth = 20; // 0.2 mm: thin enough for dotted grids
inline constexpr int kDefaultCellPadding = 50;

struct Font {
    QString family = kDefaultFontFamily;
    double pointSize = 9;
    bool bold = false;
    bool italic = false;
};

enum class Align { Left, Center, Right };
enum class LineStyle { Solid, Dotted };

// Sides of a frame, combined with |.
enum Side : unsigned { NoSides = 0, LeftSide = 1, TopSide = 2, RightSide = 4, BottomSide = 8 };
inline constexpr unsigned kAllSides = LeftSide | TopSide | RightSide | BottomSide;

struct Frame {
    unsigned sides = NoSides;
    QColor color = Qt::black;
    int width = kDefaultLineWidth;
};

// A line across the band (above or below it, over the page's printable width) or a
// vertical one at x, from the band's top to its bottom.
struct Rule {
    enum class Kind { Above, Below, Vertical };
    Kind kind = Kind::Below;
    int x = 0; // only for Vertical
    LineStyle style = LineStyle::Solid;
    QColor color = Qt::black;
    int width = kDefaultLineWidth;
};

// A number that is wider than its cell is printed whole in a smaller font, down to this size;
// only a number even that size cannot hold is cut (and the prepared report records it).
inline constexpr double kSmallestNumberPoints = 6;

// One text field of a band. Its content is the expression's value, or when the expression
// is empty the literal text (labels, and texts the caller sets at run time). A format, or an
// expression whose value is a number, makes the content a number: never cut while a smaller
// font holds it. Any other text is cut at the cell's edge.
struct Cell {
    int x = 0;
    int width = 0;
    int y = 0;
    int height = 0; // 0: down to the band's bottom
    Align align = Align::Left;
    Font font;
    QColor color = Qt::black;
    QColor background; // invalid: none
    Frame frame;
    int padding = kDefaultCellPadding; // between the text and the cell's left and right edges
    QString format;                    // "#0.00", "#0.000", "#0"; empty: a plain number
    QString expression;
    QString text;
};

// A horizontal strip of fixed height; its texts are cut, never wrapped.
struct Band {
    int height = 0;
    QColor background; // invalid: none
    Frame frame;
    std::vector<Rule> rules;
    std::vector<Cell> cells;
};

// Rows are read already sorted; a group breaks when its key field's value changes. A group
// without a key never breaks: its header opens the report and its footer ends it, printed
// even when there are no rows.
struct Group {
    QString keyField;
    std::optional<Band> header;
    std::optional<Band> footer;
    // The whole group goes onto one page when it fits on one (meant for the innermost).
    bool keepHeaderWithFooter = false;
};

struct Margins {
    int left = mm(10);
    int top = mm(10);
    int right = mm(10);
    int bottom = mm(10);
};

enum class Orientation { Portrait, Landscape };

struct Report {
    QPageSize::PageSizeId pageSize = QPageSize::A4;
    Orientation orientation = Orientation::Portrait;
    Margins margins;
    std::optional<Band> heading;
    bool headingOnEveryPage = false;
    std::vector<Group> groups; // outer to inner
    std::optional<Band> detail;
    std::optional<Band> summary;    // after the last footer
    std::optional<Band> pageFooter; // at the bottom of every page
};

} // namespace report
