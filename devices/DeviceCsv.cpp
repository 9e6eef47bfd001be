#include "devices/DeviceCsv.h"

#include <QCoreApplication>

#include <algorithm>

#include "devices/DeviceRules.h"
#include "shell/base/CsvPosition.h"
#include "shell/base/CsvReader.h"
#include "shell/base/TextDecoder.h"

namespace {

QString cellAt(const QStringList &cells, int index)
{
    return index < cells.size() ? cells.at(index) : QString();
}

// Quotes carry no meaning in these cells: names, addresses, types and accounts never hold one.
QString unquoted(const QStringList &cells, int index)
{
    QString cell = cellAt(cells, index);
    cell.remove(QLatin1Char('"'));
    return cell;
}

// The wording of the device and group dialogs, whose rule every name of the file follows.
QString nameRuleText()
{
    return DeviceCsv::text(
        QT_TRANSLATE_NOOP("ImportDialog", "Use at most 32 characters and none of \\ / : * ? \" > < |."));
}

QString semicolonsText()
{
    return DeviceCsv::text(QT_TRANSLATE_NOOP("ImportDialog", "The cells of this file are separated by semicolons. "
                                                             "Save it with commas between the cells and import it "
                                                             "again."));
}

} // namespace

QStringList DeviceCsvRow::groupNames() const
{
    QStringList names;
    if (groupCell.isEmpty())
        return names;
    const QStringList parts = groupCell.split(QLatin1Char(','));
    for (const QString &part : parts) {
        // "A,,B" names A and B; an empty part is no group.
        if (!part.isEmpty())
            names.append(part);
    }
    return names;
}

QString DeviceCsv::headerLine()
{
    QString line;
    line += QLatin1Char('"') + DeviceCsv::text(QT_TRANSLATE_NOOP("ImportDialog", "Group")) +
            DeviceCsv::text(QT_TRANSLATE_NOOP("ImportDialog", "(Use \"\",\"\" between names)")) + QLatin1Char('"');
    line += QLatin1Char(',') + DeviceCsv::text(QT_TRANSLATE_NOOP("ImportDialog", "Device Name"));
    line += QLatin1Char(',') + DeviceCsv::text(QT_TRANSLATE_NOOP("ImportDialog", "Ip Address"));
    line += QLatin1Char(',') + DeviceCsv::text(QT_TRANSLATE_NOOP("ImportDialog", "Mac Address")) +
            DeviceCsv::text(QT_TRANSLATE_NOOP("ImportDialog", "(ex 00:11:22:33:44:55)"));
    line += QLatin1Char(',') + DeviceCsv::text(QT_TRANSLATE_NOOP("ImportDialog", "Device Type"));
    line += QLatin1Char(',') + DeviceCsv::text(QT_TRANSLATE_NOOP("ImportDialog", "Location"));
    line += QLatin1Char(',') + DeviceCsv::text(QT_TRANSLATE_NOOP("ImportDialog", "Username for Emergency SOS"));
    line += QLatin1Char(',') + DeviceCsv::text(QT_TRANSLATE_NOOP("ImportDialog", "Camera Name for Emergency SOS"));
    line += QLatin1Char('\n');
    return line;
}

