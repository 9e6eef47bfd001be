#pragma once

#include <QObject>

class QEvent;
class QLineEdit;

/// The rule every password editor of the user accounts shares: password echo, no context
/// menu, an optional length limit, and a key filter that drops the standard Paste, Copy, Cut
/// and Select All keys (on every platform's bindings) and nothing else, so a password is typed,
/// never pasted or copied out. The filter belongs to the field it watches.
class PasswordEntry : public QObject
{
    Q_OBJECT
public:
    /// Sets the field up and gives it its filter; maxLength 0 leaves the length free.
    static void prepare(QLineEdit *field, int maxLength);

    /// True for a key press that is one of the four standard key sequences.
    static bool isBlockedKey(const QEvent *event);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    using QObject::QObject;
};
