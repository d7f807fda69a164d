#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QCoreApplication>
#include <QtTest>

// Types text into a box one key event per character (QTest::keyClicks aborts on Cyrillic).
inline void typeInto(QLineEdit* box, const QString& text) {
    for (QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

// A window's button by its objectName.
inline QPushButton* button(QWidget* window, const char* name) {
    return window->findChild<QPushButton*>(QString::fromLatin1(name));
}

// Lets pending layout and paint events run, then saves what the window shows as a PNG.
inline bool saveScreenshot(QWidget* window, const QString& path) {
    QCoreApplication::processEvents();
    return window->grab().save(path);
}
