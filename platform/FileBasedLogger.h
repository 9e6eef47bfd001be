#pragma once

#include "platform/SysLogger.h"

#include <QDate>
#include <QFile>
#include <QHash>
#include <QMetaObject>
#include <QMutex>

/// Writes one line per message into a file: time stamp, module, level and text.
///
/// Warnings and errors are written at once, with every line before them. Information and debug lines of one turn of
/// the application's event loop are written together when the next turn begins or the loop goes idle (as glog keeps
/// its information lines): a synchronisation run logs thousands of lines, and a write for each was a tenth of its
/// work. Without an application object every line is written at once.
class FileBasedLogger : public SysLogger
{
public:
    explicit FileBasedLogger(const QString &fileName = QString());
    ~FileBasedLogger() override;

    void moduleRegistered(const QString &name, int id) override;
    bool start() override;
    void stop() override;
    void log(int module, LogLevel level, const QString &text) override;
    void logUtf8(int module, LogLevel level, const QByteArray &text) override;

protected:
    /// Closes the current file and opens (appends to) another one.
    bool openFile(const QString &fileName);
    /// Called before every line with the lock held; lets subclasses switch files.
    virtual void beforeWrite() {}
    qint64 currentSize() const;
    /// The local date of the line being written.
    QDate stampDate() const { return m_stampDate; }

private:
    /// Appends the line to m_pending: the bytes are written as they are, with no text conversion on the way.
    void formatLine(qint64 msecs, int module, LogLevel level, const QByteArray &text);
    /// Writes the lines held back; the lock is held.
    void writePending();
    void watchEventLoop();
    void unwatchEventLoop();
    void refreshStamp(qint64 msecs);

    mutable QMutex m_mutex;
    QFile m_file;
    QString m_fileName;
    QHash<int, QByteArray> m_modules; // names as UTF-8
    QByteArray m_pending;             // lines not written yet, its capacity kept
    bool m_holdLines = false;         // an event loop writes the held lines at every turn
    QMetaObject::Connection m_turnBegins;
    QMetaObject::Connection m_loopIdles;
    bool m_started = false;
    // The local time of the current second, formatted once: converting to local time reads the time-zone file
    // each time, which costs more than the rest of a line.
    qint64 m_stampSecond = -1;
    QByteArray m_stampPrefix;
    QDate m_stampDate;
    // The size of the open file as written through it: asking the file system before every line (for the size
    // limit of a serial logger) cost more than formatting the line.
    qint64 m_size = 0;
};
