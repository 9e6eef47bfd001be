#pragma once

#include "broadcast/Ui_BroadcastSetting.h"
#include "datastore/VelkBroadcast.h"
#include "datastore/VelkIFPDevice.h"
#include "shell/kit/FormScale.h"

#include <QDialog>
#include <QList>

class BroadcastContentEditor;
class BroadcastMessageDialog;
class BroadcastSaveDialog;
class BroadcastSchedule;
class Clock;
class OrvantaDBIntf;
class SoundPlayer;

/// The broadcast editor: step one picks the targets and the time (BroadcastSchedule), step two the content
/// (BroadcastContentEditor). "Broadcast" stores the broadcast as upcoming; closing before that asks whether to keep
/// it as pending. Created once by the Broadcast page and reused for every new, edited and duplicated broadcast; the
/// page also asks it which devices can take a broadcast.
///
/// A broadcast that cannot be stored is reported and announces nothing; the uploaded sounds given up in the edit
/// are removed only once the broadcast is stored.
class BroadcastSetting : public QDialog, public Ui_BroadcastSetting
{
    Q_OBJECT

public:
    /// clock and player are not owned; null: the system clock, and a player of the content step's own.
    explicit BroadcastSetting(QWidget *parent = nullptr, Clock *clock = nullptr, SoundPlayer *player = nullptr);
    ~BroadcastSetting() override;

    /// Prepares both steps for a new broadcast and shows the first.
    void newBroadcast();
    /// Prepares both steps with a stored broadcast and shows the first.
    void editBroadcast(VelkBroadcast broadcast);
    /// The managed devices that can take a broadcast.
    QList<VelkIFPDevice> getSupportedDeviceList();

    BroadcastSchedule *scheduleStep() const { return m_scheduleStep; }
    BroadcastContentEditor *contentEditor() const { return m_contentEditor; }
    BroadcastSaveDialog *saveDialog() const { return m_saveDialog; }
    BroadcastMessageDialog *failureDialog() const { return m_failureDialog; }

signals:
    /// After every stored save, with a copy of the stored record.
    void broadcastSettingSavedSuccess(VelkBroadcast broadcast);

private slots:
    void scheduleNextClicked(bool isHaveControlBox, bool isHaveAudioDevice);
    void contentEditorBackClicked();
    void contentEditorAddBroadcastClicked();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void setStepTitleStyle(int step);
    /// Collects both steps into the record and stores it; false (reported) when the store refused.
    bool save(VelkBroadcast::Status status);
    void scaleUi(bool rescale);

    VelkBroadcast broadcast;
    BroadcastContentEditor *m_contentEditor;
    BroadcastSaveDialog *m_saveDialog;
    BroadcastSchedule *m_scheduleStep;
    BroadcastMessageDialog *m_failureDialog;
    OrvantaDBIntf *database;
    bool isEditing = false;
    bool isSavedByAdd = false;
    FormScale m_scale;
};
