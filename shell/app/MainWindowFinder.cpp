#include "shell/app/MainWindowFinder.h"

#include <QApplication>
#include <QWidget>

QWidget *MainWindowFinder::find(const QString &title)
{
    const QList<QWidget *> windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window->isWindow() && window->windowTitle() == title)
            return window;
    }
    return nullptr;
}

bool MainWindowFinder::bringForward(const QString &title)
{
    QWidget *window = find(title);
    if (!window)
        return false;
    // Hidden in the tray or minimised: back to the normal state, then in front.
    window->showNormal();
    window->raise();
    window->activateWindow();
    return true;
}
