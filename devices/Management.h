#pragma once

#include <QString>
#include <QWidget>

#include "datastore/VelkIFPDevice.h"

/// The Devices tab of the Settings page: the managed devices with search, filter and groups,
/// the add/edit/delete dialogs and the device CSV import and export.
class Management : public QWidget
{
    Q_OBJECT
public:
    explicit Management(QWidget *parent = nullptr);
    ~Management() override;

    void updateLayout(bool rescale);
    void resetSearchBox();
    void hideFilter();
    void setPageMode(int mode);
    int pageMode() const { return m_pageMode; }

signals:
    void insertDB(VelkIFPDevice ifp);
    void updateDB(VelkIFPDevice ifp, QString lastDeviceName);
    void updateAllDB();
    void deleteDB(VelkIFPDevice ifp);
    void updateMultiUser();
    void deviceDeleted();
    void startAlert(bool enable);
    void restoreWindow();

public slots:
    void handleSafeAlert();

private:
    int m_pageMode = 0;
};
