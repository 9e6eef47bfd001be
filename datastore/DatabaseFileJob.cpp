#include "datastore/DatabaseFileJob.h"

#include <QThread>

DatabaseFileJob::DatabaseFileJob(QObject *parent) : QObject(parent)
{
}

DatabaseFileJob::~DatabaseFileJob()
{
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
    }
}

bool DatabaseFileJob::start(Work work, Done done)
{
    if (m_thread)
        return false;
    m_done = std::move(done);
    // The result is written before the thread ends and read after its finished signal, which orders the two.
    m_thread = QThread::create([this, work = std::move(work)]() { m_result = work(); });
    connect(m_thread, &QThread::finished, this, &DatabaseFileJob::finish);
    m_thread->start();
    return true;
}

void DatabaseFileJob::finish()
{
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    const Done done = std::move(m_done);
    m_done = nullptr;
    if (done)
        done(m_result);
}
