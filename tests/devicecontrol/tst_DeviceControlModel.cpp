// The Device Control page's state model without any window: what a reload keeps, how a device is shown, and
// which devices a command reaches.

#include <QtTest>

#include "devices/DeviceControlModel.h"

namespace {

VelkIFPDevice device(quint32 did, const QString &name, const QString &mac = QString())
{
    VelkIFPDevice d;
    d.did = did;
    d.deviceName = name;
    d.macAddress = mac;
    return d;
}

QStringList names(const QList<VelkIFPDevice> &devices)
{
    QStringList out;
    for (const VelkIFPDevice &d : devices)
        out << d.deviceName;
    return out;
}

} // namespace

class TestDeviceControlModel : public QObject
{
    Q_OBJECT

private slots:
    // A rename or a field change must keep the device's key (its list item), a new id must not reuse one.
    void reloadKeepsKeysAcrossRenames()
    {
        DeviceControlModel model;
        DeviceControlModel::Diff diff = model.setDevices({device(1, "A", "02:00:00:00:00:01"), device(2, "B")});
        QCOMPARE(diff.added.size(), 2);
        const quint32 keyA = model.keyOf(device(1, QString()));
        const quint32 keyB = model.keyOf(device(2, QString()));
        QVERIFY(keyA != 0 && keyB != 0 && keyA != keyB);

        VelkIFPDevice renamed = device(2, "B2");
        diff = model.setDevices({device(1, "A", "02:00:00:00:00:01"), renamed, device(3, "C")});
        QCOMPARE(diff.changed, QList<quint32>{keyB});
        QCOMPARE(diff.added.size(), 1);
        QVERIFY(diff.removed.isEmpty());
        QCOMPARE(model.keyOf(renamed), keyB);

        // Unchanged records report nothing; a vanished one is removed.
        diff = model.setDevices({device(1, "A", "02:00:00:00:00:01"), renamed});
        QVERIFY(diff.changed.isEmpty() && diff.added.isEmpty());
        QCOMPARE(diff.removed.size(), 1);

        // Another device taking a freed name is a new device, not the old one renamed.
        diff = model.setDevices({device(1, "A", "02:00:00:00:00:01"), device(9, "B")});
        QCOMPARE(diff.removed, QList<quint32>{keyB});
        QCOMPARE(diff.added.size(), 1);
        QCOMPARE(names(model.devices()), (QStringList{"A", "B"}));
    }

    // The fallback edits used when the store cannot be read back.
    void singleEdits()
    {
        DeviceControlModel model;
        model.setDevices({device(1, "Alpha")});
        const quint32 key = model.insertDevice(device(2, "Beta"));
        QVERIFY(key != 0);
        QCOMPARE(model.insertDevice(device(2, "Beta")), key); // told twice: still one device
        QCOMPARE(model.updateDevice(device(2, "Gamma"), "BETA"), key);
        QCOMPARE(model.entry(key)->device.deviceName, QString("Gamma"));
        QCOMPARE(model.updateDevice(device(7, "X"), "nobody"), 0u);
        QCOMPARE(model.removeDevice(device(0, "gamma")), key);
        QCOMPARE(model.size(), 1);
        QCOMPARE(model.removeDevice(device(0, "gamma")), 0u);
    }

    // A kick mark shows until cleared, whatever the connection does; only real changes are reported.
    void statesAndKickMark()
    {
        DeviceControlModel model;
        model.setDevices({device(1, "A", "mac-a"), device(2, "B", "mac-b"), device(3, "NoMac")});
        QHash<QString, DeviceControlModel::Link> links{{"mac-a", DeviceControlModel::LinkConnected},
                                                       {"mac-b", DeviceControlModel::LinkLocked}};
        int asked = 0;
        auto lookup = [&](const QString &mac) {
            ++asked;
            return links.value(mac, DeviceControlModel::LinkOffline);
        };
        const quint32 a = model.keyOfMac("mac-a");
        const quint32 b = model.keyOfMac("mac-b");
        // The command server reports the normal form of a MAC that an older database holds as typed.
        DeviceControlModel typed;
        typed.setDevices({device(7, "Typed", "02-51-4D-00-00-0A")});
        QVERIFY(typed.keyOfMac("02:51:4d:00:00:0a") != 0);
        QCOMPARE(typed.keyOfMac("02:51:4d:00:00:0b"), 0u);
        QCOMPARE(model.refreshLinks(lookup).size(), 2);
        QCOMPARE(asked, 2); // a device without MAC cannot have a connection
        QCOMPARE(model.entry(a)->state(), DeviceControlModel::Online);
        QCOMPARE(model.entry(b)->state(), DeviceControlModel::Locked);
        QVERIFY(model.refreshLinks(lookup).isEmpty());

        QVERIFY(model.setKicked(a, true));
        QVERIFY(!model.setKicked(a, true));
        links["mac-a"] = DeviceControlModel::LinkLocked;
        QVERIFY(model.refreshLinks(lookup).isEmpty()); // still shown as taken over
        QCOMPARE(model.entry(a)->state(), DeviceControlModel::Kicked);
        QVERIFY(model.setKicked(a, false));
        QCOMPARE(model.entry(a)->state(), DeviceControlModel::Locked);

        const DeviceControlModel::Counts counts = model.visibleCounts();
        QCOMPARE(counts.total, 3);
        QCOMPARE(counts.locked, 2);
        QCOMPARE(counts.offline, 1);
    }

