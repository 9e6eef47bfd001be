#pragma once

#include <QVector>

/// The sort arrows above a table's columns and their click rules. States: 0 ascending active, 1 descending active,
/// 2 ascending idle, 3 descending idle. A click on the active column reverses it; a click on another column sorts it
/// in the direction of the last sort, which the idle arrows show.
class SortArrows
{
public:
    explicit SortArrows(int columns, int activeAscending = 0);

    int state(int column) const { return m_states.value(column, 2); }
    /// Applies a click on the column; returns true for an ascending sort.
    bool click(int column);
    /// All idle ascending, one column active ascending.
    void reset(int activeAscending);
    /// The active column, or -1; *ascending tells its direction.
    int active(bool *ascending) const;

private:
    QVector<int> m_states;
};
