#include "shell/app/HeldWritesExit.h"

#include "datastore/DbHeldWrites.h"
#include "shell/base/Log.h"

HeldWritesExit::HeldWritesExit(DbHeldWrites *held, QObject *parent) : QObject(parent), m_held(held)
{
    connect(m_held, &DbHeldWrites::allWritten, this, [this] {
        if (m_waiting)
            end();
    });
    connect(m_held, &DbHeldWrites::refusedAtExit, this, [this](int records) {
        if (m_waiting)
            emit notSaved(records);
    });
}

void HeldWritesExit::request()
{
    if (m_held->isEmpty()) {
        end();
        return;
    }
    if (!m_waiting)
        writeLog(LOG_LEVEL_INFO, "HeldWritesExit: Exit waits for %d held writes", m_held->count());
    m_waiting = true;
    // Tried at once: a refusal asks the operator (again, when Exit is chosen again), within one short wait.
    m_held->writeBeforeExit();
}

void HeldWritesExit::quitAnyway()
{
    end();
}

void HeldWritesExit::end()
{
    m_waiting = false;
    emit quit();
}
