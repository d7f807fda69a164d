#pragma once
// Reads back what the program wrote into a PDF, with poppler's tools.

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
