// The menu entry and the running program name each other: the desktop file's name is the
// program's desktop file name, its StartupWMClass the window class, its icon the window's.
#include "app/startup.h"

#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QtTest>

class DesktopEntryTest : public QObject {
    Q_OBJECT
private slots:
    void theWindowIsTiedToItsEntry();
};

namespace {

// The [Desktop Entry] keys, localised ones under their full name ("Name[ru]").
QHash<QString, QString> desktopEntry(const QString& path) {
    QHash<QString, QString> keys;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return keys;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        const qsizetype equals = line.indexOf(u'=');
        if (equals > 0 && !line.startsWith(u'#'))
            keys.insert(line.left(equals), line.mid(equals + 1));
    }
    return keys;
}

} // namespace

void DesktopEntryTest::theWindowIsTiedToItsEntry() {
    setupRussianLocale(*qGuiApp);
    tieToDesktopEntry();
    const QString name = QGuiApplication::desktopFileName();
    const QHash<QString, QString> entry =
        desktopEntry(QStringLiteral(NORV_SOURCE_DIR "/app/desktop/") + name + ".desktop");
    QVERIFY2(!entry.isEmpty(), qPrintable(name));
    QCOMPARE(entry.value("StartupWMClass"), QGuiApplication::applicationName());
    QCOMPARE(entry.value("Exec"), QGuiApplication::applicationName());
    QCOMPARE(entry.value("Icon"), name);
    for (const char* key : {"Name[ru]", "Comment[ru]", "Keywords", "Keywords[ru]"})
        QVERIFY2(!entry.value(key).isEmpty(), key);
    // the built-in copy of the icon, for a desktop whose theme lacks the installed one
    QVERIFY(QFile::exists(":/" + name + ".svg"));
}

QTEST_MAIN(DesktopEntryTest)
#include "desktop_entry_test.moc"
