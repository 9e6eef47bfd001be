#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QThread>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

// Another program holding the database file, played by a second SQLite connection on a thread of its own: the write
// lock with a change not yet saved (BEGIN IMMEDIATE, as an SQLite browser with unsaved changes or `sqlite3` holds it),
// a read transaction (as a backup tool that reads the file holds it), or the file held exclusively, for reading too
// (BEGIN EXCLUSIVE, as an SQLite browser saving a large change or a VACUUM holds it). The hold begins in the
// constructor and ends with release(), the destructor, or by itself after holdMs (0: no end of its own). The thread
// lets the hold end while the console's connection waits for it on the test's thread.
class DatabaseHold
{
public:
    enum Kind
    {
        Writer,
        Reader,
        Exclusive
    };

    DatabaseHold(const QString &file, Kind kind, int holdMs = 0)
    {
        static std::atomic<int> serial{0};
        const QString name = QStringLiteral("database-hold-%1").arg(++serial);
        m_thread.reset(QThread::create([this, file, kind, name, holdMs] { run(file, kind, name, holdMs); }));
        m_thread->start();
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return m_state != Starting; });
    }
    ~DatabaseHold() { release(); }
    DatabaseHold(const DatabaseHold &) = delete;
    DatabaseHold &operator=(const DatabaseHold &) = delete;

    // Whether the hold began; error() says why not.
    bool isHeld() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_state == Holding;
    }
    QString error() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_error;
    }

    // Ends the hold: the change is rolled back, the connection closed. Returns when the file is free.
    void release()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_released = true;
        }
        m_changed.notify_all();
        if (m_thread) {
            m_thread->wait();
            m_thread.reset();
        }
    }

private:
    enum State
    {
        Starting,
        Holding,
        Failed
    };

    void run(const QString &file, Kind kind, const QString &name, int holdMs)
    {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(file);
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
            hold(db, kind, holdMs);
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }

    void hold(QSqlDatabase db, Kind kind, int holdMs)
    {
        bool held = db.open();
        QSqlQuery query(db);
        if (held && kind != Reader)
            held =
                query.exec(kind == Exclusive ? QStringLiteral("BEGIN EXCLUSIVE") : QStringLiteral("BEGIN IMMEDIATE")) &&
                query.exec(QStringLiteral("UPDATE Account SET email = email"));
        else if (held)
            held = query.exec(QStringLiteral("BEGIN")) &&
                   query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) && query.next();
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_state = held ? Holding : Failed;
            if (!held)
                m_error = db.isOpen() ? query.lastError().text() : db.lastError().text();
        }
        m_changed.notify_all();
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            if (holdMs > 0)
                m_changed.wait_for(lock, std::chrono::milliseconds(holdMs), [this] { return m_released; });
            else
                m_changed.wait(lock, [this] { return m_released; });
        }
        query.finish();
        query.exec(QStringLiteral("ROLLBACK"));
    }

    std::unique_ptr<QThread> m_thread;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    State m_state = Starting;
    QString m_error;
    bool m_released = false;
};
