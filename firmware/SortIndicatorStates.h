#pragma once

#include <QVector>

/// The states of one row of sort arrows, and the click rule that the firmware pages share.
///
/// Each column's arrow is in one of four states: 0 and 1 are the column's two sort orders, active; 2 and 3 are the
/// same two arrows idle. At most one column is active. A click on a column whose arrow is 0 or 3 makes every arrow
/// 3 and that one 1; on a column whose arrow is 1 or 2, every arrow 2 and that one 0. So a second click on the
/// active column reverses it, and a first click on another column keeps the direction of the sort before.
class SortIndicatorStates
{
public:
    explicit SortIndicatorStates(int columns);

    /// `column` active in state 0, every other arrow 2.
    void reset(int column);
    /// A header click; returns the state the column sorts by now (0 or 1).
    int click(int column);

    int state(int column) const { return m_states.value(column, 2); }
    int count() const { return m_states.size(); }
    /// The first column whose arrow is active, -1 when none is.
    int activeColumn() const;
    /// The active column's state (0 or 1); 0 when none is active.
    int activeState() const;

private:
    QVector<int> m_states;
};
