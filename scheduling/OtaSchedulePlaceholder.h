#pragma once

#include <QFrame>

#include "datastore/VelkOtaSchedule.h"

class QLabel;
class QPushButton;

/// Stands in for the firmware-update schedule page of the setting dialog until the update
/// manager can check versions; it keeps the page's place (index 2) and its interface. The kind
/// selection never opens it while no version check succeeded.
class OtaSchedulePlaceholder : public QFrame
{
    Q_OBJECT

public:
    explicit OtaSchedulePlaceholder(QWidget *parent = nullptr);
    ~OtaSchedulePlaceholder() override;

    void initNewSchedule();
    void loadSchedule(VelkOtaSchedule schedule);
    void scaleUi(bool rescale);

signals:
    void backClicked(bool isEdit);
    void addScheduleCompleted(bool updateNow, VelkOtaSchedule savedOtaSchedule);

private:
    QLabel *m_text;
    QPushButton *m_back;
    bool m_isEdit = false;
};
