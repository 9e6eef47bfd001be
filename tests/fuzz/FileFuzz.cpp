#include "FileFuzz.h"

#include "accounts/core/UserCsv.h"
#include "devices/DeviceCsv.h"
#include "firmware/BoxManifest.h"
#include "firmware/DownloadRules.h"
#include "firmware/FirmwareVersion.h"
#include "firmware/PanelManifest.h"
#include "firmware/PanelVersion.h"
#include "firmware/UpdateConfig.h"
#include "firmware/UpdateRoutes.h"
#include "network/AccountFile.h"
#include "network/PanelAccountMerge.h"
#include "shell/base/CsvReader.h"

#include <QByteArray>
#include <QDir>
#include <QHash>
#include <QSet>
#include <QUrl>

namespace {

QByteArray bytesOf(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), int(size));
}

bool sameEntry(const UpdateConfig::Entry &a, const UpdateConfig::Entry &b)
{
    return a.sectionFound == b.sectionFound && a.version == b.version && a.path == b.path;
}

// The checks of an import's error: its row, a column the row reaches (a short row is reported at its first missing
// column), and a reason.
void checkImportError(const CsvImportError &error, int rowNumber, int cellCount, int columnCount, const char *what)
{
    if (error.row != rowNumber || error.column < 0 || error.column >= columnCount || error.column > cellCount ||
        error.message.isEmpty())
        qFatal("%s: error at column %d row %d for row %d of %d cells", what, error.column, error.row, rowNumber,
               cellCount);
}

bool sameAccountRows(const QList<AccountFileRow> &a, const QList<AccountFileRow> &b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i) {
        const AccountFileRow &x = a.at(i);
        const AccountFileRow &y = b.at(i);
        if (x.userName != y.userName || x.password != y.password || x.rfidId != y.rfidId ||
            x.hasPermission != y.hasPermission || x.uniqueId != y.uniqueId || x.packages != y.packages)
            return false;
    }
    return true;
}

// Users read from the bytes as fields separated by NUL, five to a user: name, password, card, unique id and the
// packages separated by ";". The file has no way to carry a user without a name, an empty package name or a NUL.
QList<AccountFileRow> usersFromFields(const QByteArray &bytes)
{
    const QList<QByteArray> fields = bytes.split('\0');
    QList<AccountFileRow> users;
    for (int i = 0; i < fields.size(); i += 5) {
        AccountFileRow user;
        user.userName = QString::fromUtf8(fields.at(i));
        if (user.userName.isEmpty())
            continue;
        user.password = QString::fromUtf8(fields.value(i + 1));
        user.rfidId = QString::fromUtf8(fields.value(i + 2));
        user.uniqueId = QString::fromUtf8(fields.value(i + 3));
        user.packages = QString::fromUtf8(fields.value(i + 4)).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        user.hasPermission = fields.at(i).size() % 2 == 1;
        users.append(user);
    }
    return users;
}

} // namespace

