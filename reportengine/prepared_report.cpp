#include "reportengine/prepared_report.h"

#include "reportengine/report_error.h"
#include "seams/modal_runner.h"

#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace report {

namespace {

constexpr double kUnitsPerInch = 25.4 * kUnitsPerMm;

} // namespace

void PreparedReport::paintPage(QPainter& painter, int index) const {
    const Page& page = pages_.at(size_t(index));
    const QPaintDevice* device = painter.device();
    // One scale for the page, so the items stay in their own units whatever the device.
    painter.save();
    painter.scale(device->logicalDpiX() / kUnitsPerInch, device->logicalDpiY() / kUnitsPerInch);

    for (const FillItem& fill : page.fills)
        painter.fillRect(fill.rect, fill.color);

    int font = -1;
    QColor color; // invalid, so the first text sets its pen
    for (const TextItem& text : page.texts) {
        if (text.font != font) {
            font = text.font;
            painter.setFont(fonts_[size_t(font)]);
        }
        if (text.color != color) {
            color = text.color;
            painter.setPen(color);
        }
        painter.drawText(text.position, text.text);
    }

    int pen = -1;
    for (const LineItem& line : page.lines) {
        if (line.pen != pen) {
            pen = line.pen;
            painter.setPen(pens_[size_t(pen)]);
        }
        painter.drawLine(line.line);
    }
    painter.restore();
}

bool PreparedReport::paintAll(QPagedPaintDevice& device) const {
    device.setPageLayout(layout_);
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    for (int i = 0; i < pageCount(); ++i) {
        if (i > 0)
            device.newPage();
        paintPage(painter, i);
    }
    return painter.end();
}

void PreparedReport::print(QPrinter& printer) const {
    if (!paintAll(printer))
        throw ReportError(
            QStringLiteral("Не удалось начать печать на принтере «%1»").arg(printer.printerName()));
}

void PreparedReport::writePdf(const QString& path) const {
    QPdfWriter writer(path);
    writer.setCreator(QStringLiteral("norv_smena"));
    if (!paintAll(writer))
        throw ReportError(QStringLiteral("Не удалось записать файл «%1»").arg(path));
}

void PreparedReport::preview(QWidget* parent) const {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(layout_);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("reportPreview"));
    dialog.setWindowTitle(QStringLiteral("Предварительный просмотр"));
    // No exception may leave a slot; a printer that cannot start simply prints nothing.
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested,
                     [this](QPrinter* target) { paintAll(*target); });
    seams::execModal(&dialog);
}

} // namespace report
