#include "xlsx_reader.h"

#include <QFile>
#include <QList>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <unzip.h>

#include <algorithm>

namespace {

// One part of the zip package; nullopt when it is missing or unreadable.
std::optional<QByteArray> readPart(unzFile zip, const char* name) {
    if (unzLocateFile(zip, name, 1) != UNZ_OK || unzOpenCurrentFile(zip) != UNZ_OK)
        return std::nullopt;
    QByteArray data;
    char buffer[65536];
    int read = 0;
    while ((read = unzReadCurrentFile(zip, buffer, sizeof buffer)) > 0)
        data.append(buffer, read);
    const bool complete = read == 0 && unzCloseCurrentFile(zip) == UNZ_OK;
    if (read < 0)
        unzCloseCurrentFile(zip);
    return complete ? std::optional<QByteArray>(data) : std::nullopt;
}

// Characters XML cannot carry are stored as _xHHHH_.
QString unescapeControl(const QString& text) {
    static const QRegularExpression escape(QStringLiteral("_x([0-9A-Fa-f]{4})_"));
    if (!text.contains(QStringLiteral("_x")))
        return text;
    QString out;
    qsizetype from = 0;
    for (auto it = escape.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        out += text.mid(from, m.capturedStart() - from);
        out += QChar(m.captured(1).toUShort(nullptr, 16));
        from = m.capturedEnd();
    }
    return out + text.mid(from);
}

bool isTrue(const QXmlStreamAttributes& attributes, const QString& name) {
    if (!attributes.hasAttribute(name))
        return true; // <b/> means bold
    const auto value = attributes.value(name);
    return value == QLatin1String("1") || value == QLatin1String("true");
}

// The text of an <si> or <is>: every <t>, runs included, phonetic hints left out.
QString readStringItem(QXmlStreamReader& xml) {
    QString text;
    for (int depth = 1; depth > 0 && !xml.atEnd();) {
        xml.readNext();
        if (xml.isEndElement()) {
            --depth;
        } else if (xml.isStartElement()) {
            if (xml.name() == QLatin1String("t"))
                text += xml.readElementText();
            else if (xml.name() == QLatin1String("rPh"))
                xml.skipCurrentElement();
            else
                ++depth;
        }
    }
    return unescapeControl(text);
}

// "AB12" to (12, 28).
std::optional<XlsxReader::Position> parseReference(QStringView reference) {
    int column = 0, i = 0;
    while (i < reference.size() && reference[i].isUpper())
        column = column * 26 + (reference[i++].unicode() - 'A' + 1);
    bool ok = false;
    const int row = reference.mid(i).toInt(&ok);
    if (column == 0 || !ok || row < 1)
        return std::nullopt;
    return XlsxReader::Position{row, column};
}

QString xmlError(const char* part, const QXmlStreamReader& xml) {
    return QStringLiteral("%1: %2 (line %3)")
        .arg(QLatin1String(part), xml.errorString())
        .arg(xml.lineNumber());
}

QString firstSheetName(QXmlStreamReader& xml) {
    QString name;
    while (!xml.atEnd() && name.isEmpty())
        if (xml.readNext() == QXmlStreamReader::StartElement &&
            xml.name() == QLatin1String("sheet"))
            name = xml.attributes().value(QLatin1String("name")).toString();
    return name;
}

QStringList readSharedStrings(QXmlStreamReader& xml) {
    QStringList strings;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("si"))
            strings.append(readStringItem(xml));
    return strings;
}

// Cell styles: index -> ("@" format, bold font).
using CellStyles = QList<std::pair<bool, bool>>;

class StylesReader {
public:
    CellStyles read(QXmlStreamReader& xml) {
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isEndElement())
                leave(xml.name());
            else if (xml.isStartElement())
                enter(xml.name(), xml.attributes());
        }
        return cellStyles_;
    }

private:
    void enter(QStringView name, const QXmlStreamAttributes& attributes) {
        if (name == QLatin1String("numFmt") &&
            attributes.value(QLatin1String("formatCode")) == QLatin1String("@"))
            textFormats_.append(attributes.value(QLatin1String("numFmtId")).toInt());
        else if (name == QLatin1String("fonts"))
            inFonts_ = true;
        else if (name == QLatin1String("cellXfs"))
            inCellXfs_ = true;
        else if (inFonts_ && name == QLatin1String("font"))
            boldFonts_.append(false);
        else if (inFonts_ && name == QLatin1String("b") && !boldFonts_.isEmpty())
            boldFonts_.last() = isTrue(attributes, QStringLiteral("val"));
        else if (inCellXfs_ && name == QLatin1String("xf"))
            addCellStyle(attributes);
    }

    void leave(QStringView name) {
        if (name == QLatin1String("fonts"))
            inFonts_ = false;
        else if (name == QLatin1String("cellXfs"))
            inCellXfs_ = false;
    }

    void addCellStyle(const QXmlStreamAttributes& attributes) {
        const int format = attributes.value(QLatin1String("numFmtId")).toInt();
        const int font = attributes.value(QLatin1String("fontId")).toInt();
        cellStyles_.append({textFormats_.contains(format), boldFonts_.value(font, false)});
    }

    QList<int> textFormats_{49}; // the built-in "@"
    QList<bool> boldFonts_;
    bool inFonts_ = false;
    bool inCellXfs_ = false;
    CellStyles cellStyles_;
};

