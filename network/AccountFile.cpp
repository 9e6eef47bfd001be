#include "network/AccountFile.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

const char *const AccountFile::kHeader = "userName,password,rfidId,hasPermission,uniqueId,packages";

QString AccountFile::quoteField(const QString &field)
{
    if (!field.contains(QLatin1Char(',')) && !field.contains(QLatin1Char('"')) && !field.contains(QLatin1Char('\r')) &&
        !field.contains(QLatin1Char('\n')))
        return field;
    QString quoted = field;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QByteArray AccountFile::build(const QList<AccountFileRow> &rows)
{
    QString text = QLatin1String(kHeader) + QLatin1Char('\n');
    for (const AccountFileRow &row : rows) {
        const QStringList fields = {row.userName, row.password,
                                    row.rfidId,   row.hasPermission ? QStringLiteral("1") : QStringLiteral("0"),
                                    row.uniqueId, row.packages.join(QLatin1Char(';'))};
        QStringList quoted;
        for (const QString &field : fields)
            quoted.append(quoteField(field));
        text += quoted.join(QLatin1Char(',')) + QLatin1Char('\n');
    }
    return text.toUtf8();
}

QList<AccountFileRow> AccountFile::fromCsvRows(const QList<QStringList> &rows)
{
    QList<AccountFileRow> out;
    for (const QStringList &cells : rows) {
        if (cells.size() < 4 || cells.at(0).isEmpty() || cells.at(0) == QLatin1String("userName"))
            continue;
        AccountFileRow row;
        row.userName = cells.at(0);
        row.password = cells.at(1);
        row.rfidId = cells.at(2);
        row.hasPermission = cells.at(3).trimmed() == QLatin1String("1");
        row.uniqueId = cells.value(4);
        const QString packages = cells.value(5);
        if (!packages.isEmpty())
            row.packages = packages.split(QLatin1Char(';'), Qt::SkipEmptyParts);
        out.append(row);
    }
    return out;
}

QList<AccountFileRow> AccountFile::rowsForUsers(const QList<VelkMultiUser> &users,
                                                const QList<VelkAppPermission> &permissions,
                                                const QList<VelkAppInfo> &apps)
{
    QHash<quint32, QString> packageById;
    for (const VelkAppInfo &app : apps)
        packageById.insert(app.aiid, app.packageName);
    QList<AccountFileRow> out;
    QSet<quint32> seen;
    for (const VelkMultiUser &user : users) {
        if (seen.contains(user.muid))
            continue;
        seen.insert(user.muid);
        AccountFileRow row;
        row.userName = user.userName;
        row.password = user.password;
        row.rfidId = user.rfidId;
        row.hasPermission = user.hasPermission;
        row.uniqueId = user.uniqueId;
        for (const VelkAppInfo &app : apps) {
            for (const VelkAppPermission &permission : permissions) {
                if (permission.multiUserId == user.muid && permission.appId == app.aiid) {
                    row.packages.append(app.packageName);
                    break;
                }
            }
        }
        out.append(row);
    }
    return out;
}

int AccountFile::versionBuild(const QString &version)
{
    const QStringList fields = version.split(QLatin1Char('.'));
    if (fields.size() < 4)
        return 0;
    bool ok = false;
    const int build = fields.at(3).trimmed().toInt(&ok);
    return ok ? build : 0;
}

QByteArray AccountFile::adminSettingsJson(const VelkMultiUserAdmin &settings, const QString &displayClientVersion)
{
    const int build = versionBuild(displayClientVersion);
    QJsonObject object;
    object.insert(QStringLiteral("enableSetupServer"), settings.enableSetupServer);
    object.insert(QStringLiteral("enableMultiUser"), settings.enableMultiUser);
    object.insert(QStringLiteral("adminPassword"), settings.adminPassword);
    if (build >= 21) {
        object.insert(QStringLiteral("enableGuestUser"), settings.enableGuestUser);
        object.insert(QStringLiteral("createAccountPassword"), settings.createAccountPassword);
    }
    if (build >= 29)
        object.insert(QStringLiteral("adminRfidId"), settings.adminRfidId);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}
