#pragma once

#include <QDialog>
#include <QList>

#include "datastore/VelkIFPDevice.h"
#include "devices/Ui_ManagementAutoDetect.h"
#include "shell/kit/FormScale.h"

class OrvantaDBIntf;

/// Adds devices that the discovery responder heard and that are not managed yet.
class ManagementAutoDetect : public QDialog, public Ui_ManagementAutoDetect
{
    Q_OBJECT
public:
    ManagementAutoDetect(OrvantaDBIntf *db, QWidget *parent = nullptr);
    ~ManagementAutoDetect() override;

    /// Lists the unmanaged devices of the page mode (1 audio boxes, else panels).
    void prepare(int pageMode);
    /// The devices listed, in row order.
    QList<VelkIFPDevice> listedDevices() const { return m_listed; }
    /// Ticks a row and names it, as the operator would.
    void chooseRow(int row, const QString &name);
    QString warningText() const;

    /// A name that fits the name rule, made from the model and the end of the MAC address.
    static QString suggestedName(const VelkIFPDevice &heard);

public slots:
    void refreshList();
    void addChosen();

signals:
    /// The devices stored by one "Add", each read back with its did.
    void devicesAdded(QList<VelkIFPDevice> devices);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void showWarning(const QString &text);
    void layoutColumns();
    void scaleUi(bool rescale);

    OrvantaDBIntf *m_db;
    int m_pageMode = 0;
    bool m_following = false;
    QList<VelkIFPDevice> m_listed;
    FormScale m_scale;
};
