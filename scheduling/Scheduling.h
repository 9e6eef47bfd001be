#pragma once

#include <QWidget>

class QLabel;

/// The Schedule Setup page: device-control, auto-test and firmware-update schedules.
///
/// For now the page only carries its place in the main frame: the operations and the signal
/// the frame wires stay as they are when the schedule tables and timers arrive.
class Scheduling : public QWidget
{
    Q_OBJECT
public:
    explicit Scheduling(QWidget *parent = nullptr);
    ~Scheduling() override;

    /// Reloads the three schedule kinds and refills the tables.
    void initial();
    /// Hides the filter bars and resets the filter button.
    void resetFilterButtons();
    /// Turns the page to the firmware-update schedules and asks for a version check.
    void showOtaPage();
    /// Lays the schedule tables out for the current scale factor.
    void layoutSettingsPage(bool rescale);

signals:
    void btnAddScheduleClicked();

private:
    QLabel *placeholder = nullptr;
};
