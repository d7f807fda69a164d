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

    {
        QXmlStreamReader xml(*workbook);
        while (!xml.atEnd() && sheetName_.isEmpty())
            if (xml.readNext() == QXmlStreamReader::StartElement &&
                xml.name() == QLatin1String("sheet"))
                sheetName_ = xml.attributes().value(QLatin1String("name")).toString();
        if (xml.hasError()) {
            error_ = xmlError("workbook.xml", xml);
            return false;
        }
    }

    QStringList sharedStrings;
    if (strings) {
        QXmlStreamReader xml(*strings);
        while (!xml.atEnd())
            if (xml.readNext() == QXmlStreamReader::StartElement &&
                xml.name() == QLatin1String("si"))
                sharedStrings.append(readStringItem(xml));
        if (xml.hasError()) {
            error_ = xmlError("sharedStrings.xml", xml);
            return false;
        }
    }

    // Cell styles: index -> ("@" format, bold font).
    QList<std::pair<bool, bool>> cellStyles;
    if (styles) {
        QList<int> textFormats{49}; // the built-in "@"
        QList<bool> boldFonts;
        bool inFonts = false, inCellXfs = false;
        QXmlStreamReader xml(*styles);
        while (!xml.atEnd()) {
            xml.readNext();
            const auto name = xml.name();
            if (xml.isEndElement()) {
                if (name == QLatin1String("fonts"))
                    inFonts = false;
                else if (name == QLatin1String("cellXfs"))
                    inCellXfs = false;
                continue;
            }
            if (!xml.isStartElement())
                continue;
            const auto attributes = xml.attributes();
            if (name == QLatin1String("numFmt") &&
                attributes.value(QLatin1String("formatCode")) == QLatin1String("@"))
                textFormats.append(attributes.value(QLatin1String("numFmtId")).toInt());
            else if (name == QLatin1String("fonts"))
                inFonts = true;
            else if (name == QLatin1String("cellXfs"))
                inCellXfs = true;
            else if (inFonts && name == QLatin1String("font"))
                boldFonts.append(false);
            else if (inFonts && name == QLatin1String("b") && !boldFonts.isEmpty())
                boldFonts.last() = isTrue(attributes, QStringLiteral("val"));
            else if (inCellXfs && name == QLatin1String("xf")) {
                const int format = attributes.value(QLatin1String("numFmtId")).toInt();
                const int font = attributes.value(QLatin1String("fontId")).toInt();
                cellStyles.append({textFormats.contains(format), boldFonts.value(font, false)});
            }
        }
        if (xml.hasError()) {
            error_ = xmlError("styles.xml", xml);
            return false;
        }
    }

    QXmlStreamReader xml(*sheet);
    int currentRow = 0, lastColumn = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto attributes = xml.attributes();
        if (xml.name() == QLatin1String("col")) {
            const int min = attributes.value(QLatin1String("min")).toInt();
            const int max = attributes.value(QLatin1String("max")).toInt();
            const double width = attributes.value(QLatin1String("width")).toDouble();
            for (int column = min; column >= 1 && column <= max; ++column)
                widths_[column] = width;
        } else if (xml.name() == QLatin1String("row")) {
            currentRow = attributes.value(QLatin1String("r")).toInt();
            lastColumn = 0;
        } else if (xml.name() == QLatin1String("c")) {
            Position position{currentRow, lastColumn + 1};
            if (attributes.hasAttribute(QLatin1String("r"))) {
                const auto parsed = parseReference(attributes.value(QLatin1String("r")));
                if (!parsed) {
                    error_ = QStringLiteral("bad cell reference in sheet1.xml");
                    return false;
                }
                position = *parsed;
            }
            lastColumn = position.second;
            const QString type = attributes.value(QLatin1String("t")).toString();
            const auto style = cellStyles.value(attributes.value(QLatin1String("s")).toInt());
            Cell cell{QString(), style.first, style.second};
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
            cells_.insert(position, cell);
        }
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
