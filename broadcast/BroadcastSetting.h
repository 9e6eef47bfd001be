#pragma once

#include "datastore/VelkBroadcast.h"
#include "datastore/VelkIFPDevice.h"

#include <QDialog>
#include <QList>

class OrvantaDBIntf;
class QListWidget;
class QPlainTextEdit;
class QToolButton;

/// The broadcast editor: where the operator writes a broadcast, picks its panels and stores it. Created once by the
/// Broadcast page and reused for every new, edited and duplicated broadcast; the page also asks it which devices
/// can take a broadcast. Constructing it installs the built-in sounds into the Audio folder.
class BroadcastSetting : public QDialog
{
    Q_OBJECT

public:
    explicit BroadcastSetting(QWidget *parent = nullptr);
    ~BroadcastSetting() override;

    /// Prepares the editor for a new broadcast.
    void newBroadcast();
    /// Prepares the editor with a stored broadcast.
    void editBroadcast(VelkBroadcast broadcast);
    /// The managed devices that can take a broadcast.
    QList<VelkIFPDevice> getSupportedDeviceList();

signals:
    /// After every save, with a copy of the stored record.
    void broadcastSettingSavedSuccess(VelkBroadcast broadcast);

private slots:
    void contentEditorAddBroadcastClicked();

private:
    void fillDevices(const QList<VelkIFPDevice> &chosen);

    VelkBroadcast broadcast;
    OrvantaDBIntf *database;
    bool isEditing = false;
    QPlainTextEdit *m_text;
    QListWidget *m_devices;
    QToolButton *m_broadcastButton;
    QList<VelkIFPDevice> m_supported;
};
