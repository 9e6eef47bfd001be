#include "accounts/core/PasswordRule.h"

int PasswordRule::length(const QString &password)
{
    // A surrogate pair is one character; a lone surrogate counts as one as well.
    int count = 0;
    for (int i = 0; i < password.size(); ++i) {
        if (password.at(i).isHighSurrogate() && i + 1 < password.size() && password.at(i + 1).isLowSurrogate())
            ++i;
        ++count;
    }
    return count;
}
