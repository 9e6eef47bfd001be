#pragma once

#include <QFrame>

#include "scheduling/Ui_ScheduleSettingSelection.h"
#include "shell/kit/FormScale.h"

/// The kind selection of a new schedule. The firmware-update button is enabled only while the
/// last version check found devices out of date; its hint says how many.
class ScheduleSettingSelection : public QFrame, public Ui_ScheduleSettingSelection
{
    Q_OBJECT

public:
    explicit ScheduleSettingSelection(QWidget *parent = nullptr);
    ~ScheduleSettingSelection() override;

    /// Reads the out-of-date count of the last version check into the firmware button and hint.
    void showOutOfDateCount();
    void scaleUi(bool rescale);

signals:
    void deviceControlClicked();
    void fwUpdateClicked();
    void autoTestingClicked();
    void closeClicked();

private slots:
    void emitDeviceControlClicked();
    void emitFwUpdateClicked();
    void emitAutoTestingClicked();
    void emitCloseClicked();

private:
    FormScale m_scale;
};
