#pragma once

#include <QByteArray>
#include <QString>

class QTextCodec;

/// Bytes taken as text only where they are text in the codec they are read with. A codec left to itself
/// changes what it cannot read: it puts U+FFFD (or a code page's placeholder) where bytes are no character,
/// holds back a character cut off at the end and drops it, and passes half a UTF-16 surrogate pair through,
/// which the next conversion joins with its neighbour. Files the console takes in (the user and device lists,
/// the audio boxes' update configuration) are refused instead, at the first character that is not what the
/// bytes say.
///
/// Bytes are text in a codec when decoding them
/// - leaves no bytes over at the end and pairs every surrogate, and
/// - spells every character the way the codec writes it, or, in a code page that has two spellings for one
///   character (Shift_JIS for some kanji), in the other spelling of that same character; and, in a code page,
/// - gives no substitute (U+FFFD, U+001A), no private-use character (of any plane) and no C1 control: code pages
///   read bytes they leave undefined as those (Big5's 0xFF as U+F8F8, windows-1252's 0x81 as U+0081), and their
///   user-defined characters (GB18030 also has private-use planes 15 and 16) show only with the fonts of the PC that
///   made them.
class TextDecoder
{
public:
    struct Result
    {
        /// The whole text when the bytes are text; otherwise the text before the first character that is not.
        QString text;
        bool readable = true;
    };

    /// The codec a text stream with no codec named reads the bytes with: the one their byte order mark names, else
    /// the codec in use (QTextCodec::codecForLocale).
    static QTextCodec *codecFor(const QByteArray &bytes);
    /// The bytes decoded with codecFor(bytes); a byte order mark is taken as such.
    static Result decode(const QByteArray &bytes);
    /// The bytes decoded with codec; a byte order mark of that codec at the start is taken as such.
    static Result decode(const QByteArray &bytes, QTextCodec *codec);
};
