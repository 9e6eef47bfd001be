#pragma once

#include "shell/kit/KitForm.h"

#include <QFont>
#include <QList>
#include <QRect>
#include <QString>

class QLineEdit;
class QToolButton;
class QWidget;

/// The grey vertical scroll bar of the broadcast tables.
QString tableScrollBarStyle();
/// A text button with the shared blue button images (and a grey look while disabled).
QToolButton *formTextButton(QWidget *parent, const char *objectName, const QRect &geometry);

/// The widgets a hand-written form made, below the form: every named descendant except the toolkit's own parts of
/// composite widgets (a combo box's list, a text box's viewport and scroll bars, a dialog's children). Scaling
/// passes multiply exactly these.
QList<QWidget *> formWidgets(QWidget *form);
