#pragma once

#include <QPoint>

class QDialog;
class QWidget;

/// The window set-up and placement that every dialog of the user accounts shares.
class AccountsForm
{
public:
    /// Titled with the product name, laid out in the process-wide direction, modal, fixed size,
    /// a title bar with only a close button.
    static void setupDialog(QDialog *dialog);

    /// The global top-left corner of the client area of the active window; of fallback's window
    /// when no window is active (a window opened from a test, or while the console is in the
    /// background), and of the primary screen's available area when there is neither.
    static QPoint activeCorner(QWidget *fallback);

    /// Moves window so that its frame's top-left corner lies at corner + (dx, dy) times the UI
    /// scale, truncated to whole pixels.
    static void moveTo(QWidget *window, const QPoint &corner, int dx, int dy);
};
