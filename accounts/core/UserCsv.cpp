#include "accounts/core/UserCsv.h"

#include "shell/base/CsvPosition.h"
#include "shell/base/CsvReader.h"
#include "shell/base/TextDecoder.h"

#include <QCoreApplication>

namespace {

bool isEnableOrDisable(const QString &value)
{
    return value == QLatin1String("Enable") || value == QLatin1String("Disable");
}

// The cell in which the text read so far ends, as the rows are read (a lone CR ends a row).
UserCsvError unreadableAfter(const QString &text)
{
    const CsvPosition cell = CsvPosition::atEndOf(text);
    return UserCsvError::at(
        cell.column, cell.row,
        UserCsv::text(QT_TRANSLATE_NOOP("ImportListDialog", "This cell holds characters that cannot be read. Save "
                                                            "the file as CSV UTF-8 and import it again.")));
}

UserCsvError missingColumn(int column, int rowNumber)
{
    return UserCsvError::at(
        column, rowNumber,
        UserCsv::text(QT_TRANSLATE_NOOP("ImportListDialog", "This column is missing from the row.")));
}

} // namespace

QString UserCsvRow::appValue(const QString &appName) const
{
    const int column = UserCsv::appColumn(appName);
    if (column < 0)
        return QStringLiteral("Disable");
    return apps.value(column - UserCsv::FirstAppColumn);
}

const QStringList &UserCsv::columnTitles()
{
    // The app titles are the names the data store seeds into its app table.
    static const QStringList titles = {
        QStringLiteral("Name"),        QStringLiteral("Password"),
        QStringLiteral("RFID ID"),     QStringLiteral("Permissions of install apps "),
        QStringLiteral("IFP access"),  QStringLiteral("Chromium"),
        QStringLiteral("Inkora"),      QStringLiteral("Screen Share"),
        QStringLiteral("Oculo2"),      QStringLiteral("ES File Explorer"),
        QStringLiteral("OfficeSuite"), QStringLiteral("Grouping & Draw"),
        QStringLiteral("Calculator"),  QStringLiteral("Calendar"),
        QStringLiteral("Music"),       QStringLiteral("Video"),
        QStringLiteral("Settings"),
    };
    return titles;
}

int UserCsv::appColumn(const QString &appName)
{
    const QStringList &titles = columnTitles();
    for (int column = FirstAppColumn; column < ColumnCount; ++column) {
        if (titles.at(column) == appName)
            return column;
    }
    return -1;
}

bool UserCsv::hasChineseCharacter(const QString &text)
{
    // Compared as code points: a regular-expression range such as [\x4e00-\x9fa5] means
    // "N, 0 to U+009F, a5" in the syntax QRegularExpression uses and refuses ordinary passwords.
    // The range lies inside the Basic Multilingual Plane, where a code point is one UTF-16 unit and
    // no half of a surrogate pair falls into it.
    for (const QChar c : text) {
        if (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FA5)
            return true;
    }
    return false;
}

UserCsvError UserCsv::parseBytes(const QByteArray &bytes, QList<QStringList> *rows)
{
    rows->clear();
    const TextDecoder::Result decoded = TextDecoder::decode(bytes);
    const QString &text = decoded.text;
    // A NUL decodes without complaint but cannot travel in the panels' account file, which refuses it whole. The
    // first of the two problems in the file is the one reported.
    const int nul = text.indexOf(QChar(0));
    if (nul >= 0)
        return unreadableAfter(text.left(nul));
    if (!decoded.readable)
        return unreadableAfter(text);
    const int quote = unclosedQuoteAt(text);
    if (quote >= 0) {
        const CsvPosition cell = CsvPosition::atEndOf(text.left(quote));
        return UserCsvError::at(
            cell.column, cell.row,
            UserCsv::text(QT_TRANSLATE_NOOP("ImportListDialog", "A quote (\") opened in this cell is never closed. "
                                                                "Close or remove it and import the file again.")));
    }
    *rows = parseSpreadsheetCsv(text);
    return UserCsvError();
}

QList<QStringList> UserCsv::withoutTrailingBlankLines(QList<QStringList> rows)
{
    // Spreadsheet programs and editors often leave empty lines at the end of a file, or rows of empty cells where
    // rows once were; they hold no user. The header row is kept even when blank, so an empty file still fails its
    // header check.
    while (rows.size() > 1 && isBlankCsvRow(rows.last()))
        rows.removeLast();
    return rows;
}

