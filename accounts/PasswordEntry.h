#pragma once

class QEvent;
class QLineEdit;
class QObject;

/// The rule every password editor of the user accounts shares: password echo, no context
/// menu, an optional length limit, and a key filter that drops the standard Paste, Copy, Cut
/// and Select All keys (on every platform's bindings) and nothing else, so a password is typed,
/// never pasted or copied out.
class PasswordEntry
{
public:
    /// Sets the field up and installs filter as its event filter; maxLength 0 leaves the length
    /// free.
    static void prepare(QLineEdit *field, QObject *filter, int maxLength);

    /// True for a key press that is one of the four standard key sequences; the filter then
    /// returns true.
    static bool isBlockedKey(const QEvent *event);
};
