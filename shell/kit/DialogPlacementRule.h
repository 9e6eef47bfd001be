#pragma once

#include <QPoint>

class QWidget;

/// Where the pages put their dialogs before showing them.
class DialogPlacementRule
{
public:
    /// Moves dialog so that its centre lies on the centre of the available area of the screen
    /// that holds owner (the primary screen when owner is null or not on a screen).
    static void centreOnScreenOf(QWidget *dialog, QWidget *owner);
    /// Moves dialog so that it lies centred across the available area of the screen that holds owner, its frame's
    /// bottom edge bottomMargin above that area's bottom: clear of what comes up in the middle.
    static void centreLowOnScreenOf(QWidget *dialog, QWidget *owner, int bottomMargin);
    /// Moves dialog so that its centre lies on the centre of owner's window, kept inside the
    /// available area of that window's screen; the screen's centre when owner is null.
    static void centreOnWindowOf(QWidget *dialog, QWidget *owner);
    /// Moves dialog so that its frame's top-left corner lies at topLeft, or, where the dialog would
    /// then reach past the available area of the screen that holds topLeft (owner's screen when
    /// none does), only as far from there as keeps it inside; a dialog larger than that area keeps
    /// its top-left corner on it.
    static void placeInsideScreen(QWidget *dialog, const QPoint &topLeft, QWidget *owner);
};
