// Makes the users' guide a web page at build time: guide_html GUIDE.md PAGE.html. The page
// keeps the guide's pictures as links to files beside it.
#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextDocument>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: guide_html GUIDE.md PAGE.html\n", stderr);
        return 2;
    }
    // the document needs fonts, not a screen
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QFile source(QString::fromLocal8Bit(argv[1]));
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "guide_html: %s: %s\n", argv[1], qPrintable(source.errorString()));
        return 1;
    }
    const QString markdown = QString::fromUtf8(source.readAll());
    QTextDocument document;
    document.setMarkdown(markdown);
    const QRegularExpression heading(QStringLiteral("^# (.+)$"),
                                     QRegularExpression::MultilineOption);
    document.setMetaInformation(QTextDocument::DocumentTitle,
                                heading.match(markdown).captured(1).trimmed());
    // the reader's browser chooses the font and its size, not the machine that built the page
    QString html = document.toHtml();
    html.replace(QRegularExpression(QStringLiteral("<body style=\"[^\"]*\">")),
                 QStringLiteral("<body style=\"font-family: sans-serif; max-width: 60em; "
                                "margin: 1em auto; padding: 0 1em;\">"));
    QSaveFile page(QString::fromLocal8Bit(argv[2]));
    if (!page.open(QIODevice::WriteOnly) || page.write(html.toUtf8()) < 0 || !page.commit()) {
        std::fprintf(stderr, "guide_html: %s: %s\n", argv[2], qPrintable(page.errorString()));
        return 1;
    }
    return 0;
}
