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
    // A modal window (an SOS warning above all) blocks the main window: it is the one the operator
    // must reach, so it comes up last and takes the keys. The window system keeps the other
    // windows that belong to the main window above it.
    QWidget *modal = QApplication::activeModalWidget();
    if (modal && modal != window && modal->isVisible()) {
        if (modal->isMinimized())
            modal->showNormal();
        modal->raise();
        modal->activateWindow();
    }
    return true;
}
