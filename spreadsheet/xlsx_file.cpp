#include "xlsx_file.h"

#include "files/atomic_file.h"
#include "seams/clock.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QRegularExpression>

#include <minizip/zip.h>

#include <algorithm>
#include <cerrno>

namespace spreadsheet {

namespace {

const QByteArray kXmlHeader = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
const QByteArray kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const QByteArray kRelationships =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
const QByteArray kPackageRelationships =
    "http://schemas.openxmlformats.org/package/2006/relationships";

// --- texts in XML

// The file stores characters XML cannot carry as "_xHHHH_"; a text that holds such a
// sequence itself gets its "_" stored as "_x005F_", or it would come back as another text.
QString protectEscapeLookalikes(const QString& text) {
    static const QRegularExpression lookalike(QStringLiteral("_(?=x[0-9A-Fa-f]{4}_)"));
    if (!text.contains(QLatin1String("_x")))
        return text;
    QString protectedText = text;
    return protectedText.replace(lookalike, QStringLiteral("_x005F_"));
}

// A text as XML character data, UTF-8.
void appendText(QByteArray& out, const QString& text) {
    const QString safe = protectEscapeLookalikes(text);
    QString escaped;
    escaped.reserve(safe.size());
    for (const QChar c : safe) {
        const char16_t u = c.unicode();
        if (u == u'&')
            escaped += QLatin1String("&amp;");
        else if (u == u'<')
            escaped += QLatin1String("&lt;");
        else if (u == u'>')
            escaped += QLatin1String("&gt;");
        else if (u == u'"')
            escaped += QLatin1String("&quot;");
        // a reader turns "\r\n" into "\n": the carriage return goes escaped too
        else if ((u < 0x20 && u != u'\t' && u != u'\n') || u == 0xFFFE || u == 0xFFFF)
            escaped += QStringLiteral("_x%1_").arg(
                QString::number(uint(u), 16).rightJustified(4, u'0').toUpper());
        else
            escaped += c;
    }
    out += escaped.toUtf8(); // pairs of surrogates become one character here
}

QByteArray columnName(int column) {
    QByteArray name;
    for (int c = column; c > 0; c = (c - 1) / 26)
        name.prepend(char('A' + (c - 1) % 26));
    return name;
}

QByteArray reference(int row, int column) {
    return columnName(column) + QByteArray::number(row);
}

// --- the parts

QByteArray contentTypes() {
    return kXmlHeader +
           "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
           "<Default Extension=\"rels\" "
           "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
           "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
           "<Override PartName=\"/docProps/app.xml\" ContentType=\"application/"
           "vnd.openxmlformats-officedocument.extended-properties+xml\"/>"
           "<Override PartName=\"/docProps/core.xml\" "
           "ContentType=\"application/vnd.openxmlformats-package.core-properties+xml\"/>"
           "<Override PartName=\"/xl/styles.xml\" ContentType=\"application/"
           "vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
           "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/"
           "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
           "<Override PartName=\"/xl/worksheets/sheet1.xml\" ContentType=\"application/"
           "vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
           "<Override PartName=\"/xl/sharedStrings.xml\" ContentType=\"application/"
           "vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/>"
           "</Types>";
}

QByteArray packageRelationships() {
    return kXmlHeader + "<Relationships xmlns=\"" + kPackageRelationships +
           "\"><Relationship Id=\"rId1\" Type=\"" + kRelationships +
           "/officeDocument\" Target=\"xl/workbook.xml\"/>"
           "<Relationship Id=\"rId2\" Type=\"" +
           kPackageRelationships +
           "/metadata/core-properties\" Target=\"docProps/core.xml\"/>"
           "<Relationship Id=\"rId3\" Type=\"" +
           kRelationships + "/extended-properties\" Target=\"docProps/app.xml\"/></Relationships>";
}

QByteArray workbookRelationships() {
    return kXmlHeader + "<Relationships xmlns=\"" + kPackageRelationships +
           "\"><Relationship Id=\"rId1\" Type=\"" + kRelationships +
           "/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
           "<Relationship Id=\"rId2\" Type=\"" +
           kRelationships +
           "/styles\" Target=\"styles.xml\"/>"
           "<Relationship Id=\"rId3\" Type=\"" +
           kRelationships + "/sharedStrings\" Target=\"sharedStrings.xml\"/></Relationships>";
}

QByteArray workbook(const QString& sheetName) {
    QByteArray out = kXmlHeader + "<workbook xmlns=\"" + kMain + "\" xmlns:r=\"" + kRelationships +
                     "\"><bookViews><workbookView/></bookViews><sheets>"
                     "<sheet name=\"";
    appendText(out, sheetName);
    out += "\" sheetId=\"1\" r:id=\"rId1\"/></sheets><calcPr fullCalcOnLoad=\"1\"/></workbook>";
    return out;
}

QByteArray applicationProperties() {
    return kXmlHeader + "<Properties xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                        "extended-properties\"><Application>norv_smena</Application></Properties>";
}

QByteArray coreProperties() {
    const QByteArray now =
        seams::Clock::now().toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ")).toUtf8();
    return kXmlHeader +
           "<cp:coreProperties xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/"
           "metadata/core-properties\" xmlns:dcterms=\"http://purl.org/dc/terms/\" "
           "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"
           "<dcterms:created xsi:type=\"dcterms:W3CDTF\">" +
           now + "</dcterms:created><dcterms:modified xsi:type=\"dcterms:W3CDTF\">" + now +
           "</dcterms:modified></cp:coreProperties>";
}

// Style 0 plain, 1 text format "@" (built-in number format 49), 2 bold, 3 both.
int styleOf(const XlsxSheet::Cell& cell) {
    return (cell.textFormat ? 1 : 0) | (cell.bold ? 2 : 0);
}

QByteArray styles() {
    return kXmlHeader + "<styleSheet xmlns=\"" + kMain +
           "\"><fonts count=\"2\">"
           "<font><sz val=\"11\"/><name val=\"Calibri\"/><family val=\"2\"/></font>"
           "<font><b/><sz val=\"11\"/><name val=\"Calibri\"/><family val=\"2\"/></font></fonts>"
           "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
           "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
           "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border>"
           "</borders><cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
           "borderId=\"0\"/></cellStyleXfs><cellXfs count=\"4\">"
           "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"
           "<xf numFmtId=\"49\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" "
           "applyNumberFormat=\"1\"/>"
           "<xf numFmtId=\"0\" fontId=\"1\" fillId=\"0\" borderId=\"0\" xfId=\"0\" "
           "applyFont=\"1\"/>"
           "<xf numFmtId=\"49\" fontId=\"1\" fillId=\"0\" borderId=\"0\" xfId=\"0\" "
           "applyNumberFormat=\"1\" applyFont=\"1\"/></cellXfs>"
           "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/>"
           "</cellStyles></styleSheet>";
}

// --- the zip

// Writes the parts into the zip and remembers the first failure with its errno.
class Package {
public:
    explicit Package(const QString& path)
        : zip_(zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE)) {
        if (!zip_)
            error_ = errno ? errno : EIO;
    }
    ~Package() {
        if (zip_)
            zipClose(zip_, nullptr);
    }
    Package(const Package&) = delete;
    Package& operator=(const Package&) = delete;