// The <c> element the reader stands on, up to its end.
XlsxReader::Cell readCell(QXmlStreamReader& xml, const QXmlStreamAttributes& attributes,
                          const QStringList& sharedStrings, const CellStyles& cellStyles) {
    const QString type = attributes.value(QLatin1String("t")).toString();
    const auto style = cellStyles.value(attributes.value(QLatin1String("s")).toInt());
    XlsxReader::Cell cell{QString(), style.first, style.second};
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("v")) {
            const QString value = xml.readElementText();
            if (type == QLatin1String("s")) {
                cell.text = sharedStrings.value(value.toInt());
            } else if (type.isEmpty() || type == QLatin1String("n")) {
                // a number, shown as the workstation writes it
                cell.number = true;
                cell.text = QString(value).replace(u'.', u',');
            } else {
                cell.text = value;
            }
        } else if (xml.name() == QLatin1String("is")) {
            cell.text = readStringItem(xml);
        } else {
            xml.skipCurrentElement();
        }
    }
    return cell;
}

void readColumnWidths(const QXmlStreamAttributes& attributes, QMap<int, double>& widths) {
    const int min = attributes.value(QLatin1String("min")).toInt();
    const int max = attributes.value(QLatin1String("max")).toInt();
    const double width = attributes.value(QLatin1String("width")).toDouble();
    for (int column = min; column >= 1 && column <= max; ++column)
        widths[column] = width;
}

// sheet1.xml: its column widths and cells; false at a cell reference it cannot read.
bool readSheet(QXmlStreamReader& xml, const QStringList& sharedStrings,
               const CellStyles& cellStyles, QMap<XlsxReader::Position, XlsxReader::Cell>& cells,
               QMap<int, double>& widths) {
    int currentRow = 0, lastColumn = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto attributes = xml.attributes();
        if (xml.name() == QLatin1String("col")) {
            readColumnWidths(attributes, widths);
        } else if (xml.name() == QLatin1String("row")) {
            currentRow = attributes.value(QLatin1String("r")).toInt();
            lastColumn = 0;
        } else if (xml.name() == QLatin1String("c")) {
            XlsxReader::Position position{currentRow, lastColumn + 1};
            if (attributes.hasAttribute(QLatin1String("r"))) {
                const auto parsed = parseReference(attributes.value(QLatin1String("r")));
                if (!parsed)
                    return false;
                position = *parsed;
            }
            lastColumn = position.second;
            cells.insert(position, readCell(xml, attributes, sharedStrings, cellStyles));
        }
    }
    return true;
}

} // namespace

bool XlsxReader::load(const QString& path) {
    *this = XlsxReader();
    unzFile zip = unzOpen(QFile::encodeName(path).constData());
    if (!zip) {
        error_ = QStringLiteral("not a zip file: ") + path;
        return false;
    }
    const auto sheet = readPart(zip, "xl/worksheets/sheet1.xml");
    const auto workbook = readPart(zip, "xl/workbook.xml");
    const auto strings = readPart(zip, "xl/sharedStrings.xml");
    const auto styles = readPart(zip, "xl/styles.xml");
    unzClose(zip);
    if (!sheet || !workbook) {
        error_ = QStringLiteral("no workbook or no first sheet in ") + path;
        return false;
    }

    QXmlStreamReader workbookXml(*workbook);
    sheetName_ = firstSheetName(workbookXml);
    if (workbookXml.hasError()) {
        error_ = xmlError("workbook.xml", workbookXml);
        return false;
    }

    QStringList sharedStrings;
    if (strings) {
        QXmlStreamReader xml(*strings);
        sharedStrings = readSharedStrings(xml);
        if (xml.hasError()) {
            error_ = xmlError("sharedStrings.xml", xml);
            return false;
        }
    }

    CellStyles cellStyles;
    if (styles) {
        QXmlStreamReader xml(*styles);
        cellStyles = StylesReader().read(xml);
        if (xml.hasError()) {
            error_ = xmlError("styles.xml", xml);
            return false;
        }
    }

    QXmlStreamReader xml(*sheet);
    if (!readSheet(xml, sharedStrings, cellStyles, cells_, widths_)) {
        error_ = QStringLiteral("bad cell reference in sheet1.xml");
        return false;
    }
    if (xml.hasError()) {
        error_ = xmlError("sheet1.xml", xml);
        return false;
    }
    return true;
}

std::optional<XlsxReader::Cell> XlsxReader::cell(int row, int column) const {
    const auto it = cells_.constFind({row, column});
    return it == cells_.cend() ? std::nullopt : std::optional<Cell>(*it);
}

QString XlsxReader::text(int row, int column) const {
    return cells_.value({row, column}).text;
}

QString XlsxReader::toCsv() const {
    int lastRow = 0, lastColumn = 0;
    for (auto it = cells_.cbegin(); it != cells_.cend(); ++it) {
        lastRow = std::max(lastRow, it.key().first);
        lastColumn = std::max(lastColumn, it.key().second);
    }
    QString csv;
    for (int row = 1; row <= lastRow; ++row) {
        QStringList fields;
        for (int column = 1; column <= lastColumn; ++column) {
            QString field = text(row, column);
            if (field.contains(QLatin1Char(',')) || field.contains(QLatin1Char('"')) ||
                field.contains(QLatin1Char('\n')))
                field = '"' + field.replace(QLatin1String("\""), QLatin1String("\"\"")) + '"';
            fields.append(field);
        }
        csv += fields.join(QLatin1Char(',')) + QLatin1Char('\n');
    }
    return csv;
}
