#pragma once

#include <QString>

class QWidget;

/// Finds this process's main window by its title, as a second start asks for it.
class MainWindowFinder
{
public:
    /// The first top-level widget with exactly that title, visible or not; null when none.
    static QWidget *find(const QString &title);
    /// Shows the window with that title in its normal state and brings it to the front, and
    /// after it the modal window that blocks it, which is activated; false when there is none
    /// (for instance while only the log-in window is open).
    static bool bringForward(const QString &title);
};
