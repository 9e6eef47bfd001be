#pragma once

#include <QObject>
#include <QPointer>

class QAbstractButton;
class QDialog;

/// Return and Enter (the keypad's too) press a dialog's button, as a default push button would.
///
/// The kit's notices and most forms have tool buttons, or push buttons that are no default, and a
/// dialog without a default push button passes Enter over: the operator had to reach for the mouse
/// or for Space. Enter on another button that has the keyboard presses that button, as Space does.
class EnterKeyButton : public QObject
{
    Q_OBJECT
public:
    /// Enter presses button in dialog from now on; the watcher lives as long as the dialog.
    static void install(QDialog *dialog, QAbstractButton *button);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    EnterKeyButton(QDialog *dialog, QAbstractButton *button);

    QDialog *m_dialog;
    QPointer<QAbstractButton> m_button;
};
