#pragma once

#include "reportengine/report_definition.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QLine>
#include <QPageLayout>
#include <QPen>
#include <QPointF>
#include <QRect>
#include <QString>

#include <vector>

class QPainter;
class QPagedPaintDevice;
class QPrinter;
class QWidget;

namespace files {
class AtomicFile;
}

namespace report {

class Rows;

// A page as positioned items, in 0.01 mm from the top left corner of the printable area.
// Painting issues them in this order: drawings, fills, then texts, then lines.
struct FillItem {
    QRect rect;
    QColor color;
};
struct TextItem {
    QPointF position; // x and baseline
    int font;         // into PreparedReport::font()
    QColor color;
    QString text; // already cut to its cell
};
struct LineItem {
    QLine line;
    int pen; // into PreparedReport::pen()
};
// A picture drawn by its owner (a chart), scaled into rect.
struct DrawingItem {
    QRect rect;
    QImage image;
};
struct Page {
    std::vector<FillItem> fills;
    std::vector<TextItem> texts;
    std::vector<LineItem> lines;
    std::vector<DrawingItem> drawings; // painted first, under everything else
};

// A layout's font as the pages use it: sized in page units.
QFont pageFont(const Font& font);

// A text that did not fit its cell in the cell's own font.
struct UnfitText {
    int page = 0;         // from 0
    QString cell;         // the cell's expression, or its fixed text when it has none
    QString text;         // the whole text
    QString printed;      // what the page shows of it
    double pointSize = 0; // the size it is printed in
    bool number = false;
};

// A report laid out on pages: prepare() does everything that costs (evaluating, measuring,
// cutting, breaking pages); painting only issues the items. The same paintPage() serves the
// preview, the printer and the PDF file.
class PreparedReport {
public:
    // Walks the rows once; measures texts, so a QGuiApplication must exist. Throws
    // ReportError for a layout that cannot be built.
    static PreparedReport prepare(const Report& report, const Rows& rows);
    // Pages positioned by their maker (a picture with its title); a text's font indexes
    // fonts.
    static PreparedReport ofPages(const QPageLayout& layout, const std::vector<Font>& fonts,
                                  std::vector<Page> pages);

    int pageCount() const { return int(pages_.size()); }
    const Page& page(int index) const { return pages_.at(size_t(index)); }
    const QFont& font(int index) const { return fonts_.at(size_t(index)); }
    const QPen& pen(int index) const { return pens_.at(size_t(index)); }
    QPageLayout pageLayout() const { return layout_; }

    // Texts cut at their cell's edge, in page order; a number among them is one that even
    // the smallest font could not hold, which a layout must never let happen.
    const std::vector<UnfitText>& clippedItems() const { return clipped_; }
    // Numbers printed whole, in a smaller font than their cell's.
    const std::vector<UnfitText>& shrunkNumbers() const { return shrunk_; }

    // Paints one page on a painter begun on a printer, a PDF writer or any paint device,
    // its origin at the top left of the printable area.
    void paintPage(QPainter& painter, int page) const;
    // The document's title: the PDF's Title and the print job's name.
    void setTitle(const QString& title) { title_ = title; }
    const QString& title() const { return title_; }

    // Every page, with the report's page size, orientation and margins. print() throws
    // ReportError when the printer cannot start; writePdf() throws files::WriteError when the
    // file cannot be written whole, and then the file that had the name stays as it was.
    void print(QPrinter& printer) const;
    void writePdf(const QString& path) const;
    // Into a file the caller opened and commits (a command line opens it before the report
    // is read, so a folder that takes no file is told at once); failures go into the file.
    void writePdf(files::AtomicFile& file) const;
    // The print preview, from which the person prints or saves a PDF; a failure to do either
    // is told there.
    void preview(QWidget* parent) const;

private:
    PreparedReport() = default;
    bool paintAll(QPagedPaintDevice& device) const;
    void printFromPreview(QPrinter& printer) const;

    QPageLayout layout_;
    std::vector<QFont> fonts_;
    std::vector<QPen> pens_;
    std::vector<Page> pages_;
    QString title_;
    std::vector<UnfitText> clipped_;
    std::vector<UnfitText> shrunk_;
};

} // namespace report
