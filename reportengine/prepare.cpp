// Laying a report out on pages: the definition compiled against the rows, then one walk
// over the rows that evaluates, measures and places every band. Band heights are fixed, so
// a page break is arithmetic on integer heights; each decision first asks for the room of
// what must stay together (headers with their first row, the last row with its footers, or
// a whole kept group) and breaks the page before it when that fits on a new page.
#include "data/conversions.h"
#include "reportengine/expression.h"
#include "reportengine/prepared_report.h"
#include "reportengine/report_error.h"
#include "reportengine/rows.h"

#include <QFontMetricsF>
#include <QHash>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <cmath>
#include <optional>
#include <tuple>
#include <utility>

namespace report {

namespace {

constexpr double kUnitsPerPoint = 25.4 * kUnitsPerMm / 72;

// A font of the report and what cutting and placing its texts needs. Fonts are sized in
// pixels of 0.01 mm, so measuring needs no device and the painter's one scale fits them.
struct MeasuredFont {
    explicit MeasuredFont(const QFont& f) : font(f), metrics(f) {}
    qreal width(const QString& text) {
        auto it = widths.constFind(text);
        if (it == widths.constEnd())
            it = widths.insert(text, metrics.horizontalAdvance(text));
        return *it;
    }

    QFont font;
    QFontMetricsF metrics;
    QHash<QString, qreal> widths; // the same day numbers and names come again and again
};

class FontTable {
public:
    int index(const Font& f) {
        for (size_t i = 0; i < keys_.size(); ++i) {
            const Font& k = keys_[i];
            if (k.family == f.family && k.pointSize == f.pointSize && k.bold == f.bold &&
                k.italic == f.italic)
                return int(i);
        }
        keys_.push_back(f);
        fonts_.emplace_back(pageFont(f));
        return int(keys_.size() - 1);
    }
    MeasuredFont& at(int index) { return fonts_[size_t(index)]; }
    const Font& key(int index) const { return keys_[size_t(index)]; }
    std::vector<QFont> fonts() const {
        std::vector<QFont> list;
        for (const MeasuredFont& f : fonts_)
            list.push_back(f.font);
        return list;
    }

private:
    std::vector<Font> keys_;
    std::vector<MeasuredFont> fonts_;
};

class PenTable {
public:
    int index(int width, const QColor& color, LineStyle style) {
        const bool dotted = style == LineStyle::Dotted;
        for (size_t i = 0; i < pens_.size(); ++i) {
            const QPen& p = pens_[i];
            if (p.width() == width && p.color() == color && (p.style() == Qt::DotLine) == dotted)
                return int(i);
        }
        // Flat caps keep dots round and apart; square caps close the corners of frames.
        pens_.emplace_back(color, width, dotted ? Qt::DotLine : Qt::SolidLine,
                           dotted ? Qt::FlatCap : Qt::SquareCap);
        return int(pens_.size() - 1);
    }
    // Dotted lines are drawn first, so a solid rule on the same spot stays solid.
    int rank(int pen) const { return pens_[size_t(pen)].style() == Qt::DotLine ? 0 : 1; }
    const std::vector<QPen>& pens() const { return pens_; }

private:
    std::vector<QPen> pens_;
};

// Adjoining bands give the same rule twice (one band's line below, the next one's above) and
// a grid's vertical rules in pieces; joined, the page draws what a hand-drawn table would.
void joinLines(std::vector<LineItem>& lines, const PenTable& pens) {
    struct Segment {
        int rank, pen;
        bool vertical;
        int at, from, to;
    };
    std::vector<Segment> segments;
    segments.reserve(lines.size());
    for (const LineItem& item : lines) {
        const QLine& l = item.line;
        const bool vertical = l.x1() == l.x2();
        const int at = vertical ? l.x1() : l.y1();
        const int a = vertical ? l.y1() : l.x1();
        const int b = vertical ? l.y2() : l.x2();
        segments.push_back({pens.rank(item.pen), item.pen, vertical, at, qMin(a, b), qMax(a, b)});
    }
    std::sort(segments.begin(), segments.end(), [](const Segment& x, const Segment& y) {
        return std::tie(x.rank, x.pen, x.vertical, x.at, x.from) <
               std::tie(y.rank, y.pen, y.vertical, y.at, y.from);
    });
    lines.clear();
    for (size_t i = 0; i < segments.size();) {
        Segment s = segments[i++];
        while (i < segments.size() && segments[i].pen == s.pen &&
               segments[i].vertical == s.vertical && segments[i].at == s.at &&
               segments[i].from <= s.to)
            s.to = qMax(s.to, segments[i++].to);
        lines.push_back(
            {s.vertical ? QLine(s.at, s.from, s.at, s.to) : QLine(s.from, s.at, s.to, s.at),
             s.pen});
    }
}

// A text on one line: control characters would otherwise print as boxes. Trailing blanks go
// (char(n) fields arrive padded to their width), so a centred or right-aligned text sits by
// what is printed of it.
QString oneLine(QString text) {
    for (QChar& c : text)
        if (c.unicode() < 0x20)
            c = u' ';
    return data::withoutPadding(std::move(text));
}

// The longest start of text, ending at a character boundary, no wider than room.
QString fitted(MeasuredFont& font, const QString& text, qreal room, qreal* width) {
    *width = font.width(text);
    if (*width <= room)
        return text;
    if (room <= 0)
        return QString();
    std::vector<qsizetype> boundaries;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    for (qsizetype at = finder.toNextBoundary(); at > 0 && at < text.size();
         at = finder.toNextBoundary())
        boundaries.push_back(at);
    // Binary search for the last boundary whose prefix fits.
    size_t low = 0, high = boundaries.size();
    qreal fitWidth = 0;
    while (low < high) {
        const size_t mid = (low + high) / 2;
        const qreal w = font.metrics.horizontalAdvance(text.left(boundaries[mid]));
        if (w <= room) {
            low = mid + 1;
            fitWidth = w;
        } else {
            high = mid;
        }
    }
    if (low == 0)
        return QString();
    *width = fitWidth;
    return text.left(boundaries[low - 1]);
}

struct CompiledCell {
    const Cell* cell;
    std::optional<Expression> expression;
    NumberFormat format;
    int font;
};

struct CompiledBand {
    const Band* band = nullptr;
    int level = 0; // 0: the report's own bands, g + 1: group g's, groups + 1: the detail
    std::vector<CompiledCell> cells;
    int height() const { return band ? band->height : 0; }
};

struct CompiledGroup {
    int keyColumn = -1; // -1: no key, never breaks
    CompiledBand header;
    CompiledBand footer;
    bool keep = false;
};

class Preparer {
public:
    Preparer(const Report& report, const Rows& rows);
    void run();

