#pragma once

#include <QObject>

#include <functional>

#include "datastore/DatabaseFileOps.h"

class QThread;

/// Runs one backup or restore copy of DatabaseFileOps on a thread of its own and hands its result back on the thread
/// that started it. A copy of a large database held the GUI thread for seconds: no click, keep-alive or SOS frame was
/// handled meanwhile. The copy opens connections of its own, so nothing but its result crosses threads.
class DatabaseFileJob : public QObject
{
    Q_OBJECT

public:
    using Work = std::function<DatabaseFileOps::Result()>;
    using Done = std::function<void(DatabaseFileOps::Result)>;

    explicit DatabaseFileJob(QObject *parent = nullptr);
    /// Waits for a copy still running: the files it writes must not be left half done by a quitting process.
    ~DatabaseFileJob() override;

    /// Starts work on a thread of its own; done runs on this object's thread with its result, once the thread has
    /// ended. False, and nothing started, while another copy runs.
    bool start(Work work, Done done);
    bool isRunning() const { return m_thread != nullptr; }

private:
    void finish();

    QThread *m_thread = nullptr;
    DatabaseFileOps::Result m_result = DatabaseFileOps::Ok;
    Done m_done;
};
