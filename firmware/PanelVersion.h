#pragma once

#include <QString>

/// A panel firmware version: four two-character fields, "xx.SS.OO.VV": SS the panel size code (01 = 65", 02 = 75",
/// 03 = 86"), OO the OC code (00, or another code for the "_01" images), VV the panel version code. The upgrader
/// rewrites single fields in place, so only this fixed layout is accepted. Pure.
class PanelVersion
{
public:
    enum Field
    {
        Size = 1,
        Oc = 2,
        Code = 3
    };

    /// 11 characters, "." at 2, 5 and 8, letters or digits elsewhere.
    static bool isWellFormed(const QString &version);
    /// The two characters of a field; empty for a malformed version.
    static QString field(const QString &version, int index);
    /// The decimal value of a field; 0 when it is not a number.
    static int fieldValue(const QString &version, int index);
    /// The version with one field replaced (two characters); unchanged when either is malformed.
    static QString withField(const QString &version, int index, const QString &value);
    /// 65, 75 or 86 for the size code values 1, 2 and 3; 0 otherwise.
    static int inchesForSizeCode(int sizeCode);
};
