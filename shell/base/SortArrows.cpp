#include "shell/base/SortArrows.h"

#include <algorithm>

SortArrows::SortArrows(int columns, int activeAscending) : m_states(columns, 2)
{
    reset(activeAscending);
}

bool SortArrows::click(int column)
{
    if (column < 0 || column >= m_states.size())
        return true;
    const int state = m_states.at(column);
    if (state == 0 || state == 3) {
        m_states.fill(3);
        m_states[column] = 1;
        return false;
    }
    m_states.fill(2);
    m_states[column] = 0;
    return true;
}

void SortArrows::reset(int activeAscending)
{
    m_states.fill(2);
    if (activeAscending >= 0 && activeAscending < m_states.size())
        m_states[activeAscending] = 0;
}

int SortArrows::active(bool *ascending) const
{
    for (int column = 0; column < m_states.size(); ++column) {
        if (m_states.at(column) == 0 || m_states.at(column) == 1) {
            *ascending = m_states.at(column) == 0;
            return column;
        }
    }
    return -1;
}

void SortArrows::sortRows(QList<int> &rows, const std::function<bool(int, int, int)> &before) const
{
    bool ascending = true;
    const int column = active(&ascending);
    if (column < 0)
        return;
    std::sort(rows.begin(), rows.end(),
              [&](int a, int b) { return ascending ? before(a, b, column) : before(b, a, column); });
}
