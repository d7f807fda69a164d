#pragma once
// Reads back what the program wrote into a PDF, with poppler's tools.

#include <QList>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

// A tool's output; "<program failed: ...>" when it did not run through.
inline QString runTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QStringLiteral("<%1 failed: %2>")
            .arg(program, QString::fromUtf8(process.readAllStandardError()));
    return QString::fromUtf8(process.readAllStandardOutput());
}

// pdftotext -layout: the pages' texts as laid out, pages separated by form feeds.
inline QString pdfText(const QString& path) {
    return runTool(QStringLiteral("pdftotext"),
                   {QStringLiteral("-layout"), path, QStringLiteral("-")});
}

// pdfinfo's whole answer, or the value of one of its keys ("Pages", "Page size").
inline QString pdfInfo(const QString& path, const QString& key = QString()) {
    const QString info = runTool(QStringLiteral("pdfinfo"), {path});
    if (key.isEmpty())
        return info;
    const QRegularExpression re(QStringLiteral("^%1:\\s*(.*)$").arg(key),
                                QRegularExpression::MultilineOption);
    return re.match(info).captured(1).trimmed();
}

// The pages' lines as pdftotext lays them out, blanks collapsed; empty lines and pages left out.
inline QList<QStringList> pdfPages(const QString& path) {
    QList<QStringList> pages;
    for (const QString& text : pdfText(path).split(u'\f', Qt::SkipEmptyParts)) {
        QStringList lines;
        for (const QString& line : text.split(u'\n')) {
            const QString simple = line.simplified();
            if (!simple.isEmpty())
                lines.append(simple);
        }
        if (!lines.isEmpty())
            pages.append(lines);
    }
    return pages;
}

// pdftotext -bbox: every word with its box, as XHTML.
inline QString pdfWordBoxes(const QString& path) {
    return runTool(QStringLiteral("pdftotext"),
                   {QStringLiteral("-bbox"), path, QStringLiteral("-")});
}

// pdffonts' table without its two heading lines: a line per font.
inline QStringList pdfFonts(const QString& path) {
    return runTool(QStringLiteral("pdffonts"), {path}).split(u'\n', Qt::SkipEmptyParts).mid(2);
}

// The pages as PNGs at 80 dpi, to be looked at: every page as prefix-<n>.png, or with page
// only that one as prefix.png.
inline void pdfToPngs(const QString& path, const QString& prefix, int page = 0) {
    QStringList arguments{QStringLiteral("-r"), QStringLiteral("80"), QStringLiteral("-png")};
    if (page > 0)
        arguments << QStringLiteral("-singlefile") << QStringLiteral("-f") << QString::number(page)
                  << QStringLiteral("-l") << QString::number(page);
    runTool(QStringLiteral("pdftoppm"), arguments << path << prefix);
}
