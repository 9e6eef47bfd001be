#include "shell/base/TextDecoder.h"

#include <QSysInfo>
#include <QTextCodec>

#include <cstring>

namespace {

// How the text is spelled in bytes: a code page, or one of the Unicode forms, whose bytes are worked out here. Qt's
// UTF-32 encoder writes a surrogate pair as one code point but sizes its output by UTF-16 units, leaving four bytes
// of garbage behind every character outside the Basic Multilingual Plane.
enum class Form
{
    CodePage,
    Utf8,
    Utf16Le,
    Utf16Be,
    Utf32Le,
    Utf32Be
};

bool startsWith(const QByteArray &bytes, const char *mark, int size)
{
    return bytes.size() >= size && std::memcmp(bytes.constData(), mark, size_t(size)) == 0;
}

// The form of the codec, and the length of the byte order mark of that form that the bytes start with (decoding
// skips it). A codec of either byte order takes the one its mark names, else the machine's, as Qt's does.
Form formOf(int mib, const QByteArray &bytes, int *markLength)
{
    *markLength = 0;
    const bool bigEndianHost = QSysInfo::ByteOrder == QSysInfo::BigEndian;
    switch (mib) {
    case 106:
        *markLength = startsWith(bytes, "\xef\xbb\xbf", 3) ? 3 : 0;
        return Form::Utf8;
    case 1013:
        *markLength = startsWith(bytes, "\xfe\xff", 2) ? 2 : 0;
        return Form::Utf16Be;
    case 1014:
        *markLength = startsWith(bytes, "\xff\xfe", 2) ? 2 : 0;
        return Form::Utf16Le;
    case 1015:
        if (startsWith(bytes, "\xfe\xff", 2) || startsWith(bytes, "\xff\xfe", 2)) {
            *markLength = 2;
            return bytes.at(0) == '\xfe' ? Form::Utf16Be : Form::Utf16Le;
        }
        return bigEndianHost ? Form::Utf16Be : Form::Utf16Le;
    case 1018:
        *markLength = startsWith(bytes, "\0\0\xfe\xff", 4) ? 4 : 0;
        return Form::Utf32Be;
    case 1019:
        *markLength = startsWith(bytes, "\xff\xfe\0\0", 4) ? 4 : 0;
        return Form::Utf32Le;
    case 1017:
        if (startsWith(bytes, "\0\0\xfe\xff", 4) || startsWith(bytes, "\xff\xfe\0\0", 4)) {
            *markLength = 4;
            return bytes.at(0) == '\0' ? Form::Utf32Be : Form::Utf32Le;
        }
        return bigEndianHost ? Form::Utf32Be : Form::Utf32Le;
    default:
        return Form::CodePage;
    }
}

void appendUnit(QByteArray &out, uint value, int size, bool bigEndian)
{
    for (int k = 0; k < size; ++k) {
        const int shift = 8 * (bigEndian ? size - 1 - k : k);
        out.append(char((value >> shift) & 0xFF));
    }
}

// The bytes that spell the text, without a byte order mark (the bytes compared with start after the file's own).
// Half a surrogate pair is spelled as the unit it is, so that only the check for unpaired surrogates refuses it.
QByteArray encode(QTextCodec *codec, Form form, const QChar *text, int size)
{
    if (form == Form::CodePage) {
        QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
        return codec->fromUnicode(text, size, &state);
    }
    if (form == Form::Utf8)
        return QString::fromRawData(text, size).toUtf8();
    QByteArray out;
    const bool bigEndian = form == Form::Utf16Be || form == Form::Utf32Be;
    const bool wide = form == Form::Utf32Le || form == Form::Utf32Be;
    out.reserve(size * (wide ? 4 : 2));
    for (int i = 0; i < size; ++i) {
        uint value = text[i].unicode();
        if (wide && text[i].isHighSurrogate() && i + 1 < size && text[i + 1].isLowSurrogate()) {
            value = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        appendUnit(out, value, wide ? 4 : 2, bigEndian);
    }
    return out;
}

// A character a code page gives for bytes it does not define, or for bytes that only the PC that wrote them can show.
// Private use is a code point's: GB18030 spells the private-use planes 15 and 16 in four bytes, which come in as a
// surrogate pair.
bool isCodePagePlaceholder(uint codePoint)
{
    return codePoint == 0xFFFD || codePoint == 0x001A || (codePoint >= 0x0080 && codePoint <= 0x009F) ||
           QChar::category(codePoint) == QChar::Other_PrivateUse;
}

// The index of the first character that no bytes can stand for as it stands: half a surrogate pair, or in a code
// page a placeholder; -1 when there is none.
int firstUnreadableCharacter(const QString &text, bool unicode)
{
    const int size = text.size();
    for (int i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        uint codePoint = c.unicode();
        const int at = i;
        if (c.isHighSurrogate()) {
            if (i + 1 == size || !text.at(i + 1).isLowSurrogate())
                return i;
            ++i;
            codePoint = QChar::surrogateToUcs4(c, text.at(i));
        } else if (c.isLowSurrogate()) {
            return i;
        }
        if (!unicode && isCodePagePlaceholder(codePoint))
            return at;
    }
    return -1;
}

bool sameBytes(const QByteArray &body, int at, const QByteArray &expected)
{
    return body.size() - at >= expected.size() &&
           std::memcmp(body.constData() + at, expected.constData(), size_t(expected.size())) == 0;
}

// How many bytes at the position spell the character in the code page's other spelling of it; 0 when none does.
int otherSpellingLength(QTextCodec *codec, const QByteArray &body, int at, const QString &character)
{
    for (int length = 1; length <= 4 && at + length <= body.size(); ++length) {
        QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
        const QString read = codec->toUnicode(body.constData() + at, length, &state);
        if (read == character && state.invalidChars == 0 && state.remainingChars == 0)
            return length;
        if (!read.isEmpty())
            return 0;
    }
    return 0;
}

// The index of the first of the first `limit` characters whose bytes in the body are not the codec's spelling of it
// (nor, in a code page, another spelling of the same character); `limit` when all are, and -1 when, besides, no bytes
// are left over after them.
int firstMisspelledCharacter(QTextCodec *codec, Form form, const QString &text, int limit, const QByteArray &body)
{
    // Compared a stretch at a time: a code page's converter costs more to set up than to run over a stretch.
    const int stretch = 256;
    int at = 0;
    int i = 0;
    while (i < limit) {
        int end = qMin(limit, i + stretch);
        if (end < limit && text.at(end - 1).isHighSurrogate())
            ++end;
        const QByteArray spelled = encode(codec, form, text.constData() + i, end - i);
        if (sameBytes(body, at, spelled)) {
            at += spelled.size();
            i = end;
            continue;
        }
        while (i < end) {
            const int length = text.at(i).isHighSurrogate() && i + 1 < end ? 2 : 1;
            const QByteArray one = encode(codec, form, text.constData() + i, length);
            if (sameBytes(body, at, one)) {
                at += one.size();
            } else {
                const int other =
                    form != Form::CodePage ? 0 : otherSpellingLength(codec, body, at, text.mid(i, length));
                if (other == 0)
                    return i;
                at += other;
            }
            i += length;
        }
    }
    return at == body.size() ? -1 : limit;
}

} // namespace

QTextCodec *TextDecoder::codecFor(const QByteArray &bytes)
{
    return QTextCodec::codecForUtfText(bytes, QTextCodec::codecForLocale());
}

TextDecoder::Result TextDecoder::decode(const QByteArray &bytes)
{
    return decode(bytes, codecFor(bytes));
}

TextDecoder::Result TextDecoder::decode(const QByteArray &bytes, QTextCodec *codec)
{
    Result result;
    QTextCodec::ConverterState state; // skips a byte order mark
    result.text = codec->toUnicode(bytes.constData(), bytes.size(), &state);
    int mark = 0;
    const Form form = formOf(codec->mibEnum(), bytes, &mark);
    const int unreadable = firstUnreadableCharacter(result.text, form != Form::CodePage);
    const QByteArray body = QByteArray::fromRawData(bytes.constData() + mark, bytes.size() - mark);

    // The usual case in one pass: the text spells the bytes exactly.
    if (unreadable < 0 && state.invalidChars == 0 && state.remainingChars == 0 &&
        encode(codec, form, result.text.constData(), result.text.size()) == body)
        return result;

    const int limit = unreadable < 0 ? result.text.size() : unreadable;
    const int misspelled = firstMisspelledCharacter(codec, form, result.text, limit, body);
    if (misspelled < 0 && unreadable < 0)
        return result;
    result.readable = false;
    result.text.truncate(misspelled < 0 ? limit : misspelled);
    return result;
}
