#include "platform/AutoSerialFileLogger.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <vector>

namespace {
const QString datePlaceholder = QStringLiteral("YYMMDD");
const QString serialPlaceholder = QStringLiteral("999");
} // namespace

AutoSerialFileLogger::AutoSerialFileLogger(const QString &pattern, qint64 maxFileSize, qint64 maxTotalSize)
    : m_pattern(pattern), m_maxFileSize(maxFileSize), m_maxTotalSize(maxTotalSize)
{
}

AutoSerialFileLogger::~AutoSerialFileLogger() = default;

QString AutoSerialFileLogger::fileNameFor(const QString &pattern, const QDate &date, int serial)
{
    const QFileInfo info(pattern);
    QString name = info.fileName();
    name.replace(datePlaceholder, date.toString(QStringLiteral("yyMMdd")));
    // Only the serial placeholder of the file name is replaced, never digits of the folder.
    const int at = name.lastIndexOf(serialPlaceholder);
    if (at >= 0)
        name.replace(at, serialPlaceholder.size(), QStringLiteral("%1").arg(serial, 3, 10, QLatin1Char('0')));
    return info.dir().filePath(name);
}

bool AutoSerialFileLogger::start()
{
    const QDate today = QDate::currentDate();
    const int serial = qMax(1, highestSerial(today));
    FileBasedLogger::start();
    return openFor(today, serial);
}

QString AutoSerialFileLogger::getFileName() const
{
    return m_current;
}

void AutoSerialFileLogger::beforeWrite()
{
    const QDate today = stampDate();
    if (today != m_date)
        openFor(today, qMax(1, highestSerial(today)));
    else if (m_maxFileSize > 0 && currentSize() >= m_maxFileSize)
        openFor(today, m_serial + 1);
}

int AutoSerialFileLogger::highestSerial(const QDate &date) const
{
    const QFileInfo info(m_pattern);
    QString probe = info.fileName();
    probe.replace(datePlaceholder, date.toString(QStringLiteral("yyMMdd")));
    const int at = probe.lastIndexOf(serialPlaceholder);
    if (at < 0)
        return 0;
    const QRegularExpression re(
        QLatin1Char('^') + QRegularExpression::escape(probe.left(at)) + QStringLiteral("(\\d+)") +
        QRegularExpression::escape(probe.mid(at + serialPlaceholder.size())) + QLatin1Char('$'));
    int highest = 0;
    const QStringList names = info.dir().entryList(QDir::Files);
    for (const QString &name : names) {
        const QRegularExpressionMatch m = re.match(name);
        if (m.hasMatch())
            highest = qMax(highest, m.captured(1).toInt());
    }
    return highest;
}

bool AutoSerialFileLogger::openFor(const QDate &date, int serial)
{
    m_date = date;
    m_serial = serial;
    m_current = fileNameFor(m_pattern, date, serial);
    const bool opened = openFile(m_current);
    keepWithinTotal();
    return opened;
}

void AutoSerialFileLogger::keepWithinTotal()
{
    if (m_maxTotalSize <= 0)
        return;
    const QFileInfo info(m_pattern);
    QString name = QRegularExpression::escape(info.fileName());
    name.replace(datePlaceholder, QStringLiteral("(?<date>\\d{6})"));
    const int at = name.lastIndexOf(serialPlaceholder);
    if (at >= 0)
        name.replace(at, serialPlaceholder.size(), QStringLiteral("(?<serial>\\d+)"));
    const QRegularExpression re(QLatin1Char('^') + name + QLatin1Char('$'));
    struct Kept
    {
        QString path;
        QString date;
        int serial;
        qint64 size;
    };
    std::vector<Kept> others;
    qint64 total = qMax(m_maxFileSize, qint64(0));
    const QFileInfoList files = info.dir().entryInfoList(QDir::Files);
    for (const QFileInfo &file : files) {
        const QRegularExpressionMatch m = re.match(file.fileName());
        if (!m.hasMatch() || file.absoluteFilePath() == QFileInfo(m_current).absoluteFilePath())
            continue;
        // Oldest first by the name's date and serial: a file's time changes with every line.
        others.push_back({file.absoluteFilePath(), m.captured(QStringLiteral("date")),
                          m.captured(QStringLiteral("serial")).toInt(), file.size()});
        total += file.size();
    }
    if (total <= m_maxTotalSize)
        return;
    std::sort(others.begin(), others.end(),
              [](const Kept &a, const Kept &b) { return a.date != b.date ? a.date < b.date : a.serial < b.serial; });
    for (const Kept &file : others) {
        if (total <= m_maxTotalSize)
            break;
        if (QFile::remove(file.path))
            total -= file.size;
    }
}
