#include "network/PanelFileName.h"

namespace PanelFileName {

QString plain(const QString &name)
{
    QString result = name;
    for (QChar &c : result) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('/') || c.category() == QChar::Other_Control)
            c = QLatin1Char('_');
    }
    if (result.startsWith(QLatin1Char('.')))
        result[0] = QLatin1Char('_');
    return result;
}

} // namespace PanelFileName
