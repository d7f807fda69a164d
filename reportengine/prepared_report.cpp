#include "reportengine/prepared_report.h"

#include "files/atomic_file.h"
#include "reportengine/report_error.h"
#include "seams/messages.h"
#include "seams/modal_runner.h"
#include "ui/guard.h"
#include "ui/window_geometry.h"

#include <QCoreApplication>
#include <QPaintEngine>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace report {

namespace {

constexpr double kUnitsPerInch = 25.4 * kUnitsPerMm;

// The program that made a PDF, as its properties name it.
QString creator() {
    const QString version = QCoreApplication::applicationVersion();
    return QCoreApplication::applicationName() + (version.isEmpty() ? QString() : u' ' + version);
}

} // namespace

void PreparedReport::paintPage(QPainter& painter, int index) const {
    const Page& page = pages_.at(size_t(index));
    const QPaintDevice* device = painter.device();
    // One scale for the page, so the items stay in their own units whatever the device.
    painter.save();
    painter.scale(device->logicalDpiX() / kUnitsPerInch, device->logicalDpiY() / kUnitsPerInch);

    for (const DrawingItem& drawing : page.drawings)
        painter.drawImage(drawing.rect, drawing.image);
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

PreparedReport PreparedReport::ofPages(const QPageLayout& layout, const std::vector<Font>& fonts,
                                       std::vector<Page> pages) {
    PreparedReport prepared;
    prepared.layout_ = layout;
    for (const Font& font : fonts)
        prepared.fonts_.push_back(pageFont(font));
    prepared.pages_ = std::move(pages);
    return prepared;
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
    printer.setDocName(title_);
    printer.setCreator(creator());
    if (!paintAll(printer))
        throw ReportError(
            QStringLiteral("Не удалось начать печать на принтере «%1»").arg(printer.printerName()));
}

void PreparedReport::writePdf(const QString& path) const {
    files::AtomicFile file(path);
    if (!file.open())
        throw files::WriteError(file.failure());
    writePdf(file);
    if (!file.commit())
        throw files::WriteError(file.failure());
}

void PreparedReport::writePdf(files::AtomicFile& file) const {
    QPdfWriter writer(&file.device());
    writer.setTitle(title_);
    writer.setCreator(creator());
    if (!paintAll(writer))
        file.fail(files::notWritten(file.path(), QStringLiteral("QPdfWriter did not start")));
}

// The preview's "Печать": to a file when the person chose one (written whole or not at all),
// else to the printer. The preview is a slot's caller, so failures are told here.
void PreparedReport::printFromPreview(QPrinter& printer) const {
    seams::Messages& messages = seams::Messages::current();
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
        try {
            writePdf(printer.outputFileName());
        } catch (const files::WriteError& e) {
            ui::logShown(ui::lastActivity(), eventlog::Kind::Error,
                         e.sentence() + u'\n' + e.detail());
            messages.errorWithDetail(e.sentence(), e.detail(), seams::kErrorCaption);
        }
        return;
    }
    try {
        print(printer);
    } catch (const ReportError& e) {
        ui::logShown(ui::lastActivity(), eventlog::Kind::Error, e.message());
        messages.error(e.message() + u'.', seams::kErrorCaption);
    }
}

void PreparedReport::preview(QWidget* parent) const {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(layout_);
    printer.setDocName(title_);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("reportPreview"));
    dialog.setWindowTitle(QStringLiteral("Предварительный просмотр"));
    ui::rememberGeometry(&dialog, QStringLiteral("ReportPreview"));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, [this](QPrinter* target) {
        // the preview draws its pages through an engine of pictures; anything else is "Печать"
        const QPaintEngine* engine = target->paintEngine();
        if (engine && engine->type() == QPaintEngine::Picture)
            paintAll(*target);
        else
            printFromPreview(*target);
    });
    seams::execModal(&dialog);
}

} // namespace report
