#pragma once

#include <QString>

/// Checks of what the operator types for a device or a group, shared by the add, edit and
/// group dialogs and by the CSV import. No widgets, no database.
class DeviceRules
{
public:
    /// Names typed by the operator: 1 to 32 characters, none of \ / : * ? " > < | and no control
    /// character. longest: more than 32 where the name is an edit of a stored name that long (a backup brings one
    /// back as it was), so that shortening it is taken.
    static constexpr int MaxNameLength = 32;
    static bool isValidName(const QString &name, int longest = MaxNameLength);
    /// The characters a name may not hold, for validators of line edits.
    static QString forbiddenNameCharacters();
    /// Regular expression for a QRegularExpressionValidator of name fields: the characters. The length is the field's
    /// maxLength, which gives a stored longer name room while the field shows it.
    static QString namePattern();

    /// A canonical dotted quad: four decimal numbers 0..255 without leading zeros, nothing around.
    static bool isValidIpv4(const QString &text);
    /// Six pairs of hexadecimal digits separated by colons, either letter case.
    static bool isValidMac(const QString &text);
    /// False for a valid MAC that no network card can have: all zeros, broadcast or multicast. Many panels report
    /// such a MAC at once (uninitialised cards report all zeros), so it cannot tell a device apart.
    static bool isUsableMac(const QString &text);
    /// The stored form of a MAC address: lower case.
    static QString normalizeMac(const QString &text) { return text.toLower(); }
    /// What a MAC column shows for a device: its MAC, or "By IP address" for one without, which is matched and added
    /// by its address. An empty cell read as a MAC not filled in yet. Every table with a MAC column says it alike.
    static QString macCellText(const QString &macAddress);

    /// Names, MACs and group names are the same when they differ only in letter case: the
    /// database looks them up that way, so two that differ only in case cannot coexist.
    static bool sameKey(const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) == 0; }
    static QString key(const QString &text) { return text.toCaseFolded(); }

    /// Stored device types and the page mode they belong to.
    static QString controlBoxType() { return QStringLiteral("Control Box"); }
    static QString audioBoxType() { return QStringLiteral("Audio Box"); }
    /// The stored type of devices added in a page mode (1 audio boxes, every other value panels).
    static QString typeForPageMode(int mode) { return mode == 1 ? audioBoxType() : controlBoxType(); }
    /// Whether a device of that stored type is listed in the page mode.
    static bool belongsToPageMode(const QString &deviceType, int mode)
    {
        return (deviceType == audioBoxType()) == (mode == 1);
    }
    /// Whether the operator pairs a device of that stored type with a PTZ camera. Only the
    /// audio boxes carry the SOS button: the device file takes an SOS camera for them alone and
    /// refuses one on a control box, so a control box paired here would export a row that the
    /// import rejects.
    static bool pairsWithCamera(const QString &deviceType) { return deviceType == audioBoxType(); }
};
