#include "shell/base/PasswordFieldRule.h"

namespace {

const QLatin1String kRefused("\\/:*?\"><|");

} // namespace

PasswordFieldRule::Verdict PasswordFieldRule::character(const QString &text, int n, int *width)
{
    const QChar c = text.at(n);
    *width = 1;
    if (c.isHighSurrogate() && n + 1 < text.size() && text.at(n + 1).isLowSurrogate()) {
        // A line edit takes every key press whose text is a whole surrogate pair.
        *width = 2;
        return Typeable;
    }
    if (kRefused.contains(c))
        return RefusedCharacter;
    if (c.isSurrogate() || c == QChar(QChar::ByteOrderMark) || c == QChar(QChar::ReplacementCharacter))
        return NotTypeable;
    // What a line edit takes of a key press's text (printable, a format character, private use); control characters
    // and characters not assigned are dropped.
    const QChar::Category category = c.category();
    return c.isPrint() || category == QChar::Other_Format || category == QChar::Other_PrivateUse ? Typeable
                                                                                                 : NotTypeable;
}

PasswordFieldRule::Verdict PasswordFieldRule::judge(const QString &password)
{
    if (password.isEmpty())
        return Empty;
    if (password.size() > kMaxLength)
        return TooLong;
    return characters(password);
}

bool PasswordFieldRule::fieldTakes(const QString &text, int maxLength)
{
    return text.size() <= maxLength && characters(text) == Typeable;
}

PasswordFieldRule::Verdict PasswordFieldRule::characters(const QString &text)
{
    int width = 1;
    for (int n = 0; n < text.size(); n += width) {
        const Verdict verdict = character(text, n, &width);
        if (verdict != Typeable)
            return verdict;
    }
    return Typeable;
}

QString PasswordFieldRule::describe(Verdict verdict)
{
    switch (verdict) {
    case Typeable:
        break;
    case Empty:
        return QStringLiteral("is empty");
    case TooLong:
        return QStringLiteral("is longer than the %1 characters the log-in field takes").arg(kMaxLength);
    case RefusedCharacter:
        return QStringLiteral("holds a character the log-in field refuses (one of \\ / : * ? \" > < |)");
    case NotTypeable:
        return QStringLiteral("holds a character no key press enters (a control character, one not assigned, "
                              "U+FEFF, or bytes that are no text)");
    }
    return QString();
}
