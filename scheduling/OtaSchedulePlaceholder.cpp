#include "scheduling/OtaSchedulePlaceholder.h"

#include <QLabel>
#include <QPushButton>

#include "devices/DeviceFormStyle.h"
#include "shell/base/Session.h"

OtaSchedulePlaceholder::OtaSchedulePlaceholder(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("OtaSchedulePlaceholder"));
    setLayoutDirection(uiLayoutDirection());
    setAttribute(Qt::WA_StyledBackground, true);
    setStyleSheet(QStringLiteral("QFrame#OtaSchedulePlaceholder{background-color: #404040;}"));
    m_text = DeviceFormStyle::caption(this, "labelUnavailable", QRect(87, 220, 700, 60));
    m_text->setAlignment(Qt::AlignCenter);
    m_text->setWordWrap(true);
    m_text->setText(tr("Firmware-update schedules are not available in this version."));
    m_back = DeviceFormStyle::button(this, "btnCancel", QRect(385, 500, 104, 30), false);
    m_back->setText(tr("Back"));
    connect(m_back, &QPushButton::clicked, this, [this] { emit backClicked(m_isEdit); });
}

OtaSchedulePlaceholder::~OtaSchedulePlaceholder() = default;

void OtaSchedulePlaceholder::initNewSchedule()
{
    m_isEdit = false;
}

void OtaSchedulePlaceholder::loadSchedule(VelkOtaSchedule schedule)
{
    m_isEdit = schedule.osid > 0;
}

void OtaSchedulePlaceholder::scaleUi(bool rescale)
{
    Q_UNUSED(rescale)
}
