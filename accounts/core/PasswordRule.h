#pragma once

#include <QString>

/// The length rule of a panel user's password, one for the user import and every password editor,
/// so that a password one of them takes the others take too. Characters are counted as the
/// operator sees them: a character outside the Basic Multilingual Plane (an emoji) is one
/// character, not the two UTF-16 units QString::size() counts.
class PasswordRule
{
public:
    static constexpr int MinLength = 4;

    /// The number of characters (Unicode code points) of the password.
    static int length(const QString &password);
    static bool isTooShort(const QString &password) { return length(password) < MinLength; }
};
