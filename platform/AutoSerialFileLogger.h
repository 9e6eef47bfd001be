#pragma once

#include "platform/FileBasedLogger.h"

#include <QDate>

/// File logger whose file names come from a pattern such as "/logs/App-YYMMDD-999.log":
/// "YYMMDD" becomes the current date and "999" a serial number. A new file is begun on the
/// first line of a new day and when the current file grows past the size limit.
class AutoSerialFileLogger : public FileBasedLogger
{
public:
    explicit AutoSerialFileLogger(const QString &pattern, qint64 maxFileSize = 10 * 1024 * 1024);
    ~AutoSerialFileLogger() override;

    bool start() override;
    /// The name of the file being written, empty before start().
    virtual QString getFileName() const;

    /// The file name the pattern gives for a date and a serial number.
    static QString fileNameFor(const QString &pattern, const QDate &date, int serial);

protected:
    void beforeWrite() override;

private:
    int highestSerial(const QDate &date) const;
    bool openFor(const QDate &date, int serial);

    QString m_pattern;
    qint64 m_maxFileSize;
    QDate m_date;
    int m_serial = 0;
    QString m_current;
};
