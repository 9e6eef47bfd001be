#include "shell/UiGlobals.h"

QString currentLanguage;
bool isAdminLogin = false;

QString productName()
{
    return QStringLiteral("Quorvin");
}
