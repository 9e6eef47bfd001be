#include "shell/MainFrame.h"

#include "shell/AppIdentity.h"
#include "shell/UiHelpers.h"

MainFrame::MainFrame(VelkAccount account, QWidget *parent)
    : QWidget(parent)
    , m_account(std::move(account))
{
    setObjectName(QStringLiteral("FrameLayoutPage"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowTitle(AppIdentity::mainWindowTitle());
    setStyleSheet(QStringLiteral("QWidget#FrameLayoutPage{border:none;background-color:#2b2b2b;}"));
    const double scale = getScaleFactor();
    resize(int(940 * scale), int(705 * scale));
    setLayoutDirection(Qt::LayoutDirection(layoutDirection()));
}

MainFrame::~MainFrame() = default;
