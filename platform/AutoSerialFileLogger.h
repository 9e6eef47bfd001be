#pragma once

#include "platform/FileBasedLogger.h"

#include <QDate>

/// File logger whose file names come from a pattern such as "/logs/App-YYMMDD-999.log":
/// "YYMMDD" becomes the current date and "999" a serial number. A new file is begun on the
/// first line of a new day and when the current file grows past the size limit.
///
/// The files of the pattern together stay within a total: as a file is begun, the oldest others are removed until
/// the rest leave room for it to grow to its limit. A flood of lines fills the disk no faster than days of them would,
/// and the removal by age alone (thirty days) left it to fill meanwhile.
class AutoSerialFileLogger : public FileBasedLogger
{
public:
    explicit AutoSerialFileLogger(const QString &pattern, qint64 maxFileSize = 10 * 1024 * 1024,
                                  qint64 maxTotalSize = 100 * 1024 * 1024);
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
    /// Removes the oldest files of the pattern, never the current one, until the others and the current file's size
    /// limit fit the total.
    void keepWithinTotal();

    QString m_pattern;
    qint64 m_maxFileSize;
    qint64 m_maxTotalSize;
    QDate m_date;
    int m_serial = 0;
    QString m_current;
};
