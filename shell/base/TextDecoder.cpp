#include "shell/base/TextDecoder.h"

#include <QTextCodec>

#include <cstring>

namespace {

bool isUnicodeCodec(int mib)
{
    // UTF-8, UTF-16 (BE, LE, either) and UTF-32 (either, BE, LE).
    return mib == 106 || (mib >= 1013 && mib <= 1015) || (mib >= 1017 && mib <= 1019);
}

// The length of the byte order mark of the codec that the bytes start with; decoding skips it.
int byteOrderMarkLength(const QByteArray &bytes, int mib)
{
    const auto startsWith = [&bytes](const char *mark, int size) {
        return bytes.size() >= size && std::memcmp(bytes.constData(), mark, size_t(size)) == 0;
    };
    switch (mib) {
    case 106:
        return startsWith("\xef\xbb\xbf", 3) ? 3 : 0;
    case 1013:
        return startsWith("\xfe\xff", 2) ? 2 : 0;
    case 1014:
        return startsWith("\xff\xfe", 2) ? 2 : 0;
    case 1015:
        return startsWith("\xfe\xff", 2) || startsWith("\xff\xfe", 2) ? 2 : 0;
    case 1018:
        return startsWith("\0\0\xfe\xff", 4) ? 4 : 0;
    case 1019:
        return startsWith("\xff\xfe\0\0", 4) ? 4 : 0;
    case 1017:
        return startsWith("\0\0\xfe\xff", 4) || startsWith("\xff\xfe\0\0", 4) ? 4 : 0;
    default:
        return 0;
    }
}

// A character a code page gives for bytes it does not define, or for bytes that only the PC that wrote them can show.
bool isCodePagePlaceholder(ushort c)
{
    return c == 0xFFFD || c == 0x001A || (c >= 0xE000 && c <= 0xF8FF) || (c >= 0x0080 && c <= 0x009F);
}

// The index of the first character that no bytes can stand for as it stands: half a surrogate pair, or in a code
// page a placeholder; -1 when there is none.
int firstUnreadableCharacter(const QString &text, bool unicode)
{
    const int size = text.size();
    for (int i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate()) {
            if (i + 1 == size || !text.at(i + 1).isLowSurrogate())
                return i;
            ++i;
            continue;
        }
        if (c.isLowSurrogate() || (!unicode && isCodePagePlaceholder(c.unicode())))
            return i;
    }
    return -1;
}

QByteArray encode(QTextCodec *codec, const QChar *text, int size)
{
    // No byte order mark: the bytes compared with start after the file's own.
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    return codec->fromUnicode(text, size, &state);
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
int firstMisspelledCharacter(QTextCodec *codec, bool unicode, const QString &text, int limit, const QByteArray &body)
{
    // Compared a stretch at a time: a code page's converter costs more to set up than to run over a stretch.
    const int stretch = 256;
    int at = 0;
    int i = 0;
    while (i < limit) {
        int end = qMin(limit, i + stretch);
        if (end < limit && text.at(end - 1).isHighSurrogate())
            ++end;
        const QByteArray spelled = encode(codec, text.constData() + i, end - i);
        if (sameBytes(body, at, spelled)) {
            at += spelled.size();
            i = end;
            continue;
        }
        while (i < end) {
            const int length = text.at(i).isHighSurrogate() && i + 1 < end ? 2 : 1;
            const QByteArray one = encode(codec, text.constData() + i, length);
            if (sameBytes(body, at, one)) {
                at += one.size();
            } else {
                const int other = unicode ? 0 : otherSpellingLength(codec, body, at, text.mid(i, length));
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
    const int mib = codec->mibEnum();
    const bool unicode = isUnicodeCodec(mib);
    const int unreadable = firstUnreadableCharacter(result.text, unicode);
    const int mark = byteOrderMarkLength(bytes, mib);
    const QByteArray body = QByteArray::fromRawData(bytes.constData() + mark, bytes.size() - mark);

    // The usual case in one pass: the text spells the bytes exactly.
    if (unreadable < 0 && state.invalidChars == 0 && state.remainingChars == 0 &&
        encode(codec, result.text.constData(), result.text.size()) == body)
        return result;

    const int limit = unreadable < 0 ? result.text.size() : unreadable;
    const int misspelled = firstMisspelledCharacter(codec, unicode, result.text, limit, body);
    if (misspelled < 0 && unreadable < 0)
        return result;
    result.readable = false;
    result.text.truncate(misspelled < 0 ? limit : misspelled);
    return result;
}
