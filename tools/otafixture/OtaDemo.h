#pragma once

#include "datastore/VelkOtaSchedule.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class QProcess;
class QTimer;

/// A whole firmware update run here, as the console runs it: a command server and the update manager of this
/// process, a database holding the sample fleet, the fleet itself in panelsim processes. It checks the versions
/// against the served folder, updates every out-of-date device and prints the report as it changes.
class OtaDemo : public QObject
{
    Q_OBJECT
public:
    OtaDemo(const QString &serverUrl, const QString &panelsimPath, bool verbose, QObject *parent = nullptr);
    ~OtaDemo() override;

    void start();

signals:
    /// The exit code: 0 when every device of the run ended Successfully, every device it woke is off again and
    /// none is left out of date.
    void done(int code);

private:
    void waitForFleet();
    void check();
    void run();
    void printReport(bool final);
    /// After the run: once the devices are back from their restarts, the check a console makes after a run.
    void waitForRestarts();
    void checkAfterRun();
    void finish(int code);

    QString m_serverUrl;
    QString m_panelsim;
    bool m_verbose;
    QList<QProcess *> m_processes;
    QTimer *m_poll = nullptr;
    int m_polls = 0;
    VelkOtaSchedule m_schedule;
    std::vector<std::unique_ptr<VelkIFPDevice>> m_records;
    QList<VelkIFPDevice *> m_runDevices;
    QHash<QString, QString> m_shown; ///< device name -> the row text printed last
    bool m_allSuccessful = false;
    bool m_wokenOff = false; ///< every device the run woke is off again after it
};