QString DeviceCsv::quoteCell(const QString &cell)
{
    if (!cell.contains(QLatin1Char(',')) && !cell.contains(QLatin1Char('"')) && !cell.contains(QLatin1Char('\n')) &&
        !cell.contains(QLatin1Char('\r')))
        return cell;
    QString quoted = cell;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString DeviceCsv::deviceLine(const VelkIFPDevice &device, const QStringList &groupNames, const QString &adminSosUser)
{
    QString line;
    if (!groupNames.isEmpty()) {
        // The group cell is always quoted so that a spreadsheet keeps "A,B" in one cell.
        QString groups = groupNames.join(QLatin1Char(','));
        groups.replace(QLatin1String("\""), QLatin1String("\"\""));
        line += QLatin1Char('"') + groups + QLatin1Char('"');
    }
    const bool sosUserShown =
        device.deviceType == DeviceRules::audioBoxType() && !device.ptzCamera.isEmpty() && !adminSosUser.isEmpty();
    line += QLatin1Char(',') + quoteCell(device.deviceName);
    line += QLatin1Char(',') + quoteCell(device.ipAddress);
    line += QLatin1Char(',') + quoteCell(device.macAddress);
    line += QLatin1Char(',') + fileTypeText(device.deviceType);
    line += QLatin1Char(',') + quoteCell(device.position);
    line += QLatin1Char(',') + quoteCell(sosUserShown ? adminSosUser : QString());
    line += QLatin1Char(',') + quoteCell(device.ptzCamera);
    line += QLatin1Char('\n');
    return line;
}

QString DeviceCsv::fileTypeText(const QString &storedType)
{
    if (storedType == DeviceRules::controlBoxType())
        return fileControlBoxText();
    if (storedType == DeviceRules::audioBoxType())
        return fileAudioBoxText();
    return QString();
}

DeviceCsvRow DeviceCsv::readRow(const QStringList &cells)
{
    DeviceCsvRow row;
    row.groupCell = unquoted(cells, ColumnGroup);
    row.name = unquoted(cells, ColumnName);
    row.ipAddress = unquoted(cells, ColumnIp);
    row.macAddress = DeviceRules::normalizeMac(unquoted(cells, ColumnMac));
    row.deviceType = DeviceRules::controlBoxType();
    row.extended = cells.size() > 7;
    if (row.extended) {
        row.typeText = unquoted(cells, ColumnType);
        if (row.typeText == fileAudioBoxText())
            row.deviceType = DeviceRules::audioBoxType();
        // A location is free text: the reader has already turned "" into ", keep it.
        row.position = cellAt(cells, ColumnLocation);
        row.sosUser = unquoted(cells, ColumnSosUser);
        row.cameraName = unquoted(cells, ColumnCamera);
    }
    return row;
}

DeviceCsvError DeviceCsv::parseBytes(const QByteArray &bytes, QList<QStringList> *rows)
{
    rows->clear();
    const TextDecoder::Result decoded = TextDecoder::decode(bytes);
    // Line ends as a spreadsheet reads them, whatever their mix. Taking a lone CR for a line end only in a file without
    // any LF lost rows: a header ending with CR swallowed the first device, and a CR-ended file with one line break in
    // a quoted Location (as the export writes it) or rows added in another editor became its header alone.
    if (!decoded.readable) {
        const CsvPosition cell = CsvPosition::atEndOf(decoded.text);
        return DeviceCsvError::at(
            cell.column, cell.row,
            text(QT_TRANSLATE_NOOP("ImportDialog", "This cell holds characters that cannot be read. Save the "
                                                   "file as CSV UTF-8 and import it again.")));
    }
    const int quote = unclosedQuoteAt(decoded.text);
    if (quote >= 0) {
        const CsvPosition cell = CsvPosition::atEndOf(decoded.text.left(quote));
        return DeviceCsvError::at(cell.column, cell.row,
                                  text(QT_TRANSLATE_NOOP("ImportDialog", "A quote (\") opened in this cell is never "
                                                                         "closed. Close or remove it and import the "
                                                                         "file again.")));
    }
    *rows = parseSpreadsheetCsv(decoded.text);
    return DeviceCsvError();
}

QList<QStringList> DeviceCsv::withoutBlankEnd(const QList<QStringList> &rows)
{
    // Spreadsheets and editors end files with empty lines, or with rows of empty cells where rows
    // once were. A blank row before a device row is refused at its number, as an empty row (checkRow).
    int end = rows.size();
    while (end > 1 && isBlankCsvRow(rows.at(end - 1)))
        --end;
    return end == rows.size() ? rows : rows.mid(0, end);
}

DeviceCsvError DeviceCsv::checkRows(const QList<QStringList> &fileRows, const QSet<QString> &storedGroupKeys)
{
    const QList<QStringList> rows = withoutBlankEnd(fileRows);
    // The header is skipped whatever it says, but a tab in it shows how the file was saved: Excel's "Unicode Text" and
    // "Text (Tab delimited)" separate cells with tabs, so every row is one cell and the first row would be refused
    // for an empty address, which tells the operator nothing.
    const CsvSeparator separator = rows.isEmpty() ? CsvSeparator::Comma : headerSeparator(rows.first());
    if (separator == CsvSeparator::Tab)
        return DeviceCsvError::at(
            ColumnGroup, 1,
            DeviceCsv::text(QT_TRANSLATE_NOOP("ImportDialog", "The cells of this file are not separated by commas. "
                                                              "Save it as CSV UTF-8 and import it again.")));
    // Excel writes its "CSV" with semicolons where the list separator of the system is one: the header is then one
    // cell or so, and Excel's own "CSV UTF-8" would write the same file again.
    if (separator == CsvSeparator::Semicolon && rows.first().size() <= ColumnMac)
        return DeviceCsvError::at(ColumnGroup, 1, semicolonsText());
    for (int i = 1; i < rows.size(); ++i) {
        const DeviceCsvError error = checkRow(rows.at(i), i + 1, storedGroupKeys);
        if (error.isError())
            return error;
    }
    return DeviceCsvError();
}

DeviceCsvError DeviceCsv::checkRow(const QStringList &cells, int rowNumber, const QSet<QString> &storedGroupKeys)
{
    // Refused for its empty address, a blank line sent the operator looking for a device without one.
    if (isBlankCsvRow(cells))
        return DeviceCsvError::at(ColumnGroup, rowNumber,
                                  DeviceCsv::text(QT_TRANSLATE_NOOP(
                                      "ImportDialog", "This row is empty. Remove it and import the file again.")));
    const DeviceCsvRow row = readRow(cells);
    if (row.ipAddress.isEmpty() && row.macAddress.isEmpty())
        return DeviceCsvError::at(
            ColumnIp, rowNumber,
            DeviceCsv::text(QT_TRANSLATE_NOOP("ImportDialog", "Ip Address and Mac Address cannot be emtpy.")));
    if (!row.ipAddress.isEmpty() && !isValidIpAddress(row.ipAddress))
        return DeviceCsvError::at(ColumnIp, rowNumber,
                                  DeviceCsv::text(QT_TRANSLATE_NOOP("ImportDialog", "Invalid IP Address.")));
    if (!row.macAddress.isEmpty() && !isValidMacAddress(row.macAddress))
        return DeviceCsvError::at(ColumnMac, rowNumber,
                                  DeviceCsv::text(QT_TRANSLATE_NOOP("ImportDialog", "Invalid mac address.")));
    // Many panels report such a MAC at once: a device stored with it would be matched to each of them.
    if (!row.macAddress.isEmpty() && !DeviceRules::isUsableMac(row.macAddress))
        return DeviceCsvError::at(
            ColumnMac, rowNumber,
            DeviceCsv::text(QT_TRANSLATE_NOOP("ImportDialog",
                                              "No network card has this Mac address (all zeros, broadcast or "
                                              "multicast). Leave it empty to match the device by its IP address.")));
    if (row.name.isEmpty())
        return DeviceCsvError::at(ColumnName, rowNumber,
                                  DeviceCsv::text(QT_TRANSLATE_NOOP("ImportDialog", "Device name is required.")));
    // The rule of the add and edit dialogs: the import must not store a name they would refuse.
    if (!DeviceRules::isValidName(row.name))
        return DeviceCsvError::at(ColumnName, rowNumber, nameRuleText());
    // The same for the groups the row would create. A stored group keeps its name, whatever it is:
    // the file only names it, and refusing it would refuse the console's own export.
    for (const QString &group : row.groupNames()) {
        if (!storedGroupKeys.contains(DeviceRules::key(group)) && !DeviceRules::isValidName(group))
            return DeviceCsvError::at(ColumnGroup, rowNumber, nameRuleText());
    }
    if (!row.extended)
        return DeviceCsvError();

    const bool controlBox = row.typeText == fileControlBoxText();
    const bool audioBox = row.typeText == fileAudioBoxText();
    if (!controlBox && !audioBox)
        return DeviceCsvError::at(ColumnType, rowNumber,
                                  DeviceCsv::text(QT_TRANSLATE_NOOP("ImportDialog", "Invalid device type.")));
    if (controlBox && !row.sosUser.isEmpty())
        return DeviceCsvError::at(
            ColumnSosUser, rowNumber,
            DeviceCsv::text(QT_TRANSLATE_NOOP("ImportDialog", "This type of device does not support emergency SOS.")));
    if (controlBox && !row.cameraName.isEmpty())
        return DeviceCsvError::at(
            ColumnCamera, rowNumber,
            DeviceCsv::text(QT_TRANSLATE_NOOP("ImportDialog", "This type of device does not support emergency SOS.")));
    if (audioBox && row.sosUser.isEmpty() && !row.cameraName.isEmpty())
        return DeviceCsvError::at(
            ColumnSosUser, rowNumber,
            DeviceCsv::text(QT_TRANSLATE_NOOP("ImportDialog", "Username is required for emergency SOS.")));
    if (audioBox && !row.sosUser.isEmpty() && row.cameraName.isEmpty())
        return DeviceCsvError::at(
            ColumnCamera, rowNumber,
            DeviceCsv::text(QT_TRANSLATE_NOOP("ImportDialog", "Camera name is required for emergency SOS.")));
    return DeviceCsvError();
}

QString DeviceCsv::text(const char *source)
{
    return QCoreApplication::translate("ImportDialog", source);
}

bool DeviceCsv::isValidIpAddress(const QString &text)
{
    return DeviceRules::isValidIpv4(text);
}

bool DeviceCsv::isValidMacAddress(const QString &text)
{
    return DeviceRules::isValidMac(text);
}
