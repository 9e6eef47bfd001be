#pragma once

#include <QByteArray>
#include <QString>

/// The audio boxes' update configuration "update.cfg": one section per model, each naming the newest firmware
/// version and the address of its file. Pure: fed with the file's bytes.
///
///     [QML8]
///     Version="8.0.0000.05"
///     Path="http://updates.example/AudioBox/QML8_0005.bin"
///
/// A section opens at the first line that contains "[" + model + "]". Below it a line beginning with "Version" or
/// "Path" sets that value (a later line overwrites an earlier one); the value is the text between the line's first
/// pair of double quotes. The section ends at the next line that begins with "[": a model whose section lacks a
/// value has none, rather than the value of whichever model follows it in the file.
///
/// The file is UTF-8 text. One that holds a NUL, or bytes that are no UTF-8, is unreadable as a whole: read up to
/// its first NUL it gave a shortened version or address, and its broken bytes became U+FFFD in them.
class UpdateConfig
{
public:
    struct Entry
    {
        bool sectionFound = false;
        QString version;         ///< empty when the section gives none
        QString path;            ///< empty when the section gives none
        bool unreadable = false; ///< a NUL or bytes that are no UTF-8: nothing else is set
    };

    static Entry read(const QByteArray &utf8Text, const QString &modelKey);

    /// The second non-empty piece of the line cut at every double quote; empty when there is none.
    static QString quotedValue(const QString &line);
};
