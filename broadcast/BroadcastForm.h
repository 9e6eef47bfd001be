#pragma once

#include <QList>

class QWidget;

/// The widgets a hand-written form made, below the form: every named descendant except the toolkit's own parts of
/// composite widgets (a combo box's list, a text box's viewport and scroll bars, a dialog's children). Scaling
/// passes multiply exactly these.
QList<QWidget *> formWidgets(QWidget *form);