    // A device without a MAC of its own (entered by address, or holding one no network card can have) is asked for
    // by its id; it shows its connection, power off, reboot and a new password reach it over that connection, while
    // Wake-on-LAN, which goes by MAC, leaves it out.
    void devicesWithoutAMacOfTheirOwnGoById()
    {
        // What the command server's canWake() answers for these records.
        const auto canWake = [](const VelkIFPDevice &device) { return device.deviceName == QLatin1String("Own"); };
        DeviceControlModel model;
        model.setDevices({device(1, "Own", "02:51:4d:00:00:01"), device(2, "NoMac"),
                          device(3, "Zeros", "00:00:00:00:00:00"), device(4, "Broadcast", "FF-FF-FF-FF-FF-FF")});
        QStringList askedByMac;
        QList<quint32> askedById;
        const auto byMac = [&](const QString &mac) {
            askedByMac << mac;
            return DeviceControlModel::LinkConnected;
        };
        const auto byId = [&](quint32 did) {
            askedById << did;
            return did == 4 ? DeviceControlModel::LinkLocked : DeviceControlModel::LinkConnected;
        };
        QCOMPARE(model.refreshLinks(byMac, byId).size(), 4);
        QCOMPARE(askedByMac, QStringList{"02:51:4d:00:00:01"});
        QCOMPARE(askedById, (QList<quint32>{2, 3, 4}));
        QCOMPARE(model.entry(model.keyOf(device(3, "Zeros")))->state(), DeviceControlModel::Online);
        QCOMPARE(model.entry(model.keyOf(device(4, "Broadcast")))->state(), DeviceControlModel::Locked);
        QCOMPARE(model.visibleCounts().online, 3);

        QList<quint32> all;
        for (const DeviceControlModel::Entry &entry : model.entries())
            all << entry.key;
        QCOMPARE(names(model.connectedTargets(all)), (QStringList{"Own", "NoMac", "Zeros"}));
        QCOMPARE(names(model.connectedDevices()), (QStringList{"Own", "NoMac", "Zeros"}));
        QVERIFY(model.unwakeable(all, canWake).isEmpty());

        // Off, they are left to Power On only when it can wake them.
        model.refreshLinks([](const QString &) { return DeviceControlModel::LinkOffline; },
                           [](quint32) { return DeviceControlModel::LinkOffline; });
        QCOMPARE(names(model.powerOnTargets(all, canWake)), QStringList{"Own"});
        QCOMPARE(names(model.unwakeable(all, canWake)), (QStringList{"NoMac", "Zeros", "Broadcast"}));
        QVERIFY(model.connectedTargets(all).isEmpty());
    }

    // Commands reach only chosen devices the filter shows, in the right connection state; the password goes to
    // every connected device, hidden ones included.
    void targetsFollowFilterAndState()
    {
        const auto canWake = [](const VelkIFPDevice &device) { return !device.macAddress.isEmpty(); };
        DeviceControlModel model;
        model.setDevices({device(1, "On1", "m1"), device(2, "On2", "m2"), device(3, "Off3", "m3"),
                          device(4, "Off4", "m4"), device(5, "NoMac")});
        model.refreshLinks([](const QString &mac) {
            return (mac == "m1" || mac == "m2") ? DeviceControlModel::LinkConnected : DeviceControlModel::LinkOffline;
        });
        QList<quint32> all;
        for (const DeviceControlModel::Entry &entry : model.entries())
            all << entry.key;

        QCOMPARE(names(model.connectedTargets(all)), (QStringList{"On1", "On2"}));
        QCOMPARE(names(model.powerOnTargets(all, canWake)), (QStringList{"Off3", "Off4"})); // no MAC, no magic packet

        QCOMPARE(model.showOnly({2, 3}).size(), 3);
        QVERIFY(model.isFiltered());
        QCOMPARE(model.visibleCount(), 2);
        QCOMPARE(names(model.connectedTargets(all)), QStringList{"On2"});
        QCOMPARE(names(model.powerOnTargets(all, canWake)), QStringList{"Off3"});
        QCOMPARE(names(model.connectedDevices()), (QStringList{"On1", "On2"}));

        // A device added while filtered passes only if the filter holds its id.
        model.setDevices(model.devices() << device(6, "New6", "m6"));
        QVERIFY(!model.entry(model.keyOfMac("m6"))->visible);

        QCOMPARE(model.showAll().size(), 4);
        QCOMPARE(model.visibleCount(), 6);
    }
};

QTEST_GUILESS_MAIN(TestDeviceControlModel)
#include "tst_DeviceControlModel.moc"
