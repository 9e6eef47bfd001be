#pragma once

#include <QFont>
#include <QList>
#include <QRect>
#include <QString>

class QDialog;
class QFrame;
class QLabel;
class QToolButton;
class QWidget;

// The common make-up of the kit's shared dialogs: their forms' parts and their window setup.

/// The forms' font: Arial at the point size, bold or not.
QFont arialFont(double pointSize = 10, bool bold = false);
/// The dark panel that covers a shared dialog's form.
QFrame *createContentFrame(QWidget *form, const QRect &geometry);
/// The white 10-point Arial message label, word-wrapped.
QLabel *createMessageLabel(QWidget *parent, const QString &objectName, const QRect &geometry, bool bold,
                           Qt::Alignment alignment);
/// An 80 × 22 text button with the shared button images.
QToolButton *createDialogButton(QWidget *parent, const QString &objectName, const QPoint &position);
/// The style rules that mark a dialog button (createDialogButton) while it has the keyboard: the shared images draw
/// no focus frame, so without them nobody could tell which button Space or Enter would press.
QString dialogButtonFocusStyle();
/// The style sheet of a message label.
QString messageLabelStyleSheet(bool bold);
/// The rules of a combo box's opened list, black on white with the blue current row, its rows
/// 22 pixels high and their text 10 pixels in at scale 1.0, both grown with the scale in force.
QString comboListStyleSheet();

/// Modal, fixed size, a title bar with only a close button.
void setupSharedDialog(QDialog *dialog);
/// Row labels of a form (their full texts in their tool tips) in a label column baseWidth wide at
/// scale 1.0: each shows its text whole when that fits, else elided at the right. The column grows
/// with the labels' font as drawn, never less than with the scale, so what fits at 1.0 fits at
/// every scale; call it again after the form was rescaled.
void fitRowLabels(const QList<QLabel *> &labels, int baseWidth);
/// Step 4 of a form's scaling pass: the form's fixed size, the listed widgets' geometry in their
/// parents and the fonts of every descendant, all by factor.
void scaleForm(QWidget *form, double factor, const QList<QWidget *> &widgets, bool rescale, bool keepFonts);
