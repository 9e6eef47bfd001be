#pragma once

#include <QString>

/// A panel app: a row of table AppInfo.
struct VelkAppInfo
{
    VelkAppInfo() = default;
    VelkAppInfo(const QString &name, const QString &package) : appName(name), packageName(package) {}

    QString appName;
    QString packageName;
    quint32 aiid = 0; ///< row key; 0 until read back from the table
};
