#pragma once

#include "shell/kit/KitForm.h"

#include <QFont>
#include <QMargins>
#include <QRect>
#include <QString>

class QAbstractButton;
class QHBoxLayout;
class QWidget;
class TextLabel;

// The parts the emergency dialogs' forms share beyond the kit's: the light text buttons of the
// warning and the pairing, and the red badge centred in a row of its own.

/// Gives a button the light look drawn with the images ":/resource/mangement/<image>_*.png":
/// black text, grey (#808080) when disabled.
void makeLightButton(QAbstractButton *button, const char *objectName, const QRect &geometry, const QString &image);

/// The validation badge, centred between two expanding spacers in a row widget placed at
/// `geometry`; `row` and `layout` receive the row and its layout.
TextLabel *createBadgeRow(QWidget *parent, const QRect &geometry, const QMargins &margins, QWidget **row,
                          QHBoxLayout **layout);
