#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include "accounts/core/PasswordRule.h"
#include "shell/base/CsvImportError.h"

/// The first problem a user import found; the same record as the device import's, so both feed
/// the same error window.
using UserCsvError = CsvImportError;

/// One data row of the user CSV file as the writing reads it: quotes removed, nothing trimmed.
/// Only rows that passed UserCsv::checkRow are read this way, so all seventeen cells are there.
struct UserCsvRow
{
    QString name;
    QString password;
    QString card;
    QString installApps; ///< "Enable" or "Disable"
    QString access;      ///< device names joined by ","
    QStringList apps;    ///< the twelve app cells, in column order

    bool hasPermission() const { return installApps != QLatin1String("Disable"); }
    /// The names of the access cell, split at every ","; empty pieces stay and match no device.
    QStringList deviceNames() const { return access.split(QLatin1Char(',')); }
    /// The cell of the app's column; "Disable" for a name that is none of the twelve titles.
    QString appValue(const QString &appName) const;
};

/// The seventeen-column user CSV file: its titles, its template and the checks that need no
/// database beyond the card holders handed in. Texts are translated in the context
/// "ImportListDialog".
///
/// A row may be shorter than the header (a blank line is one empty cell): the checks report it
/// at its first missing column instead of reading past its end.
class UserCsv
{
public:
    static constexpr int ColumnName = 0;
    static constexpr int ColumnPassword = 1;
    static constexpr int ColumnCard = 2;
    static constexpr int ColumnInstallApps = 3;
    static constexpr int ColumnAccess = 4;
    static constexpr int FirstAppColumn = 5;
    static constexpr int ColumnCount = 17;
    static constexpr int MinPasswordLength = PasswordRule::MinLength;

    /// What each header cell must contain, in column order; the fourth ends with a blank.
    static const QStringList &columnTitles();
    /// The 0-based column of an app title; -1 for any other name.
    static int appColumn(const QString &appName);

    /// The built-in template that "Download a sample file" saves.
    static QString templatePath() { return QStringLiteral(":/resource/accountMgt/example.csv"); }

    /// The cell with every double quote removed, wherever it stands.
    static QString clean(const QString &cell) { return QString(cell).remove(QLatin1Char('"')); }

    /// True when the text holds a code point from U+4E00 to U+9FA5 (the CJK unified
    /// ideographs the panels cannot take in a password).
    static bool hasChineseCharacter(const QString &text);

    /// The rows of a user file's bytes, decoded with the codec in use (QTextCodec::codecForLocale)
    /// unless a byte order mark names its own. Line ends are read as a spreadsheet reads them
    /// (parseSpreadsheetCsv, as the device import does). Bytes that are no text in that codec
    /// (TextDecoder: bad bytes, half a surrogate pair, a character cut off at the end, a code
    /// page's placeholders) give no rows and the error at the row and column where they stand:
    /// decoded as the codec leaves them they were stored changed. A NUL character is refused the
    /// same way.
    static UserCsvError parseBytes(const QByteArray &bytes, QList<QStringList> *rows);

    /// The rows without the blank lines that end the file (rows of one empty cell). Blank lines
    /// between data rows stay: they are rows of the file, and the checks refuse them.
    static QList<QStringList> withoutTrailingBlankLines(QList<QStringList> rows);

    /// The header row: the first column whose cell lacks its title, at row 1. A header of fewer
    /// cells than the file has columns that holds a tab or a semicolon is refused at its first cell
    /// with a message that names the separator.
    static UserCsvError checkHeader(const QStringList &cells);
    /// The value checks of one data row, in the order the operator meets them: name, password
    /// length, password characters, card, install-apps value, then the app values.
    /// cardHolders maps a card to the name of the stored user holding it; a card held under
    /// another name is refused, and so is one held under the empty name (the panels'
    /// administrator card).
    static UserCsvError checkRow(const QStringList &cells, int rowNumber, const QHash<QString, QString> &cardHolders);

    /// Reads a checked row.
    static UserCsvRow readRow(const QStringList &cells);

    /// The translation of a text of the import, whose context is "ImportListDialog"; mark the
    /// source text with QT_TRANSLATE_NOOP("ImportListDialog", ...).
    static QString text(const char *source);
};