namespace FileFuzz {

void updateConfig(const uint8_t *data, size_t size)
{
    const QString model = QStringLiteral("QML8");
    // Read as the text it decodes to, so that appending cannot complete a broken character at the end.
    const QByteArray text = QString::fromUtf8(bytesOf(data, size)).toUtf8();
    const UpdateConfig::Entry entry = UpdateConfig::read(text, model);
    if (!entry.sectionFound && (!entry.version.isEmpty() || !entry.path.isEmpty()))
        qFatal("update.cfg: a value without its section");
    for (const QString *value : {&entry.version, &entry.path}) {
        if (value->contains(QLatin1Char('"')) || value->contains(QLatin1Char('\n')))
            qFatal("update.cfg: a value spans a quote or a line");
    }
    const QByteArray other("[QML9X]\nVersion=\"9.0.0000.99\"\nPath=\"http://updates.example/QML9X.bin\"\n");
    if (!sameEntry(UpdateConfig::read(text + '\n' + other, model), entry) ||
        !sameEntry(UpdateConfig::read(other + text, model), entry))
        qFatal("update.cfg: another model's section changed the entry");

    // The address the audio-box update accepts (http or https, a plain file name) and where its file is written.
    if (entry.path.isEmpty())
        return;
    const QUrl url(entry.path);
    const QString name = DownloadRules::urlFileName(url);
    if (!DownloadRules::isFetchableUrl(url) || !DownloadRules::isSafeFileName(name))
        return;
    const QString folder = QStringLiteral("/fuzz/Velk/Download/QML8");
    const QString target = QDir(folder).filePath(name);
    if (!DownloadRules::isInsideFolder(target, folder) || QDir::cleanPath(target) != folder + QLatin1Char('/') + name)
        qFatal("update.cfg: the file of an accepted address lands outside the download folder");
}

void boxManifest(const uint8_t *data, size_t size)
{
    const BoxManifest::Result manifest = BoxManifest::read(bytesOf(data, size), QStringLiteral("Velk TM7-B"));
    for (const ManifestPackage &package : manifest.packages) {
        if (!BoxManifest::isWellFormedVersion(package.oldVersion) ||
            !BoxManifest::isWellFormedVersion(package.newVersion))
            qFatal("manifest: a package with a malformed version was kept");
        if (package.size == 0 || package.size < -1)
            qFatal("manifest: a package size that is neither a positive number nor missing");
        if (!package.v2 && !package.sku.isEmpty())
            qFatal("manifest: a Package with an SKU");
    }

    UpdateRoutes routes;
    const bool built = routes.build(manifest.packages);
    if (built == routes.gaveUp())
        qFatal("routes: the build's answer and gaveUp() disagree");
    if (!built) {
        if (!routes.isEmpty())
            qFatal("routes: a build that gave up left routes");
        return;
    }
    const QVector<UpdateRoutes::Node> &nodes = routes.nodes();
    if (routes.routes().size() > UpdateRoutes::MaxRoutes)
        qFatal("routes: %d routes, more than the limit of %d", routes.routes().size(), UpdateRoutes::MaxRoutes);
    for (const UpdateRoutes::Route &route : routes.routes()) {
        if (route.isEmpty() || route.size() > UpdateRoutes::MaxRouteLength)
            qFatal("routes: a route of %d steps, the limit is %d", route.size(), UpdateRoutes::MaxRouteLength);
        for (int i = 0; i < route.size(); ++i) {
            if (route.at(i) < 0 || route.at(i) >= nodes.size())
                qFatal("routes: a route names a node that does not exist");
            const UpdateRoutes::Node &node = nodes.at(route.at(i));
            if (FirmwareVersion::compareDelta(node.oldVersion, node.newVersion) >= 0)
                qFatal("routes: a step that does not lead upwards");
            if (i + 1 == route.size())
                continue;
            const UpdateRoutes::Node &next = nodes.value(route.at(i + 1));
            if (next.oldVersion != node.newVersion)
                qFatal("routes: a step does not start where the one before it ended");
            if (!node.sku.isEmpty() && !next.sku.isEmpty() && node.sku != next.sku)
                qFatal("routes: a route changes SKU");
        }
    }

    // The step a device of each node's version and SKU takes: its route's own, upwards, fetchable.
    QSet<QString> asked;
    for (const UpdateRoutes::Node &node : nodes) {
        if (asked.size() >= 64)
            break;
        const QString key = node.oldVersion + QLatin1Char('/') + node.sku;
        if (asked.contains(key))
            continue;
        asked.insert(key);
        const int route = routes.findRouteIndex(node.oldVersion, node.sku);
        if (route < 0)
            continue;
        const QString to = routes.nextVersion(route, node.oldVersion);
        if (to.isEmpty())
            continue;
        if (FirmwareVersion::compareDelta(node.oldVersion, to) >= 0)
            qFatal("routes: the next version of a route is not newer");
        const ManifestPackage *step = UpdateRoutes::chooseStep(manifest.packages, node.oldVersion, to, node.sku);
        if (!step)
            continue;
        if (step->oldVersion != node.oldVersion || step->newVersion != to || step->size <= 0 ||
            !DownloadRules::isFetchableUrl(QUrl(step->url)) || !UpdateRoutes::skuCompatible(step->sku, node.sku))
            qFatal("routes: a chosen step is off the route, has no size, no http(s) address or another SKU");
    }
}

void panelManifest(const uint8_t *data, size_t size)
{
    const PanelManifest manifest = PanelManifest::read(bytesOf(data, size), QStringLiteral("Velk TM B-Series"));
    QSet<QString> versions;
    for (const PanelManifest::Entry &entry : manifest.entries)
        versions.insert(entry.oldVersion);
    int checked = 0;
    for (const QString &version : qAsConst(versions)) {
        if (++checked > 32)
            break;
        QString firstWellFormed;
        for (const PanelManifest::Entry &entry : manifest.entries) {
            if (entry.oldVersion == version && PanelVersion::isWellFormed(entry.panelVersion)) {
                firstWellFormed = entry.panelVersion;
                break;
            }
        }
        if (manifest.matchedPanelVersion(version) != firstWellFormed)
            qFatal("panel manifest: the matched panel version is not the first well-formed one");

        for (const int inches : {65, 75, 86, 55}) {
            for (const char *oc : {"00", "01"}) {
                const QString ocCode = QLatin1String(oc);
                const PanelManifest::Image image = manifest.image(version, inches, ocCode);
                const QString sizeName = PanelManifest::sizeAttribute(inches, ocCode);
                const QString serverName = PanelManifest::serverElement(inches, ocCode);
                if (sizeName.isEmpty()) {
                    if (!image.url.isEmpty())
                        qFatal("panel manifest: an image for a size the panels do not have");
                    continue;
                }
                bool usable = false;
                bool given = false;
                for (const PanelManifest::Entry &entry : manifest.entries) {
                    if (entry.oldVersion != version)
                        continue;
                    const QString sizeText = entry.attributes.value(sizeName);
                    const qint64 bytes = BoxManifest::parseSize(QStringRef(&sizeText));
                    const QString url = entry.servers.value(serverName);
                    if (bytes > 0 && bytes <= DownloadRules::MaxStatedFirmwareBytes &&
                        DownloadRules::isFetchableUrl(QUrl(url)))
                        usable = true;
                    if (!image.url.isEmpty() && entry.servers.contains(serverName) && url == image.url &&
                        bytes == image.size)
                        given = true;
                }
                if (!image.url.isEmpty() && (image.size <= 0 || !given))
                    qFatal("panel manifest: an image without a size, or that no entry of its version gives");
                if (image.url.isEmpty() && usable)
                    qFatal("panel manifest: an entry with a size and a usable address was passed over");
            }
        }
    }
}

void userCsv(const uint8_t *data, size_t size)
{
    const QList<QStringList> rows =
        UserCsv::withoutTrailingBlankLines(readCsvBytes(bytesOf(data, size), QStringLiteral("UTF-8")));
    if (rows.isEmpty())
        qFatal("user CSV: no header row");
    const CsvImportError header = UserCsv::checkHeader(rows.first());
    if (header.isError())
        checkImportError(header, 1, rows.first().size(), UserCsv::ColumnCount, "user CSV header");

    // A card held by a stored user under another name.
    const QHash<QString, QString> cardHolders{{QStringLiteral("0000000001"), QStringLiteral("Holder")}};
    const QString titles = UserCsv::columnTitles().join(QLatin1Char(',')) + QLatin1Char('\n');
    for (int i = 1; i < rows.size() && i <= 200; ++i) {
        const QStringList &cells = rows.at(i);
        const CsvImportError error = UserCsv::checkRow(cells, i + 1, cardHolders);
        if (error.isError()) {
            checkImportError(error, i + 1, cells.size(), UserCsv::ColumnCount, "user CSV row");
            continue;
        }
        if (cells.size() < UserCsv::ColumnCount)
            qFatal("user CSV: a short row was accepted");
        const UserCsvRow row = UserCsv::readRow(cells);
        if (row.name.isEmpty() || row.name.contains(QLatin1Char('"')))
            qFatal("user CSV: an accepted name is empty or holds a quote");
        if ((!row.password.isEmpty() && row.password.size() < UserCsv::MinPasswordLength) ||
            UserCsv::hasChineseCharacter(row.password))
            qFatal("user CSV: an accepted password breaks the password rules");
        if (!row.card.isEmpty() && cardHolders.contains(row.card) && cardHolders.value(row.card) != row.name)
            qFatal("user CSV: a card held under another name was accepted");
        if (row.apps.size() != UserCsv::ColumnCount - UserCsv::FirstAppColumn)
            qFatal("user CSV: an accepted row without its twelve apps");
        for (const QString &value : row.apps + QStringList{row.installApps}) {
            if (value != QLatin1String("Enable") && value != QLatin1String("Disable"))
                qFatal("user CSV: an accepted switch is neither Enable nor Disable");
        }

        // Written out as a file of its own, the row reads back the same.
        QStringList written{row.name, row.password, row.card, row.installApps, row.access};
        written += row.apps;
        for (QString &cell : written)
            cell = DeviceCsv::quoteCell(cell);
        const QString file = titles + written.join(QLatin1Char(',')) + QLatin1Char('\n');
        const QList<QStringList> again = readCsvBytes(file.toUtf8(), QStringLiteral("UTF-8"));
        if (again.size() < 2 || UserCsv::checkHeader(again.first()).isError() ||
            UserCsv::checkRow(again.at(1), 2, cardHolders).isError())
            qFatal("user CSV: an accepted row written out again is refused");
        const UserCsvRow back = UserCsv::readRow(again.at(1));
        if (back.name != row.name || back.password != row.password || back.card != row.card ||
            back.installApps != row.installApps || back.access != row.access || back.apps != row.apps)
            qFatal("user CSV: an accepted row written out again reads back changed");
    }
}

void deviceCsv(const uint8_t *data, size_t size)
{
    const QList<QStringList> rows =
        DeviceCsv::withoutBlankEnd(readCsvBytes(bytesOf(data, size), QStringLiteral("UTF-8")));
    const CsvImportError error = DeviceCsv::checkRows(rows);
    bool firstFound = false;
    QList<DeviceCsvRow> accepted;
    for (int i = 1; i < rows.size() && i <= 200; ++i) {
        const CsvImportError rowError = DeviceCsv::checkRow(rows.at(i), i + 1);
        if (rowError.isError()) {
            checkImportError(rowError, i + 1, qMax(rows.at(i).size(), DeviceCsv::ColumnCamera + 1),
                             DeviceCsv::ColumnCamera + 1, "device CSV row");
            if (!firstFound && (rowError.row != error.row || rowError.column != error.column))
                qFatal("device CSV: the file's error is not its first malformed row's");
            firstFound = true;
            continue;
        }
        accepted.append(DeviceCsv::readRow(rows.at(i)));
    }
    if (error.isError() && !firstFound && rows.size() <= 201)
        qFatal("device CSV: an error in a file whose rows are all well-formed");

    // The accepted rows as the export writes them, read again.
    QString file = DeviceCsv::headerLine();
    for (const DeviceCsvRow &row : qAsConst(accepted)) {
        VelkIFPDevice device;
        device.deviceName = row.name;
        device.ipAddress = row.ipAddress;
        device.macAddress = row.macAddress;
        device.deviceType = row.deviceType;
        device.position = row.position;
        device.ptzCamera = row.cameraName;
        file += DeviceCsv::deviceLine(device, row.groupNames(), row.sosUser);
    }
    const QList<QStringList> again = DeviceCsv::withoutBlankEnd(readCsvBytes(file.toUtf8(), QStringLiteral("UTF-8")));
    if (again.size() != accepted.size() + 1 || DeviceCsv::checkRows(again).isError())
        qFatal("device CSV: the export of accepted rows is not accepted again");
    for (int i = 0; i < accepted.size(); ++i) {
        const DeviceCsvRow &row = accepted.at(i);
        const DeviceCsvRow back = DeviceCsv::readRow(again.at(i + 1));
        if (back.groupNames() != row.groupNames() || back.name != row.name || back.ipAddress != row.ipAddress ||
            back.macAddress != row.macAddress || back.deviceType != row.deviceType || back.position != row.position ||
            back.sosUser != row.sosUser || back.cameraName != row.cameraName)
            qFatal("device CSV: an exported device reads back changed");
    }
}

void panelAccountFile(const uint8_t *data, size_t size)
{
    const QByteArray bytes = bytesOf(data, size);
    const QList<AccountFileRow> parsed = PanelAccountMerge::parse(bytes).rows;
    if (!sameAccountRows(PanelAccountMerge::parse(AccountFile::build(parsed)).rows, parsed))
        qFatal("account file: the file built from a parse parses to other users");

    const QList<AccountFileRow> users = usersFromFields(bytes);
    if (!sameAccountRows(PanelAccountMerge::parse(AccountFile::build(users)).rows, users))
        qFatal("account file: users built into a file do not come back as they were");
}

} // namespace FileFuzz
