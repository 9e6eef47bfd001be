#pragma once

#include <QString>

/// Firmware version texts: four fields separated by ".". Pure: no files, no devices.
///
/// The audio boxes compare all four fields as integers ("8.0.0000.04" is 8, 0, 0, 4). The control boxes and the
/// panels' operating system carry one leading build character in the third field that takes no part in the order
/// ("2.5.2051.0" and "2.5.1051.0" are the same version).
class FirmwareVersion
{
public:
    /// Exactly four fields when cut at "." with empty pieces kept ("8.0..4" passes, "8.0.4" does not).
    static bool hasFourFields(const QString &version);

    /// Audio-box order: 1 when a is newer, -1 when older, 0 when equal. A field that is missing or not a number
    /// counts as 0; fields after the fourth are ignored.
    static int compareNumeric(const QString &a, const QString &b);

    /// Delta-package order: as compareNumeric, but the third field is read without its first character. Never
    /// reads past the fields present (a missing field counts as 0), so a malformed text cannot crash it; callers
    /// refuse such texts before they reach a route.
    static int compareDelta(const QString &a, const QString &b);

private:
    static int compareFields(const QString &a, const QString &b, bool dropBuildCharacter);
    static qint64 fieldValue(const QStringRef &field);
};
