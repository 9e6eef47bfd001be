#pragma once

#include <QString>
#include <QtGlobal>

// The state of the session that start-up and log-in write and every layer reads, the network
// included: QtCore only.

/// The language of the user interface ("en_US", "zh_TW", "ar" ...); empty until start-up sets it.
extern QString currentLanguage;

/// True while the console's administrator account is the one logged in; false at start. The
/// log-in window sets it; the network answers the panels by it.
extern bool isAdminLogin;

/// The product name shown as the title of every dialog.
QString productName();

/// Switches the session to right-to-left layout (start-up calls it for Arabic).
void setRightToLeft();

/// The layout direction of the session: what every page and every dialog that follows the
/// language passes to its own setLayoutDirection(), in its constructor. (Named apart from
/// QWidget::layoutDirection(), which inside a widget would hide it and read the widget's own.)
Qt::LayoutDirection uiLayoutDirection();
