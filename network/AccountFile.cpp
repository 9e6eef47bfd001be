#include "network/AccountFile.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <algorithm>
#include <vector>

const char *const AccountFile::kHeader = "userName,password,rfidId,hasPermission,uniqueId,packages";

QString AccountFile::quoteField(const QString &field)
{
    // One pass over the field: a panel's file holds a few hundred of them.
    const auto special = [](QChar c) {
        return c == QLatin1Char(',') || c == QLatin1Char('"') || c == QLatin1Char('\r') || c == QLatin1Char('\n');
    };
    if (std::none_of(field.cbegin(), field.cend(), special))
        return field;
    QString quoted = field;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QByteArray AccountFile::build(const QList<AccountFileRow> &rows)
{
    QString text = QLatin1String(kHeader) + QLatin1Char('\n');
    for (const AccountFileRow &row : rows) {
        text += quoteField(row.userName) + QLatin1Char(',') + quoteField(row.password) + QLatin1Char(',') +
                quoteField(row.rfidId) + QLatin1Char(',') + QLatin1Char(row.hasPermission ? '1' : '0') +
                QLatin1Char(',') + quoteField(row.uniqueId) + QLatin1Char(',') +
                quoteField(row.packages.join(QLatin1Char(';'))) + QLatin1Char('\n');
    }
    return text.toUtf8();
}

QList<AccountFileRow> AccountFile::fromCsvRows(const QList<QStringList> &rows)
{
    QList<AccountFileRow> out;
    for (const QStringList &cells : rows) {
        AccountFileRow row;
        if (cells.value(0) != QLatin1String("userName") && fromRecord(cells, &row))
            out.append(row);
    }
    return out;
}

bool AccountFile::fromRecord(const QStringList &cells, AccountFileRow *row)
{
    if (cells.size() < 4 || cells.at(0).isEmpty())
        return false;
    row->userName = cells.at(0);
    row->password = cells.at(1);
    row->rfidId = cells.at(2);
    row->hasPermission = cells.at(3).trimmed() == QLatin1String("1");
    row->uniqueId = cells.value(4);
    const QString packages = cells.value(5);
    if (!packages.isEmpty())
        row->packages = packages.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    return true;
}

QList<AccountFileRow> AccountFile::rowsForUsers(const QList<VelkMultiUser> &users,
                                                const QList<VelkAppPermission> &permissions,
                                                const QList<VelkAppInfo> &apps)
{
    // Each user's apps looked up once, in one sorted list of (user, app) pairs: comparing every permission for every
    // app of every user cost a panel of 48 users with a dozen apps each a third of a million comparisons.
    std::vector<quint64> granted;
    granted.reserve(size_t(permissions.size()));
    for (const VelkAppPermission &permission : permissions)
        granted.push_back(quint64(permission.multiUserId) << 32 | permission.appId);
    std::sort(granted.begin(), granted.end());
    QList<AccountFileRow> out;
    out.reserve(users.size());
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
            if (std::binary_search(granted.cbegin(), granted.cend(), quint64(user.muid) << 32 | app.aiid))
                row.packages.append(app.packageName);
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
