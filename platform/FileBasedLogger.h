#pragma once

#include "platform/SysLogger.h"

#include <QFile>
#include <QHash>
#include <QMutex>

/// Writes one line per message into a file: time stamp, module, level and text.
class FileBasedLogger : public SysLogger
{
public:
    explicit FileBasedLogger(const QString &fileName = QString());
    ~FileBasedLogger() override;

    void moduleRegistered(const QString &name, int id) override;
    bool start() override;
    void stop() override;
    void log(int module, LogLevel level, const QString &text) override;

protected:
    /// Closes the current file and opens (appends to) another one.
    bool openFile(const QString &fileName);
    /// Called before every line with the lock held; lets subclasses switch files.
    virtual void beforeWrite() {}
    qint64 currentSize() const;

private:
    QString formatLine(int module, LogLevel level, const QString &text) const;

    mutable QMutex m_mutex;
    QFile m_file;
    QString m_fileName;
    QHash<int, QString> m_modules;
    bool m_started = false;
};
