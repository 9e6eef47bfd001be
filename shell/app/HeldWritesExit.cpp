#include "shell/app/HeldWritesExit.h"

#include "datastore/DbHeldWrites.h"
#include "shell/base/Log.h"

HeldWritesExit::HeldWritesExit(DbHeldWrites *held, QObject *parent, const char *what)
    : QObject(parent), m_held(held), m_what(what)
{
    connect(m_held, &DbHeldWrites::allWritten, this, &HeldWritesExit::update);
    connect(m_held, &DbHeldWrites::refusedAtExit, this, [this](int records) {
        if (!m_chosen || m_withoutRecords)
            return;
        emit notSaved(records, m_held->holdCause());
        emit pendingChanged();
    });
}

int HeldWritesExit::recordsAwaited() const
{
    return m_chosen && !m_withoutRecords ? m_held->count() : 0;
}

void HeldWritesExit::request()
{
    const bool again = m_chosen;
    m_chosen = true;
    m_withoutRecords = false;
    if (!m_held->isEmpty()) {
        if (!again)
            writeLog(LOG_LEVEL_INFO, "HeldWritesExit: Exit waits for %d held writes", m_held->count());
        // Tried at once: a refusal asks the operator (again, when Exit is chosen again), within one short wait.
        m_held->writeBeforeExit();
    }
    update();
}

void HeldWritesExit::quitAnyway()
{
    m_chosen = true;
    m_withoutRecords = true;
    update();
}

void HeldWritesExit::callOff()
{
    if (!m_chosen)
        return;
    m_chosen = false;
    m_withoutRecords = false;
    m_alertLogged = false;
    m_held->exitCalledOff();
    writeLog(LOG_LEVEL_INFO, "HeldWritesExit: Exit called off, %d held writes still held", m_held->count());
    emit pendingChanged();
}

void HeldWritesExit::setAlertsOpen(int warnings)
{
    warnings = qMax(0, warnings);
    if (warnings == m_alertsOpen)
        return;
    // Logged once while warnings hold the exit, however many come and go meanwhile.
    if ((warnings > 0) != (m_alertsOpen > 0))
        m_alertLogged = false;
    m_alertsOpen = warnings;
    update();
}

void HeldWritesExit::update()
{
    if (!m_chosen)
        return;
    if (m_alertsOpen == 0 && (m_withoutRecords || m_held->isEmpty())) {
        m_chosen = false;
        m_withoutRecords = false;
        emit quit();
        return;
    }
    if (m_alertsOpen > 0 && !m_alertLogged) {
        // Ending now would take the warning, its alarm and the panel's stop-alert with it.
        writeLog(LOG_LEVEL_INFO, "HeldWritesExit: %s waits for the SOS warning to be answered", m_what);
        m_alertLogged = true;
    }
    emit pendingChanged();
}
