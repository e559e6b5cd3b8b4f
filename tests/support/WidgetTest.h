#pragma once
// What every window test needs: typing as a person does, and a main() with the program's
// application object and the per-user settings in a folder of the test's own.

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "common/Application.h"

// Latin text as key clicks, other characters (Chinese) as key events carrying the character.
inline void TypeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(widget, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

#define POS_WIDGET_TEST_MAIN(TestClass)                                                     \
    int main(int argc, char** argv) {                                                       \
        QTemporaryDir settings;                                                             \
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path()); \
        TApplication app(argc, argv);                                                       \
        TestClass test;                                                                     \
        return QTest::qExec(&test, argc, argv);                                             \
    }
