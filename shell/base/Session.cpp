#include "shell/base/Session.h"

QString currentLanguage;
bool isAdminLogin = false;

QString productName()
{
    return QStringLiteral("Quorvin");
}
