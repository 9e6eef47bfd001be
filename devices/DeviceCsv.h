#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include "datastore/VelkIFPDevice.h"
#include "shell/base/CsvImportError.h"

/// One data row of the device CSV file as the import reads it: quotes removed, MAC in lower
/// case, device type turned into its stored form. Cells missing from a short row read as empty.
struct DeviceCsvRow
{
    QString groupCell;     ///< column 0, group names separated by ","
    QString name;          ///< column 1
    QString ipAddress;     ///< column 2
    QString macAddress;    ///< column 3, lower case
    QString typeText;      ///< column 4 as written in the file (rows of more than seven cells only)
    QString deviceType;    ///< stored type: "Control Box" unless the row says "Streaming Audio Box"
    QString position;      ///< column 5 (rows of more than seven cells only)
    QString sosUser;       ///< column 6 (rows of more than seven cells only)
    QString cameraName;    ///< column 7 (rows of more than seven cells only)
    bool extended = false; ///< the row has more than seven cells

    /// The group names of the group cell, in order, empty parts left out.
    QStringList groupNames() const;
};

/// The first problem a device import found.
using DeviceCsvError = CsvImportError;

/// The eight-column device CSV file: its header, its rows and the well-formedness checks of
/// the import's first pass. Pure text work; the database side is DeviceCsvImporter.
/// Texts are translated in the context "ImportDialog".
class DeviceCsv
{
public:
    static constexpr int ColumnGroup = 0;
    static constexpr int ColumnName = 1;
    static constexpr int ColumnIp = 2;
    static constexpr int ColumnMac = 3;
    static constexpr int ColumnType = 4;
    static constexpr int ColumnLocation = 5;
    static constexpr int ColumnSosUser = 6;
    static constexpr int ColumnCamera = 7;

    /// The header line, with its line end.
    static QString headerLine();
    /// One device line, with its line end. groupNames in the order they are written;
    /// adminSosUser is written in column 6 only for an audio box that has a camera.
    static QString deviceLine(const VelkIFPDevice &device, const QStringList &groupNames, const QString &adminSosUser);
    /// A cell as written: quoted, with doubled quotes inside, when it holds a comma, a quote
    /// or a line break, so that the reader gets it back in one piece; unchanged otherwise.
    static QString quoteCell(const QString &cell);

    /// "IFP/Control Box" for "Control Box", "Streaming Audio Box" for "Audio Box", else empty.
    static QString fileTypeText(const QString &storedType);
    static QString fileControlBoxText() { return QStringLiteral("IFP/Control Box"); }
    static QString fileAudioBoxText() { return QStringLiteral("Streaming Audio Box"); }

    /// Reads one data row; never reads past the end of a short row.
    static DeviceCsvRow readRow(const QStringList &cells);

    /// The rows of a file's bytes, decoded as the shared reader decodes them with no codec named (the
    /// codec in use, unless a byte order mark names its own), its line ends read as a spreadsheet reads
    /// them (parseSpreadsheetCsv). Bytes that are no text in that codec (TextDecoder) give no rows and
    /// the error at the row and column where they stand: read as the codec leaves them, a name was
    /// stored with U+FFFD or a placeholder in it.
    static DeviceCsvError parseBytes(const QByteArray &bytes, QList<QStringList> *rows);

    /// The rows of a file without the blank lines that only end it (lines of nothing, blanks or
    /// empty cells after the last row that holds anything).
    static QList<QStringList> withoutBlankEnd(const QList<QStringList> &rows);

    /// The first pass: the first malformed data row (rows[0] is the header and is skipped),
    /// or no error. Blank lines that only end the file are skipped. A header holding a tab, or one of
    /// fewer than four cells holding a semicolon, is refused at row 1: the file separates its cells
    /// with those. Nothing is written anywhere.
    /// storedGroupKeys (DeviceRules::key of each stored group name) are the groups a row joins
    /// without creating them; every other group name must follow the name rule.
    static DeviceCsvError checkRows(const QList<QStringList> &rows,
                                    const QSet<QString> &storedGroupKeys = QSet<QString>());
    /// The checks of one data row; rowNumber is its 1-based number in the file.
    static DeviceCsvError checkRow(const QStringList &cells, int rowNumber,
                                   const QSet<QString> &storedGroupKeys = QSet<QString>());

    /// The translation of a text of the import, whose context is "ImportDialog"; mark the source
    /// text with QT_TRANSLATE_NOOP("ImportDialog", ...).
    static QString text(const char *source);

    static bool isValidIpAddress(const QString &text);
    static bool isValidMacAddress(const QString &text);
};
