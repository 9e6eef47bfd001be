#include "shell/base/Session.h"

QString currentLanguage;
bool isAdminLogin = false;

namespace {
Qt::LayoutDirection g_layoutDirection = Qt::LeftToRight;
} // namespace

QString productName()
{
    return QStringLiteral("Quorvin");
}

void setRightToLeft()
{
    g_layoutDirection = Qt::RightToLeft;
}

Qt::LayoutDirection uiLayoutDirection()
{
    return g_layoutDirection;
}
