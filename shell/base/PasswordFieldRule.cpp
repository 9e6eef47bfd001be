#include "shell/base/PasswordFieldRule.h"

namespace {

const QLatin1String kRefused("\\/:*?\"><|");

} // namespace

QString PasswordFieldRule::validatorPattern()
{
    return QStringLiteral("[^\\\\/:*?\"><|]{0,%1}").arg(kMaxLength);
}

PasswordFieldRule::Verdict PasswordFieldRule::judge(const QString &password)
{
    if (password.isEmpty())
        return Empty;
    if (password.size() > kMaxLength)
        return TooLong;
    for (int n = 0; n < password.size(); ++n) {
        const QChar c = password.at(n);
        if (QString(kRefused).contains(c))
            return RefusedCharacter;
        if (c.isHighSurrogate() && n + 1 < password.size() && password.at(n + 1).isLowSurrogate()) {
            if (QChar::isNonCharacter(QChar::surrogateToUcs4(c, password.at(n + 1))))
                return NotTypeable;
            ++n;
            continue;
        }
        if (c.isSurrogate() || c.category() == QChar::Other_Control || c.isNonCharacter() ||
            c == QChar(QChar::ReplacementCharacter))
            return NotTypeable;
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
        return QStringLiteral("holds a character no keyboard types (a control character, a noncharacter or bytes "
                              "that are no text)");
    }
    return QString();
}
