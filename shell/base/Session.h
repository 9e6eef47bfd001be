#pragma once

#include <QString>

// Process-wide values that start-up and log-in write and every layer above the kit reads.

/// The language of the user interface ("en_US", "zh_TW", "ar" ...); empty until start-up sets it.
extern QString currentLanguage;

/// True while the console's administrator account is the one logged in; false at start.
extern bool isAdminLogin;

/// The product name shown as the title of every dialog.
QString productName();
