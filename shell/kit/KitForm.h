#pragma once

#include <QList>
#include <QRect>
#include <QString>

class QDialog;
class QFrame;
class QLabel;
class QToolButton;
class QWidget;

// The common make-up of the kit's shared dialogs: their forms' parts and their window setup.

/// The dark panel that covers a shared dialog's form.
QFrame *createContentFrame(QWidget *form, const QRect &geometry);
/// The white 10-point Arial message label, word-wrapped.
QLabel *createMessageLabel(QWidget *parent, const QString &objectName, const QRect &geometry, bool bold,
                           Qt::Alignment alignment);
/// An 80 × 22 text button with the shared button images.
QToolButton *createDialogButton(QWidget *parent, const QString &objectName, const QPoint &position);
/// The style sheet of a message label.
QString messageLabelStyleSheet(bool bold);

/// Modal, fixed size, a title bar with only a close button.
void setupSharedDialog(QDialog *dialog);
/// Step 4 of a form's scaling pass: the form's fixed size, the listed widgets' geometry in their
/// parents and the fonts of every descendant, all by factor.
void scaleForm(QWidget *form, double factor, const QList<QWidget *> &widgets, bool rescale, bool keepFonts);
