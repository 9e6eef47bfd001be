#pragma once

#include <QByteArray>
#include <QString>

// What a panel reports about itself in VELK_REMOTE_CMD_IDENTITY, a JSON object. Pure: no sockets.
struct PanelIdentity
{
    QString mac; // normalised: lower-case, ':' separated
    // False for a MAC of the right form that no network card can have (all zero, broadcast, multicast): uninitialised
    // cards report 00:00:00:00:00:00, so such a MAC names no one panel and the console matches the panel by its
    // address alone.
    bool macUsable = true;
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
    // ignored; non-string values and strings holding a NUL read as empty (see fieldText).
    static bool fromJson(const QByteArray &json, PanelIdentity *out, QString *error = nullptr);

    // A text a panel reports (identity field, discovery header) as the console keeps it: empty when it holds a NUL
    // (what reads it up to the NUL would take a prefix for the value), half a surrogate pair (a JSON escape of
    // one surrogate alone) replaced by U+FFFD, and at most kMaxFieldLength UTF-16 units, cut between characters.
    static QString fieldText(const QString &text);

    // "AA-BB-CC-DD-EE-FF", "aa:bb:cc:dd:ee:ff" and mixed forms give "aa:bb:cc:dd:ee:ff"; anything else gives an
    // empty string. Every MAC that reaches a map key passes through here, so one device never has two keys.
    static QString normaliseMac(const QString &mac);
};