    QPageLayout layout;
    FontTable fonts;
    PenTable pens;
    std::vector<Page> pages;
    std::vector<UnfitText> clipped;
    std::vector<UnfitText> shrunk;

private:
    CompiledBand compile(const std::optional<Band>& band, int level, const QString& name);
    void checkHeight(const CompiledBand& band, const QString& name) const;
    void findBreaks();

    int groupCount() const { return int(groups_.size()); }
    bool lastOfInnermost(int row) const;
    int headersHeight(int from, int to) const;
    int footersHeight(int from) const;
    int closingHeight(int row) const;
    int keptGroupHeight(int group, int row) const;

    void openGroups(int from, int row);
    void closeGroups(int from, int lastRow);
    void emptyReport();
    void accumulate(int row);
    void restart(int level);

    void ensureRoom(int height, int row);
    void place(CompiledBand& band, int row);
    void startPage(int row);
    void finishPage();
    void emitBand(CompiledBand& band, int top, int row);
    void emitText(Page& page, CompiledCell& cell, const QRect& rect, QString value, bool number);
    int smallerFont(int font, const QString& text, qreal room);
    void emitFrame(Page& page, const QRect& rect, const Frame& frame);

    const Report& report_;
    const Rows& rows_;
    int rowCount_ = 0;
    int width_ = 0;  // printable width
    int height_ = 0; // printable height

    CompiledBand heading_;
    std::vector<CompiledGroup> groups_;
    CompiledBand detail_;
    CompiledBand summary_;
    CompiledBand pageFooter_;
    std::vector<std::pair<int, Expression*>> aggregated_; // (level, expression with sums)

