#pragma once

#include <QList>
#include <QVector>

#include <functional>

/// The sort arrows above a table's columns and their click rules, shared by every table that sorts by a header click
/// (the arrows are the kit's SortingIndicator; this is their state, free of widgets). States: 0 ascending active, 1
/// descending active, 2 ascending idle, 3 descending idle. A click on the active column reverses it; a click on another
/// column sorts it in the direction of the last sort, which the idle arrows show.
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
    /// Sorts row indexes by the active column: `before(a, b, column)` is the column's ascending order, a strict
    /// total order (ties broken by a unique key); descending is its exact reverse. No active column: no change.
    void sortRows(QList<int> &rows, const std::function<bool(int, int, int)> &before) const;

private:
    QVector<int> m_states;
};