UserCsvError UserCsv::checkHeader(const QStringList &cells)
{
    // A file saved with another separator is one cell wide: "the title column is wrong" sent the operator looking
    // for a typing error in the titles.
    const CsvSeparator separator = cells.size() < ColumnCount ? headerSeparator(cells) : CsvSeparator::Comma;
    if (separator == CsvSeparator::Tab)
        return UserCsvError::at(
            0, 1,
            text(QT_TRANSLATE_NOOP("ImportListDialog", "The cells of this file are not separated by commas. Save it as "
                                                       "CSV UTF-8 and import it again.")));
    if (separator == CsvSeparator::Semicolon)
        return UserCsvError::at(
            0, 1,
            text(QT_TRANSLATE_NOOP("ImportListDialog", "The cells of this file are separated by semicolons. Save it "
                                                       "with commas between the cells and import it again.")));
    const QStringList &titles = columnTitles();
    for (int column = 0; column < ColumnCount; ++column) {
        if (column >= cells.size() || !clean(cells.at(column)).contains(titles.at(column)))
            return UserCsvError::at(column, 1,
                                    text(QT_TRANSLATE_NOOP("ImportListDialog", "Content of title column is wrong.")));
    }
    return UserCsvError();
}

UserCsvError UserCsv::checkRow(const QStringList &cells, int rowNumber, const QHash<QString, QString> &cardHolders)
{
    // Every check looks at its column only after making sure the row reaches it, so a short row is
    // reported at its first missing column unless a column before it already failed.
    if (cells.isEmpty())
        return missingColumn(ColumnName, rowNumber);
    // A blank line between users is said to be one, as the device import says it.
    if (isBlankCsvRow(cells))
        return UserCsvError::at(
            ColumnName, rowNumber,
            text(QT_TRANSLATE_NOOP("ImportListDialog", "This row is empty. Remove it and import the file again.")));
    const QString name = clean(cells.at(ColumnName));
    if (name.isEmpty())
        return UserCsvError::at(ColumnName, rowNumber,
                                text(QT_TRANSLATE_NOOP("ImportListDialog", "Name can not be emtpy.")));

    if (cells.size() <= ColumnPassword)
        return missingColumn(ColumnPassword, rowNumber);
    const QString password = clean(cells.at(ColumnPassword));
    if (!password.isEmpty() && PasswordRule::isTooShort(password))
        return UserCsvError::at(
            ColumnPassword, rowNumber,
            text(QT_TRANSLATE_NOOP("ImportListDialog", "Password must contain at least 4 characters.")));
    if (hasChineseCharacter(password))
        return UserCsvError::at(
            ColumnPassword, rowNumber,
            text(QT_TRANSLATE_NOOP("ImportListDialog", "Password cannot contain Chinese characters.")));

    if (cells.size() <= ColumnCard)
        return missingColumn(ColumnCard, rowNumber);
    const QString card = clean(cells.at(ColumnCard));
    if (!card.isEmpty()) {
        const auto holder = cardHolders.constFind(card);
        if (holder != cardHolders.constEnd() && holder.value() != name)
            return UserCsvError::at(
                ColumnCard, rowNumber,
                text(
                    QT_TRANSLATE_NOOP("ImportListDialog", "This RFID ID has been used by another account in server.")));
    }

    for (int column = ColumnInstallApps; column < ColumnCount; ++column) {
        if (cells.size() <= column)
            return missingColumn(column, rowNumber);
        if (column == ColumnAccess)
            continue;
        if (!isEnableOrDisable(clean(cells.at(column))))
            return UserCsvError::at(
                column, rowNumber,
                text(QT_TRANSLATE_NOOP("ImportListDialog", "Value should be \"Enable\" or \"Disable\".")));
    }
    return UserCsvError();
}

UserCsvRow UserCsv::readRow(const QStringList &cells)
{
    UserCsvRow row;
    auto cell = [&cells](int column) { return clean(cells.value(column)); };
    row.name = cell(ColumnName);
    row.password = cell(ColumnPassword);
    row.card = cell(ColumnCard);
    row.installApps = cell(ColumnInstallApps);
    row.access = cell(ColumnAccess);
    for (int column = FirstAppColumn; column < ColumnCount; ++column)
        row.apps.append(cell(column));
    return row;
}

QString UserCsv::text(const char *source)
{
    return QCoreApplication::translate("ImportListDialog", source);
}