    // breakLevel_[r]: the outermost group that starts again at row r; groupCount() if none.
    std::vector<int> breakLevel_;

    int y_ = 0;
    int bodyStart_ = 0;  // below the heading of the current page
    int bodyBottom_ = 0; // above the page footer
    int freshRoom_ = 0;  // body height of a page that follows the first
    int lastRow_ = -1;   // the latest row placed, for the page footer
};

Preparer::Preparer(const Report& report, const Rows& rows) : report_(report), rows_(rows) {
    const QPageSize size(report.pageSize);
    const bool landscape = report.orientation == Orientation::Landscape;
    const QSizeF paper = size.size(QPageSize::Millimeter);
    const QSizeF sheet = landscape ? paper.transposed() : paper;
    const Margins& m = report.margins;
    width_ = qRound(sheet.width() * kUnitsPerMm) - m.left - m.right;
    height_ = qRound(sheet.height() * kUnitsPerMm) - m.top - m.bottom;
    if (width_ <= 0 || height_ <= 0)
        throw ReportError(QStringLiteral("Поля отчёта не оставляют места для печати"));
    layout = QPageLayout(size, landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                         QMarginsF(m.left, m.top, m.right, m.bottom) / kUnitsPerMm,
                         QPageLayout::Millimeter);

    const int detailLevel = int(report.groups.size()) + 1;
    heading_ = compile(report.heading, 0, QStringLiteral("заголовок"));
    for (size_t g = 0; g < report.groups.size(); ++g) {
        const Group& group = report.groups[g];
        CompiledGroup compiled;
        if (!group.keyField.isEmpty()) {
            compiled.keyColumn = rows.fieldIndex(group.keyField);
            if (compiled.keyColumn < 0)
                throw ReportError(
                    QStringLiteral("Неизвестное поле группы «%1»").arg(group.keyField));
        }
        const QString number = QString::number(g + 1);
        compiled.header =
            compile(group.header, int(g) + 1, QStringLiteral("заголовок группы %1").arg(number));
        compiled.footer =
            compile(group.footer, int(g) + 1, QStringLiteral("итог группы %1").arg(number));
        compiled.keep = group.keepHeaderWithFooter;
        groups_.push_back(std::move(compiled));
    }
    detail_ = compile(report.detail, detailLevel, QStringLiteral("строка данных"));
    summary_ = compile(report.summary, 0, QStringLiteral("итог отчёта"));
    pageFooter_ = compile(report.pageFooter, 0, QStringLiteral("низ страницы"));

    bodyBottom_ = height_ - pageFooter_.height();
    freshRoom_ = bodyBottom_ - (report.headingOnEveryPage ? heading_.height() : 0);
    checkHeight(detail_, QStringLiteral("строка данных"));
    checkHeight(summary_, QStringLiteral("итог отчёта"));
    for (size_t g = 0; g < groups_.size(); ++g) {
        checkHeight(groups_[g].header, QStringLiteral("заголовок группы"));
        checkHeight(groups_[g].footer, QStringLiteral("итог группы"));
    }

    // Only now are the bands in place for good, so pointers to their expressions hold.
    auto collect = [this](CompiledBand& band) {
        for (CompiledCell& cell : band.cells)
            if (cell.expression && cell.expression->hasAggregates())
                aggregated_.emplace_back(band.level, &*cell.expression);
    };
    collect(heading_);
    for (CompiledGroup& group : groups_) {
        collect(group.header);
        collect(group.footer);
    }
    collect(detail_);
    collect(summary_);
    collect(pageFooter_);
}

CompiledBand Preparer::compile(const std::optional<Band>& band, int level, const QString& name) {
    CompiledBand compiled;
    compiled.level = level;
    if (!band)
        return compiled;
    if (band->height < 0)
        throw ReportError(QStringLiteral("Отрицательная высота полосы «%1»").arg(name));
    compiled.band = &*band;
    for (const Cell& cell : band->cells) {
        std::optional<Expression> expression;
        if (!cell.expression.isEmpty())
            expression = Expression::compile(cell.expression, rows_);
        compiled.cells.push_back({&cell, std::move(expression), NumberFormat::parse(cell.format),
                                  fonts.index(cell.font)});
    }
    return compiled;
}

// A band higher than a page's body could never be placed; the first page's heading counts
// even when it is printed only once.
void Preparer::checkHeight(const CompiledBand& band, const QString& name) const {
    const int room = bodyBottom_ - heading_.height();
    if (band.height() > room)
        throw ReportError(QStringLiteral("Полоса «%1» высотой %2 мм не помещается на страницу "
                                         "(остаётся %3 мм)")
                              .arg(name)
                              .arg(band.height() / double(kUnitsPerMm))
                              .arg(room / double(kUnitsPerMm)));
}

void Preparer::findBreaks() {
    const int groups = groupCount();
    breakLevel_.assign(size_t(rowCount_), groups);
    if (rowCount_ > 0)
        breakLevel_[0] = 0;
    std::vector<QVariant> previous(static_cast<size_t>(groups));
    for (int r = 0; r < rowCount_; ++r) {
        for (int g = 0; g < groups; ++g) {
            const int column = groups_[size_t(g)].keyColumn;
            if (column < 0)
                continue;
            QVariant key = rows_.isNull(r, column) ? QVariant() : rows_.value(r, column);
            if (r > 0 && breakLevel_[size_t(r)] == groups && key != previous[size_t(g)])
                breakLevel_[size_t(r)] = g;
            previous[size_t(g)] = std::move(key);
        }
    }
}

bool Preparer::lastOfInnermost(int row) const {
    return row + 1 == rowCount_ || breakLevel_[size_t(row) + 1] < groupCount();
}

int Preparer::headersHeight(int from, int to) const {
    int h = 0;
    for (int g = from; g < to; ++g)
        h += groups_[size_t(g)].header.height();
    return h;
}

int Preparer::footersHeight(int from) const {
    int h = 0;
    for (int g = from; g < groupCount(); ++g)
        h += groups_[size_t(g)].footer.height();
    return h;
}

// What follows the row before the next one: the footers that close there, and at the end
// the report's summary.
int Preparer::closingHeight(int row) const {
    if (row + 1 == rowCount_)
        return footersHeight(0) + summary_.height();
    return footersHeight(breakLevel_[size_t(row) + 1]);
}

// The height from group's header at row to the footers after its last row; stops counting
// once it is more than a page can hold.
int Preparer::keptGroupHeight(int group, int row) const {
    const int groups = groupCount();
    int h = headersHeight(group, groups) + detail_.height();
    int last = row;
    for (int r = row + 1; r < rowCount_ && breakLevel_[size_t(r)] > group; ++r) {
        const int level = breakLevel_[size_t(r)];
        h += footersHeight(level) + headersHeight(level, groups) + detail_.height();
        last = r;
        if (h > freshRoom_)
            return h;
    }
    return h + closingHeight(last);
}

void Preparer::openGroups(int from, int row) {
    const int groups = groupCount();
    bool kept = false;
    for (int g = from; g < groups && !kept; ++g) {
        if (!groups_[size_t(g)].keep)
            continue;
        const int h = headersHeight(from, g) + keptGroupHeight(g, row);
        if (h <= freshRoom_) {
            ensureRoom(h, row);
            kept = true;
        }
    }
    if (!kept)
        ensureRoom(headersHeight(from, groups) + detail_.height() +
                       (lastOfInnermost(row) ? closingHeight(row) : 0),
                   row);
    for (int g = from; g < groups; ++g)
        place(groups_[size_t(g)].header, row);
}

// Innermost first, each footer still showing its own group's last row; the sums of a
// level start again only after its footer is out.
void Preparer::closeGroups(int from, int lastRow) {
    for (int g = groupCount() - 1; g >= from; --g) {
        place(groups_[size_t(g)].footer, lastRow);
        restart(g + 1);
    }
}

// No rows: the groups without a key still open and close (the heading and the report's
// end), with zero sums.
void Preparer::emptyReport() {
    int open = 0;
    while (open < groupCount() && groups_[size_t(open)].keyColumn < 0)
        ++open;
    for (int g = 0; g < open; ++g)
        place(groups_[size_t(g)].header, -1);
    for (int g = open - 1; g >= 0; --g)
        place(groups_[size_t(g)].footer, -1);
    place(summary_, -1);
}

void Preparer::accumulate(int row) {
    const Scope scope{&rows_, row, int(pages.size())};
    for (auto& [level, expression] : aggregated_)
        expression->accumulate(scope);
}

void Preparer::restart(int level) {
    for (auto& [bandLevel, expression] : aggregated_)
        if (bandLevel >= level)
            expression->restart();
}

void Preparer::run() {
    rowCount_ = rows_.rowCount();
    findBreaks();
    const int groups = groupCount();
    startPage(rowCount_ > 0 ? 0 : -1);
    if (rowCount_ == 0) {
        emptyReport();
    } else {
        for (int r = 0; r < rowCount_; ++r) {
            const int level = breakLevel_[size_t(r)];
            if (r > 0 && level < groups)
                closeGroups(level, r - 1);
            if (r == 0 || level < groups)
                openGroups(level, r);
            else if (lastOfInnermost(r))
                ensureRoom(detail_.height() + closingHeight(r), r);
            accumulate(r);
            place(detail_, r);
        }
        closeGroups(0, rowCount_ - 1);
        place(summary_, rowCount_ - 1);
    }
    finishPage();
}

// A page is begun only for something to put on it, and never twice for the same spot.
void Preparer::ensureRoom(int height, int row) {
    if (height > bodyBottom_ - y_ && height <= freshRoom_ && y_ > bodyStart_) {
        finishPage();
        startPage(row);
    }
}

void Preparer::place(CompiledBand& band, int row) {
    if (!band.band)
        return;
    ensureRoom(band.height(), row);
    emitBand(band, y_, row);
    y_ += band.height();
    if (row >= 0)
        lastRow_ = row;
}

void Preparer::startPage(int row) {
    pages.emplace_back();
    y_ = 0;
    if (heading_.band && (pages.size() == 1 || report_.headingOnEveryPage)) {
        emitBand(heading_, 0, row);
        y_ = heading_.height();
    }
    bodyStart_ = y_;
}

void Preparer::finishPage() {
    if (pageFooter_.band)
        emitBand(pageFooter_, height_ - pageFooter_.height(), lastRow_);
    joinLines(pages.back().lines, pens);
}

void Preparer::emitBand(CompiledBand& compiled, int top, int row) {
    Page& page = pages.back();
    const Band& band = *compiled.band;
    const Scope scope{&rows_, row, int(pages.size())};
    if (band.background.isValid())
        page.fills.push_back({QRect(0, top, width_, band.height), band.background});
    for (CompiledCell& c : compiled.cells) {
        const Cell& cell = *c.cell;
        const QRect rect(cell.x, top + cell.y, cell.width,
                         cell.height > 0 ? cell.height : band.height - cell.y);
        if (cell.background.isValid())
            page.fills.push_back({rect, cell.background});
        if (c.expression) {
            const Value value = c.expression->evaluate(scope);
            emitText(page, c, rect, valueText(value, c.format),
                     !cell.format.isEmpty() || value.kind == Value::Kind::Number);
        } else {
            emitText(page, c, rect, cell.text, !cell.format.isEmpty());
        }
        emitFrame(page, rect, cell.frame);
    }
    emitFrame(page, QRect(0, top, width_, band.height), band.frame);
    for (const Rule& rule : band.rules) {
        const int pen = pens.index(rule.width, rule.color, rule.style);
        switch (rule.kind) {
        case Rule::Kind::Above:
            page.lines.push_back({QLine(0, top, width_, top), pen});
            break;
        case Rule::Kind::Below:
            page.lines.push_back({QLine(0, top + band.height, width_, top + band.height), pen});
            break;
        case Rule::Kind::Vertical:
            page.lines.push_back({QLine(rule.x, top, rule.x, top + band.height), pen});
            break;
        }
    }
}

// A text wider than its room is cut; a number gets a smaller font first, and is cut only
// when even the smallest cannot hold it. Both are recorded, so a layout too narrow for its
// numbers is found by a test rather than by a person reading a wrong sum.
void Preparer::emitText(Page& page, CompiledCell& c, const QRect& rect, QString value,
                        bool number) {
    if (value.isEmpty())
        return;
    const Cell& cell = *c.cell;
    const qreal room = cell.width - 2 * cell.padding;
    const QString whole = oneLine(std::move(value));
    int fontIndex = c.font;
    qreal width = 0;
    QString text = fitted(fonts.at(fontIndex), whole, room, &width);
    if (text.size() < whole.size()) {
        if (number) {
            fontIndex = smallerFont(c.font, whole, room);
            text = fitted(fonts.at(fontIndex), whole, room, &width);
        }
        UnfitText unfit{int(pages.size()) - 1,
                        cell.expression.isEmpty() ? cell.text : cell.expression,
                        whole,
                        text,
                        fonts.key(fontIndex).pointSize,
                        number};
        if (text.size() < whole.size())
            clipped.push_back(std::move(unfit));
        else
            shrunk.push_back(std::move(unfit));
    }
    if (text.isEmpty())
        return;
    const MeasuredFont& font = fonts.at(fontIndex);
    qreal x = rect.x() + cell.padding;
    if (cell.align == Align::Right)
        x = rect.x() + cell.width - cell.padding - width;
    else if (cell.align == Align::Center)
        x = rect.x() + (cell.width - width) / 2;
    const qreal ascent = font.metrics.ascent();
    const qreal baseline =
        rect.y() + (rect.height() - (ascent + font.metrics.descent())) / 2 + ascent;
    page.texts.push_back({QPointF(x, baseline), fontIndex, cell.color, text});
}

// The largest size in half points, down to kSmallestNumberPoints, whose font holds text in
// room; the smallest when none does. Widths grow with the size, so the first guess scales
// the size by the room and the steps after it are few.
int Preparer::smallerFont(int font, const QString& text, qreal room) {
    Font smaller = fonts.key(font);
    const double smallest = qMin(smaller.pointSize, kSmallestNumberPoints);
    const double guess = std::floor(smaller.pointSize * room / fonts.at(font).width(text) * 2) / 2;
    smaller.pointSize = qMax(smallest, qMin(guess, smaller.pointSize - 0.5));
    for (;;) {
        const int index = fonts.index(smaller);
        if (smaller.pointSize <= smallest || fonts.at(index).width(text) <= room)
            return index;
        smaller.pointSize = qMax(smallest, smaller.pointSize - 0.5);
    }
}

void Preparer::emitFrame(Page& page, const QRect& rect, const Frame& frame) {
    if (frame.sides == NoSides)
        return;
    const int pen = pens.index(frame.width, frame.color, LineStyle::Solid);
    const int left = rect.x(), top = rect.y();
    const int right = left + rect.width(), bottom = top + rect.height();
    if (frame.sides & LeftSide)
        page.lines.push_back({QLine(left, top, left, bottom), pen});
    if (frame.sides & TopSide)
        page.lines.push_back({QLine(left, top, right, top), pen});
    if (frame.sides & RightSide)
        page.lines.push_back({QLine(right, top, right, bottom), pen});
    if (frame.sides & BottomSide)
        page.lines.push_back({QLine(left, bottom, right, bottom), pen});
}

} // namespace

QFont pageFont(const Font& f) {
    QFont font(f.family);
    font.setPixelSize(qMax(1, qRound(f.pointSize * kUnitsPerPoint)));
    font.setBold(f.bold);
    font.setItalic(f.italic);
    font.setHintingPreference(QFont::PreferNoHinting); // the widths of the page, not a screen
    return font;
}

PreparedReport PreparedReport::prepare(const Report& report, const Rows& rows) {
    Preparer preparer(report, rows);
    preparer.run();
    PreparedReport prepared;
    prepared.layout_ = preparer.layout;
    prepared.fonts_ = preparer.fonts.fonts();
    prepared.pens_ = preparer.pens.pens();
    prepared.pages_ = std::move(preparer.pages);
    prepared.clipped_ = std::move(preparer.clipped);
    prepared.shrunk_ = std::move(preparer.shrunk);
    return prepared;
}

} // namespace report
