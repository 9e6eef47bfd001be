#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Comma-separated text into rows of fields. QtCore only: usable without widgets.
// Separator ",", quote '"', record separator line feed; fields are not trimmed.

/// The rows of a file. A missing file, or one that cannot be opened, gives no rows; an empty
/// file gives one row with one empty field. An empty codec name reads with the stream's default
/// codec; a name that names no known codec does the same.
QList<QStringList> readCsvFile(const QString &filePath, const QString &codecName);

/// The rows of bytes held in memory, decoded exactly as readCsvFile decodes a file's bytes
/// (a byte order mark is taken as such). No bytes give one row with one empty field.
QList<QStringList> readCsvBytes(const QByteArray &bytes, const QString &codecName);

/// CR LF pairs become LF, and the text is made to end with one LF.
QString normalizeCsvText(const QString &text);

/// The rows of a text as spreadsheet programs read what they write: a CR LF pair, a LF and a CR alone each end a row,
/// in any mix (a file saved with one line end and added to in an editor that writes another), and inside quotes every
/// line break belongs to its cell. The device and user imports read their files this way; a lone CR kept in a cell
/// there merged a row into the one before it, or a whole file into its header.
QList<QStringList> parseSpreadsheetCsv(const QString &text);

/// Where the quote stands that opens a quoted part no quote closes, as parseCsv follows quotes ("" inside quotes is
/// one quote); -1 when every quoted part is closed. The imports tell the operator the cell of that quote: read on, the
/// rest of the file fell into one cell, and the refusal named whatever column that cell came to stand in.
int unclosedQuoteAt(const QString &text);

/// Whether a row holds nothing: no cell, or cells of blanks only.
bool isBlankCsvRow(const QStringList &cells);

/// The separator a file's cells seem to have been written with, told by its header read with commas.
enum class CsvSeparator
{
    Comma,
    Tab,       ///< a cell holds a tab: Excel's "Unicode Text" and "Text (Tab delimited)"
    Semicolon, ///< a cell holds a semicolon and none a tab: Excel's "CSV" where the system's list separator is one
};

/// Which separator the header row seems to use. The imports, which read commas only, tell the operator how to save
/// the file again instead of refusing a title or a row that one cell holds whole; each decides at which widths a
/// header is wrong.
CsvSeparator headerSeparator(const QStringList &header);

/// Splits text into rows and fields. Inside double quotes, commas and line feeds belong to the
/// field and "" stands for one quote; a quote in the middle of an unquoted field opens quoting.
/// A row that no line feed ends is dropped, except one that a quote left open swallowed: that
/// row is kept, its last field holding the rest of the text, so the caller sees the broken row.
QList<QStringList> parseCsv(const QString &text);
