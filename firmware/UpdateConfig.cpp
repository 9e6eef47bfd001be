#include "firmware/UpdateConfig.h"

#include <QStringList>

UpdateConfig::Entry UpdateConfig::read(const QByteArray &utf8Text, const QString &modelKey)
{
    Entry entry;
    const QString header = QLatin1Char('[') + modelKey + QLatin1Char(']');
    const QString text = QString::fromUtf8(utf8Text);
    const QVector<QStringRef> lines = text.splitRef(QLatin1Char('\n'));
    for (QStringRef line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (!entry.sectionFound) {
            entry.sectionFound = line.contains(header);
            continue;
        }
        if (line.trimmed().startsWith(QLatin1Char('[')))
            break;
        if (line.startsWith(QLatin1String("Version")))
            entry.version = quotedValue(line.toString());
        else if (line.startsWith(QLatin1String("Path")))
            entry.path = quotedValue(line.toString());
        if (!entry.version.isEmpty() && !entry.path.isEmpty())
            break;
    }
    return entry;
}

QString UpdateConfig::quotedValue(const QString &line)
{
    const QStringList pieces = line.split(QLatin1Char('"'), Qt::SkipEmptyParts);
    return pieces.value(1);
}