    void begin(const char* name) {
        if (error_)
            return;
        zip_fileinfo info{};
        const QDateTime now = seams::Clock::now();
        info.tmz_date.tm_year = uInt(now.date().year());
        info.tmz_date.tm_mon = uInt(now.date().month() - 1);
        info.tmz_date.tm_mday = uInt(now.date().day());
        info.tmz_date.tm_hour = uInt(now.time().hour());
        info.tmz_date.tm_min = uInt(now.time().minute());
        info.tmz_date.tm_sec = uInt(now.time().second());
        check(zipOpenNewFileInZip64(zip_, name, &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                    Z_DEFAULT_COMPRESSION, 0));
    }
    void write(const QByteArray& bytes) {
        if (!error_ && !bytes.isEmpty())
            check(zipWriteInFileInZip(zip_, bytes.constData(), unsigned(bytes.size())));
    }
    void end() {
        if (!error_)
            check(zipCloseFileInZip(zip_));
    }
    void part(const char* name, const QByteArray& bytes) {
        begin(name);
        write(bytes);
        end();
    }
    // The central directory: only now is the file a zip.
    int close() {
        if (zip_) {
            const int result = zipClose(zip_, nullptr);
            zip_ = nullptr;
            if (!error_ && result != ZIP_OK)
                error_ = errno ? errno : EIO;
        }
        return error_;
    }

private:
    void check(int result) {
        if (result != ZIP_OK && !error_)
            error_ = result == ZIP_ERRNO && errno ? errno : EIO;
    }

