#include "accounts/AccountOverview.h"

#include <QLabel>
#include <QVBoxLayout>

AccountOverview::AccountOverview(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("AccountOverview"));
    placeholder = new QLabel(tr("User Accounts"), this);
    placeholder->setObjectName(QStringLiteral("placeholder"));
    placeholder->setAlignment(Qt::AlignCenter);
    placeholder->setStyleSheet(QStringLiteral("QLabel{color: #bfbfbf;font-family:Arial;font-size:14pt;}"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(placeholder);
}

AccountOverview::~AccountOverview() = default;

void AccountOverview::scaleUi(bool rescale)
{
    Q_UNUSED(rescale)
}

void AccountOverview::updateMultiUserTable()
{
}
