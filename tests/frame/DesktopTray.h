#pragma once

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QtTest>

#include "support/XvfbDisplay.h"

// The frame's tray menu, which belongs to no window of the frame.
inline QMenu *trayMenu()
{
    for (QWidget *widget : QApplication::allWidgets()) {
        if (widget->objectName() == QLatin1String("trayMenu"))
            return qobject_cast<QMenu *>(widget);
    }
    return nullptr;
}

// Right-clicks the tray icon and chooses the menu's entry, with the operator's clicks on the test's X server.
inline void chooseInTray(const XvfbDisplay &display, const QSystemTrayIcon *icon, const QString &entry)
{
    QMenu *menu = trayMenu();
    QVERIFY(menu && icon);
    QVERIFY(display.click(icon->geometry().center(), 3));
    QTRY_VERIFY(menu->isVisible());
    QAction *action = nullptr;
    for (QAction *candidate : menu->actions()) {
        if (candidate->text().startsWith(entry))
            action = candidate;
    }
    QVERIFY(action);
    QVERIFY(display.click(menu->mapToGlobal(menu->actionGeometry(action).center()), 1));
    QTRY_VERIFY(!menu->isVisible());
}