    zipFile zip_;
    int error_ = 0;
};

// The texts of the sheet's cells, each once, in the order they first appear.
class SharedStrings {
public:
    int indexOf(const QString& text) {
        auto it = index_.constFind(text);
        if (it == index_.cend()) {
            it = index_.insert(text, int(order_.size()));
            order_.append(text);
        }
        return it.value();
    }
    const QList<QString>& inOrder() const { return order_; }

private:
    QHash<QString, int> index_;
    QList<QString> order_;
};

std::vector<const XlsxSheet::Cell*> inSheetOrder(const XlsxSheet& sheet) {
    std::vector<const XlsxSheet::Cell*> cells;
    cells.reserve(sheet.cells.size());
    for (const XlsxSheet::Cell& c : sheet.cells)
        cells.push_back(&c);
    std::sort(cells.begin(), cells.end(), [](const auto* a, const auto* b) {
        return a->row != b->row ? a->row < b->row : a->column < b->column;
    });
    return cells;
}

// What stands before the cells: the used range, the view and the column widths.
QByteArray sheetHead(const XlsxSheet& sheet, const std::vector<const XlsxSheet::Cell*>& cells) {
    QByteArray out =
        kXmlHeader + "<worksheet xmlns=\"" + kMain + "\" xmlns:r=\"" + kRelationships + "\">";
    if (!cells.empty()) {
        int lastColumn = 1;
        for (const auto* c : cells)
            lastColumn = std::max(lastColumn, c->column);
        out += "<dimension ref=\"A1:" + reference(cells.back()->row, lastColumn) + "\"/>";
    }
    out += "<sheetViews><sheetView tabSelected=\"1\" workbookViewId=\"0\"/></sheetViews>"
           "<sheetFormatPr defaultRowHeight=\"15\"/>";
    if (!sheet.widths.empty()) {
        out += "<cols>";
        for (const auto& [column, width] : sheet.widths)
            out += "<col min=\"" + QByteArray::number(column) + "\" max=\"" +
                   QByteArray::number(column) + "\" width=\"" + QByteArray::number(width, 'g', 15) +
                   "\" customWidth=\"1\"/>";
        out += "</cols>";
    }
    return out + "<sheetData>";
}

void appendCell(QByteArray& out, const XlsxSheet::Cell& c, SharedStrings& strings) {
    out += "<c r=\"" + reference(c.row, c.column) + '"';
    if (const int style = styleOf(c))
        out += " s=\"" + QByteArray::number(style) + '"';
    if (c.value.isEmpty())
        out += "/>";
    else if (c.number)
        out += "><v>" + c.value.toLatin1() + "</v></c>";
    else
        out += " t=\"s\"><v>" + QByteArray::number(strings.indexOf(c.value)) + "</v></c>";
}

// The sheet a row at a time, in pieces of about 64 kB so a large sheet never sits in memory
// twice; every text into the shared strings.
void writeSheet(Package& package, const XlsxSheet& sheet, SharedStrings& strings) {
    const std::vector<const XlsxSheet::Cell*> cells = inSheetOrder(sheet);
    QByteArray out = sheetHead(sheet, cells);
    package.begin("xl/worksheets/sheet1.xml");
    int row = 0;
    for (const XlsxSheet::Cell* c : cells) {
        if (c->row != row) {
            out += row != 0 ? "</row><row r=\"" : "<row r=\"";
            row = c->row;
            out += QByteArray::number(row) + "\">";
            if (out.size() > (1 << 16)) {
                package.write(out);
                out.clear();
            }
        }
        appendCell(out, *c, strings);
    }
    if (row != 0)
        out += "</row>";
    out += "</sheetData><pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" "
           "header=\"0.3\" footer=\"0.3\"/></worksheet>";
    package.write(out);
    package.end();
}

void writeSharedStrings(Package& package, const QList<QString>& stringOrder, qsizetype references) {
    QByteArray out = kXmlHeader + "<sst xmlns=\"" + kMain + "\" count=\"" +
                     QByteArray::number(references) + "\" uniqueCount=\"" +
                     QByteArray::number(stringOrder.size()) + "\">";
    package.begin("xl/sharedStrings.xml");
    for (const QString& text : stringOrder) {
        const bool keepSpaces = text.startsWith(u' ') || text.endsWith(u' ') ||
                                text.contains(u'\n') || text.contains(u'\t');
        out += keepSpaces ? "<si><t xml:space=\"preserve\">" : "<si><t>";
        appendText(out, text);
        out += "</t></si>";
        if (out.size() > (1 << 16)) {
            package.write(out);
            out.clear();
        }
    }
    out += "</sst>";
    package.write(out);
    package.end();
}

} // namespace

void writeXlsx(const XlsxSheet& sheet, files::AtomicFile& file) {
    errno = 0;
    Package package(file.temporaryPath());
    package.part("[Content_Types].xml", contentTypes());
    package.part("_rels/.rels", packageRelationships());
    package.part("docProps/app.xml", applicationProperties());
    package.part("docProps/core.xml", coreProperties());
    package.part("xl/workbook.xml", workbook(sheet.name));
    package.part("xl/_rels/workbook.xml.rels", workbookRelationships());
    package.part("xl/styles.xml", styles());
    SharedStrings strings;
    writeSheet(package, sheet, strings);
    qsizetype references = 0;
    for (const XlsxSheet::Cell& c : sheet.cells)
        references += c.number || c.value.isEmpty() ? 0 : 1;
    writeSharedStrings(package, strings.inOrder(), references);
    if (const int error = package.close())
        file.fail(error);
}

} // namespace spreadsheet
