#include "shell/kit/FormScale.h"

double FormScale::nextFactor(bool rescale, double currentScale)
{
    if (m_applied == 0.0)
        m_applied = currentScale;
    if (m_applied == 1.0)
        return 0.0;
    if (!rescale)
        return m_applied;
    if (currentScale == m_applied)
        return 0.0;
    const double change = currentScale / m_applied;
    m_applied = currentScale;
    return change;
}
