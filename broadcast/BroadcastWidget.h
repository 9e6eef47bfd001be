#pragma once

#include "broadcast/Ui_BroadcastWidget.h"
#include "datastore/VelkBroadcast.h"
#include "shell/kit/FormScale.h"

#include <QWidget>

/// One row of the Broadcast page's tables: content, time, targets, the failed count of a completed broadcast, the
/// audio preview button and the row menu. The page fills it and decides which row plays; the row only reports
/// clicks on its audio button.
class BroadcastWidget : public QWidget, public Ui_BroadcastWidget
{
    Q_OBJECT

public:
    explicit BroadcastWidget(QWidget *parent = nullptr);
    ~BroadcastWidget() override;

    /// The text on one line (runs of white space, line breaks included, become one blank), elided to fit.
    void setContentText(const QString &text);
    /// The text elided to fit.
    void setTargetText(const QString &text);
    /// The content line without its light box, for audio-only broadcasts.
    void setRowStyle();
    /// Remembers the row's table and index and reports audio button clicks with them.
    void connectAudioButton(VelkBroadcast::Status status, int index);
    void setAudioPlaying(bool playing);
    void scaleUi(bool fromShowEvent);

public slots:
    void btnAudioClicked();

signals:
    void audioButtonClicked(VelkBroadcast::Status relatedBroadcastStatus, int indexOfBroadcastList,
                            BroadcastWidget *broadcastWidget);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void setBarStyle();

    VelkBroadcast::Status relatedBroadcastStatus = VelkBroadcast::Pending;
    int indexOfBroadcastList = -1;
    FormScale m_scale;
};
