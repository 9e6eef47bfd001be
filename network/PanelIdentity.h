#pragma once

#include <QByteArray>
#include <QString>

// What a panel reports about itself in VELK_REMOTE_CMD_IDENTITY, a JSON object. Pure: no sockets.
struct PanelIdentity
{
    QString mac; // normalised: lower-case, ':' separated
    QString model;
    QString deviceType; // "Control Box", "Audio Box" or empty for a panel
    QString fwVersion;
    QString panelFwVersion;
    QString displayClientVersion;
    QString sku;
    QString ipAddress;
    QString subnetMask;
    QString gateway;
    QString password;

    // Longer strings are cut: a panel's texts end up in the database and in list items.
    static constexpr int kMaxFieldLength = 256;

    QByteArray toJson() const;
    // False with *error set for a payload that is not a JSON object or lacks a valid "mac". Unknown keys are
    // ignored and non-string values read as empty.
    static bool fromJson(const QByteArray &json, PanelIdentity *out, QString *error = nullptr);

    // "AA-BB-CC-DD-EE-FF", "aa:bb:cc:dd:ee:ff" and mixed forms give "aa:bb:cc:dd:ee:ff"; anything else gives an
    // empty string. Every MAC that reaches a map key passes through here, so one device never has two keys.
    static QString normaliseMac(const QString &mac);
};
