#pragma once

#include <QString>

class CustComboBox;
class QLabel;
class QMenu;
class QToolButton;
class QWidget;

/// The widgets in the cells of the schedule tables, made the same way for every kind: the
/// Enable/Disable selector, the settings button with its row menu, and the state label. Sizes
/// follow the UI scale factor in force.
class ScheduleTableCells
{
public:
    /// Row height of the tables.
    static int rowHeight();

    /// A selector "Enable" (data 0) / "Disable" (data 1) showing `enabled`, with the row under data
    /// role 256 of its first item, left-aligned in a cell widget of its own (returned in *cell).
    static CustComboBox *enableSelector(bool enabled, int row, QWidget **cell);

    /// The round settings button, its menu a child of it, centred in a cell widget (*cell) with
    /// the margin that keeps it clear of the scroll bar.
    static QToolButton *settingsButton(QWidget **cell);
    static QMenu *rowMenu(QToolButton *button);

    /// The state label: its text elided to `width`, the whole text as tool tip, coloured by state.
    static QLabel *statusLabel(int status, int failedCount, const QString &runningText, int width);
};
