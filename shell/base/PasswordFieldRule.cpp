#include "shell/base/PasswordFieldRule.h"

namespace {

const QLatin1String kRefused("\\/:*?\"><|");

} // namespace

PasswordFieldRule::Verdict PasswordFieldRule::character(const QString &text, int n, Field field, int *width)
{
    const QChar c = text.at(n);
    *width = 1;
    if (c.isHighSurrogate() && n + 1 < text.size() && text.at(n + 1).isLowSurrogate()) {
        // A line edit takes every key press whose text is a whole surrogate pair.
        *width = 2;
        return Taken;
    }
    if (kRefused.contains(c))
        return RefusedCharacter;
    if (c.isSurrogate() || c.isNull())
        return NotText;
    // Stored, these come back as other text: SQLite reads U+FFFE and U+FFFF as U+FFFD, and drops a U+FEFF that begins
    // a text the console writes as a byte-order mark.
    if (c.unicode() >= 0xFFFE || (n == 0 && c == QChar(QChar::ByteOrderMark)))
        return NotKept;
    // A tab or line end pasted along with an address is no part of it.
    if (field == Address && c.category() == QChar::Other_Control)
        return NotTypeable;
    if (field != Set)
        return Taken;
    if (c == QChar(QChar::ByteOrderMark) || c == QChar(QChar::ReplacementCharacter))
        return NotTypeable;
    // What a line edit takes of a key press's text (printable, a format character, private use); control characters
    // and characters not assigned are dropped.
    const QChar::Category category = c.category();
    return c.isPrint() || category == QChar::Other_Format || category == QChar::Other_PrivateUse ? Taken : NotTypeable;
}

PasswordFieldRule::Verdict PasswordFieldRule::judge(const QString &password)
{
    if (password.isEmpty())
        return Empty;
    return characters(password, Entry);
}

bool PasswordFieldRule::fieldTakes(const QString &text, Field field, int room)
{
    return characters(field == Address ? address(text) : text, field, room) == Taken;
}

int PasswordFieldRule::length(const QString &text, Field field)
{
    const QString counted = field == Address ? address(text) : text;
    int count = counted.size();
    for (int n = 1; n < counted.size(); ++n) {
        if (counted.at(n).isLowSurrogate() && counted.at(n - 1).isHighSurrogate())
            --count;
    }
    return count;
}

QString PasswordFieldRule::address(const QString &text)
{
    int first = 0;
    int end = text.size();
    while (first < end && text.at(first).category() == QChar::Separator_Space)
        ++first;
    while (end > first && text.at(end - 1).category() == QChar::Separator_Space)
        --end;
    return text.mid(first, end - first);
}

PasswordFieldRule::Verdict PasswordFieldRule::characters(const QString &text, Field field, int room)
{
    const int maxLength = qMax(longest(field), room);
    int count = 0;
    int width = 1;
    for (int n = 0; n < text.size(); n += width) {
        const Verdict verdict = character(text, n, field, &width);
        if (verdict != Taken)
            return verdict;
        if (++count > maxLength)
            return TooLong;
    }
    return Taken;
}

QString PasswordFieldRule::describe(Verdict verdict)
{
    switch (verdict) {
    case Taken:
        break;
    case Empty:
        return QStringLiteral("is empty");
    case TooLong:
        return QStringLiteral("is longer than the %1 characters the log-in field takes").arg(kMaxLength);
    case RefusedCharacter:
        return QStringLiteral("holds a character the log-in field refuses (one of \\ / : * ? \" > < |)");
    case NotText:
        return QStringLiteral("holds a NUL or half of a surrogate pair, which are no text");
    case NotKept:
        return QStringLiteral("holds a character the database hands back as another (U+FFFE, U+FFFF, or U+FEFF "
                              "first)");
    case NotTypeable:
        return QStringLiteral("holds a character no key press enters (a control character, one not assigned, "
                              "U+FEFF or U+FFFD)");
    }
    return QString();
}
