#include "scheduling/Scheduling.h"

#include <QLabel>
#include <QVBoxLayout>

Scheduling::Scheduling(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Scheduling"));
    setAttribute(Qt::WA_StyledBackground, true);
    setStyleSheet(QStringLiteral("QWidget#Scheduling{background-color: #3f3f3f;}"));
    placeholder = new QLabel(tr("Schedule Setup"), this);
    placeholder->setObjectName(QStringLiteral("placeholder"));
    placeholder->setAlignment(Qt::AlignCenter);
    placeholder->setStyleSheet(QStringLiteral("QLabel{color: #8b8b8b;font-family:Arial;font-size:14pt;}"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(placeholder);
}

Scheduling::~Scheduling() = default;

void Scheduling::initial()
{
}

void Scheduling::resetFilterButtons()
{
}

void Scheduling::showOtaPage()
{
}

void Scheduling::layoutSettingsPage(bool rescale)
{
    Q_UNUSED(rescale)
}
