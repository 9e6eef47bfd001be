#include "firmware/UpdateConfig.h"

#include <QStringList>
#include <QTextCodec>

#include "shell/base/TextDecoder.h"

UpdateConfig::Entry UpdateConfig::read(const QByteArray &utf8Text, const QString &modelKey)
{
    Entry entry;
    const QString header = QLatin1Char('[') + modelKey + QLatin1Char(']');
    // The whole array: QString::fromUtf8(QByteArray) ends the text at its first NUL.
    const TextDecoder::Result decoded = TextDecoder::decode(utf8Text, QTextCodec::codecForMib(106));
    if (!decoded.readable || decoded.text.contains(QChar(0))) {
        entry.unreadable = true;
        return entry;
    }
    const QString &text = decoded.text;
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
