#include "shell/base/CsvReader.h"

#include <QFile>
#include <QTextCodec>
#include <QTextStream>

#include <algorithm>

namespace {

// The text with every CR that stands alone outside quotes made a LF, quotes followed the way parseCsv follows them
// (each one opens or closes a quoted part; "" closes and reopens). Old Mac files, and Excel for Mac's
// "CSV (Macintosh)", end their lines with CR alone; read as they are, the whole file is one row.
QString withLoneCrAsLineEnd(QString text)
{
    bool quoted = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && c == QLatin1Char('\r') && (i + 1 == text.size() || text.at(i + 1) != QLatin1Char('\n')))
            text[i] = QLatin1Char('\n');
    }
    return text;
}

} // namespace

QList<QStringList> readCsvFile(const QString &filePath, const QString &codecName)
{
    QFile file(filePath);
    if (!file.exists())
        return {};
    // A file that cannot be read has no rows; reading it as empty text would hand the callers
    // a blank row that looks like an empty document.
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    file.close();
    return readCsvBytes(bytes, codecName);
}

QList<QStringList> readCsvBytes(const QByteArray &bytes, const QString &codecName)
{
    QTextStream stream(bytes, QIODevice::ReadOnly);
    if (!codecName.isEmpty()) {
        if (QTextCodec *codec = QTextCodec::codecForName(codecName.toLatin1()))
            stream.setCodec(codec);
    }
    return parseCsv(normalizeCsvText(stream.readAll()));
}

QString normalizeCsvText(const QString &text)
{
    QString result = text;
    result.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (result.isEmpty() || result.back() != QLatin1Char('\n'))
        result.append(QLatin1Char('\n'));
    return result;
}

QList<QStringList> parseSpreadsheetCsv(const QString &text)
{
    return parseCsv(normalizeCsvText(withLoneCrAsLineEnd(text)));
}

int unclosedQuoteAt(const QString &text)
{
    int opened = -1;
    bool quoted = false;
    const int length = text.size();
    for (int i = 0; i < length; ++i) {
        if (text.at(i) != QLatin1Char('"'))
            continue;
        if (!quoted) {
            quoted = true;
            opened = i;
        } else if (i + 1 < length && text.at(i + 1) == QLatin1Char('"')) {
            ++i;
        } else {
            quoted = false;
        }
    }
    return quoted ? opened : -1;
}

bool isBlankCsvRow(const QStringList &cells)
{
    return std::all_of(cells.begin(), cells.end(), [](const QString &cell) { return cell.trimmed().isEmpty(); });
}

CsvSeparator headerSeparator(const QStringList &header)
{
    const QString joined = header.join(QString());
    if (joined.contains(QLatin1Char('\t')))
        return CsvSeparator::Tab;
    if (joined.contains(QLatin1Char(';')))
        return CsvSeparator::Semicolon;
    return CsvSeparator::Comma;
}

QList<QStringList> parseCsv(const QString &text)
{
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool inQuotes = false;
    const int length = text.size();
    for (int i = 0; i < length; ++i) {
        const QChar c = text.at(i);
        if (inQuotes) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < length && text.at(i + 1) == QLatin1Char('"')) {
                    field.append(c);
                    ++i;
                } else {
                    inQuotes = false;
                }
            } else {
                field.append(c);
            }
            continue;
        }
        if (c == QLatin1Char('\n')) {
            row.append(field);
            field.clear();
            rows.append(row);
            row.clear();
        } else if (c == QLatin1Char(',')) {
            row.append(field);
            field.clear();
        } else if (c == QLatin1Char('"')) {
            inQuotes = true;
        } else {
            field.append(c);
        }
    }
    if (inQuotes) {
        // A quote left open ran to the end of the text. Dropping that row would silently lose
        // it and everything after it; keep it whole (without the line end that closed the
        // text) so that the importing code rejects it as a malformed row.
        if (field.endsWith(QLatin1Char('\n')))
            field.chop(1);
        row.append(field);
        rows.append(row);
    }
    return rows;
}
