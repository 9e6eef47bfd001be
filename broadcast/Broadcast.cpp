#include "broadcast/Broadcast.h"

#include <QLabel>
#include <QVBoxLayout>

Broadcast::Broadcast(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Broadcast"));
    setAttribute(Qt::WA_StyledBackground, true);
    setStyleSheet(QStringLiteral("QWidget#Broadcast{background-color: #3f3f3f;}"));
    placeholder = new QLabel(tr("Broadcast"), this);
    placeholder->setObjectName(QStringLiteral("placeholder"));
    placeholder->setAlignment(Qt::AlignCenter);
    placeholder->setStyleSheet(QStringLiteral("QLabel{color: #8b8b8b;font-family:Arial;font-size:14pt;}"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(placeholder);
}

Broadcast::~Broadcast() = default;

void Broadcast::scaleUi(bool rescale)
{
    Q_UNUSED(rescale)
}

void Broadcast::deviceDeleted()
{
}
