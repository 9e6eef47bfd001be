#include "broadcast/BroadcastWidget.h"

#include "shell/base/BoundedText.h"
#include "shell/base/Session.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/UiHelpers.h"

BroadcastWidget::BroadcastWidget(QWidget *parent) : QWidget(parent)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    setBarStyle();
    setAudioPlaying(false);
    scaleUi(false);
    btnSetting->setPopupMode(QToolButton::InstantPopup);
    btnSetting->setAutoRaise(true);
    btnSetting->setArrowType(Qt::NoArrow);
}

BroadcastWidget::~BroadcastWidget() = default;

void BroadcastWidget::setBarStyle()
{
    if (uiLayoutDirection() != Qt::RightToLeft)
        return;
    for (QWidget *widget : std::initializer_list<QWidget *>{label_bar, labelContent, labelTime, labelTarget,
                                                            labelFailedCount, btnAudio, btnSetting})
        moveToRightEdge(widget, width());
    label_bar->setStyleSheet(QStringLiteral("border-image: url(:/resource/broadcast/bar2_11x72.png);"));
}

void BroadcastWidget::setContentText(const QString &text)
{
    setElidedLabelText(labelContent, BoundedText::shown(text).simplified(), labelContent->width() - 20);
}

void BroadcastWidget::setTargetText(const QString &text)
{
    setElidedLabelText(labelTarget, text, labelTarget->width() - 20);
}

void BroadcastWidget::setRowStyle()
{
    const QString fontSize = QStringLiteral("font-size:%1pt;").arg(labelContent->font().pointSizeF());
    labelContent->setStyleSheet(QStringLiteral("background-color: transparent;color: #ffffff;padding-left: 10px;") +
                                fontSize);
}

void BroadcastWidget::connectAudioButton(VelkBroadcast::Status status, int index)
{
    relatedBroadcastStatus = status;
    indexOfBroadcastList = index;
    connect(btnAudio, &QToolButton::clicked, this, &BroadcastWidget::btnAudioClicked, Qt::UniqueConnection);
}

void BroadcastWidget::setAudioPlaying(bool playing)
{
    if (playing) {
        btnAudio->setStyleSheet(
            QStringLiteral("QToolButton{border-image: url(:/resource/broadcast/btn_stop_normal.png);border: none;}"
                           "QToolButton:hover{border-image: url(:/resource/broadcast/btn_stop_hover.png);}"
                           "QToolButton:pressed{border-image: url(:/resource/broadcast/btn_stop_pressed.png);}"));
        return;
    }
    btnAudio->setStyleSheet(
        QStringLiteral("QToolButton{border-image: url(:/resource/broadcast/btn_audio_normal.png);border: none;}"
                       "QToolButton:hover{border-image: url(:/resource/broadcast/btn_audio_hover.png);}"
                       "QToolButton:pressed{border-image: url(:/resource/broadcast/btn_audio_pressed.png);}"
                       "QToolButton:disabled{border-image:url(:/resource/broadcast/btn_audio_disabled.png);}"));
}

void BroadcastWidget::btnAudioClicked()
{
    emit audioButtonClicked(relatedBroadcastStatus, indexOfBroadcastList, this);
}

void BroadcastWidget::showEvent(QShowEvent *event)
{
    scaleUi(true);
    QWidget::showEvent(event);
}

void BroadcastWidget::scaleUi(bool fromShowEvent)
{
    const double factor = m_scale.nextFactor(fromShowEvent, getScaleFactor());
    if (factor == 0.0)
        return;
    scaleForm(this, factor, {btnAudio, btnSetting, labelContent, labelFailedCount, labelTarget, labelTime, label_bar},
              fromShowEvent, false);
}
