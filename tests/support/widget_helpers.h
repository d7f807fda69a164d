#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QtTest>

// Types text into a widget one key event per character (QTest::keyClicks aborts on Cyrillic).
inline void typeInto(QWidget* target, const QString& text) {
    for (QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

// The same into whichever widget has the focus at each character (a grid opens its edit box
// at the first one).
inline void typeIntoFocus(const QString& text) {
    for (QChar ch : text)
        typeInto(QApplication::focusWidget(), QString(ch));
}

// What a person reads in a caption: its text without the "&" that marks the mnemonic.
inline QString shownText(const QString& caption) {
    return QString(caption).remove(u'&');
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
