#pragma once

#include <QDir>
#include <QString>

// Fresh data folders "<home>/<prefix>N/share/Quorvin" for tests that open databases of their own,
// each with a parent folder of its own (where the former "Orvanta" and the camera-management
// folders would sit).
class DataFolders
{
public:
    DataFolders(const QString &home, const QString &prefix) : m_home(home), m_prefix(prefix) {}

    QString next()
    {
        const QString share = m_home + QStringLiteral("/%1%2/share").arg(m_prefix).arg(++m_serial);
        QDir().mkpath(share);
        return share + QStringLiteral("/Quorvin");
    }
    static QString dbFile(const QString &dataFolder) { return dataFolder + "/dbManagement/QuorvinDatabase.db"; }

private:
    QString m_home;
    QString m_prefix;
    int m_serial = 0;
};
