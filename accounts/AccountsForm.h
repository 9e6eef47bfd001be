#pragma once

#include <QPoint>
#include <QRect>

class QDialog;
class QGridLayout;
class QLabel;
class QLineEdit;
class QTableView;
class QWidget;
class TextLabel;

/// The window set-up, placement and form parts that the dialogs of the user accounts share.
class AccountsForm
{
public:
    /// A grid of captioned fields in the container: captions and fields share the width by the
    /// two stretches, and the rows share the container's height, so they grow with it when the
    /// form is scaled.
    static QGridLayout *fieldGrid(QWidget *container, int captionStretch, int fieldStretch, int rowSpacing);
    /// One row of such a grid: a caption and a line edit with these object names.
    static QLineEdit *fieldRow(QGridLayout *grid, int row, QLabel **caption, const char *captionName,
                               const char *fieldName);
    /// A table of the accounts' dark style whose own headers are hidden (a row of labels above it
    /// stands in for them), without grid, horizontal scroll bar or word wrap; extraStyle is added
    /// to the table's style sheet.
    static void headerlessTable(QTableView *table, const QString &extraStyle);
    /// The red warning badge "lbMessage", hidden.
    static TextLabel *warningBadge(QWidget *parent, const QRect &geometry);

    /// Titled with the product name, laid out in the process-wide direction, modal, fixed size,
    /// a title bar with only a close button.
    static void setupDialog(QDialog *dialog);

    /// The global top-left corner of the client area of the active window; of fallback's window
    /// when no shown window is active (a window opened from a test, while the console is in the
    /// background, or right after the active window was hidden), and of the primary screen's
    /// available area when there is neither.
    static QPoint activeCorner(QWidget *fallback);

    /// Moves window so that its frame's top-left corner lies at corner + (dx, dy) times the UI
    /// scale, truncated to whole pixels, or only as far from there as keeps it inside the screen.
    static void moveTo(QWidget *window, const QPoint &corner, int dx, int dy);
};
