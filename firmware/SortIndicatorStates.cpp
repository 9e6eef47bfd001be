#include "firmware/SortIndicatorStates.h"

SortIndicatorStates::SortIndicatorStates(int columns) : m_states(columns, 2)
{
}

void SortIndicatorStates::reset(int column)
{
    m_states.fill(2);
    if (column >= 0 && column < m_states.size())
        m_states[column] = 0;
}

int SortIndicatorStates::click(int column)
{
    if (column < 0 || column >= m_states.size())
        return activeState();
    const int before = m_states.at(column);
    const bool toState1 = before == 0 || before == 3;
    m_states.fill(toState1 ? 3 : 2);
    m_states[column] = toState1 ? 1 : 0;
    return m_states.at(column);
}

int SortIndicatorStates::activeColumn() const
{
    for (int i = 0; i < m_states.size(); ++i) {
        if (m_states.at(i) == 0 || m_states.at(i) == 1)
            return i;
    }
    return -1;
}

int SortIndicatorStates::activeState() const
{
    const int column = activeColumn();
    return column < 0 ? 0 : m_states.at(column);
}
