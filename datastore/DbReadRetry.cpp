#include "datastore/DbReadRetry.h"

#include "datastore/DbHeldWrites.h"

// The timer is a child so that a test can move it on instead of sleeping through the pauses.
DbReadRetry::DbReadRetry(DbHeldWrites *heldWrites, QObject *parent) : QObject(parent), m_timer(this)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &DbReadRetry::fire);
    if (heldWrites) {
        connect(heldWrites, &DbHeldWrites::heldWritesWritten, this, [this] {
            if (m_waiting)
                m_timer.start(0);
        });
    }
}

DbReadRetry::~DbReadRetry() = default;

void DbReadRetry::setIntervalMs(int first, int longest)
{
    m_firstMs = qMax(1, first);
    m_longestMs = qMax(m_firstMs, longest);
    m_nextMs = m_firstMs;
    if (m_timer.isActive())
        m_timer.start(m_firstMs);
}

bool DbReadRetry::later()
{
    const bool begins = !m_refused;
    m_refused = true;
    if (m_waiting)
        return begins;
    m_waiting = true;
    m_timer.start(m_nextMs);
    m_nextMs = qMin(m_nextMs * 2, m_longestMs);
    return begins;
}

void DbReadRetry::done()
{
    m_waiting = false;
    m_refused = false;
    m_timer.stop();
    m_nextMs = m_firstMs;
}

void DbReadRetry::fire()
{
    // Cleared first: a read refused again during retry() asks for the next, longer pause.
    m_waiting = false;
    emit retry();
}
