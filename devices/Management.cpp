#include "devices/Management.h"

Management::Management(QWidget *parent)
    : QWidget(parent)
{
}

Management::~Management() = default;

void Management::updateLayout(bool rescale)
{
    Q_UNUSED(rescale);
}

void Management::resetSearchBox()
{
}

void Management::hideFilter()
{
}

void Management::setPageMode(int mode)
{
    m_pageMode = mode;
}

void Management::handleSafeAlert()
{
    // Panel SOS alerts are taken up by the alert work; nothing to do here yet.
}
