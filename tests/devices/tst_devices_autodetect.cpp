// What the Auto Detect dialog lists and how a refresh changes it, without a window: the rows that
// go, come and change, and the operator's names and ticks staying with their panels.

#include "devices/AutoDetectModel.h"
#include "devices/DeviceRules.h"

#include <QRandomGenerator>
#include <QtTest>
#include <algorithm>

namespace {

VelkIFPDevice heard(const QString &mac, const QString &ip, const QString &type = QStringLiteral("Control Box"),
                    const QString &model = QStringLiteral("Velk TM B-Series"))
{
    VelkIFPDevice device;
    device.macAddress = mac;
    device.ipAddress = ip;
    device.deviceType = type;
    device.modelName = model;
    return device;
}

QStringList macsOf(const AutoDetectModel &model)
{
    QStringList macs;
    for (const VelkIFPDevice &device : model.devices())
        macs << device.macAddress;
    return macs;
}

// A table as the dialog keeps it: one row object per panel, moved only by the change a refresh reports.
struct Table
{
    struct Cell
    {
        QString mac;
        int serial = 0;
    };
    QList<Cell> rows;
    int nextSerial = 0;

    void apply(const AutoDetectModel::Change &change, const AutoDetectModel &model)
    {
        int previous = INT_MAX;
        for (const int row : change.removed) {
            QVERIFY(row < previous);
            previous = row;
            rows.removeAt(row);
        }
        previous = -1;
        for (const int row : change.inserted) {
            QVERIFY(row > previous);
            previous = row;
            rows.insert(row, Cell{model.row(row).device.macAddress, ++nextSerial});
        }
    }
};

} // namespace

class TestDevicesAutoDetect : public QObject
{
    Q_OBJECT

private slots:
    void listsUnmanagedDevicesOfThePageInOrder();
    void operatorInputStaysWithItsPanel();
    void changesReplayOntoTheTable();
    void suggestionsAreFreeAndFollowTheModel();
    void suggestionsGiveWayToTypedNames();
    void panelsWithoutAMacAreListedByAddress();
};

void TestDevicesAutoDetect::listsUnmanagedDevicesOfThePageInOrder()
{
    AutoDetectModel model;
    const QList<VelkIFPDevice> all = {
        heard("02:51:4D:00:00:09", "10.0.0.9"),                  // stored form is lower case
        heard("02:51:4d:00:00:02", "10.0.0.10"),                 // 10.0.0.10 after 10.0.0.9: by number, not text
        heard("02:51:4d:00:00:01", "10.0.0.9"),                  // same address: by MAC
        heard("02:51:4d:00:00:03", "10.0.0.1"),                  // managed
        heard("", "10.0.0.2"),                                   // no MAC: listed by its address
        heard("02:51:4d:00:00:04", "10.0.0.3", "Audio Box"),     // the other page's
        heard("02:51:4d:00:00:05", "10.0.0.4", QString()),       // no type: the page's own
        heard("02:51:4d:00:00:09", "10.0.0.9"),                  // heard twice
        heard("02:51:4d:00:00:06", "10.0.0.5", "Audio Box", ""), // no model
    };
    const QSet<QString> managed = {QStringLiteral("02:51:4d:00:00:03")};

    AutoDetectModel::Change change = model.refresh(all, managed, 0);
    QCOMPARE(macsOf(model),
             (QStringList{"", "02:51:4d:00:00:05", "02:51:4d:00:00:01", "02:51:4d:00:00:09", "02:51:4d:00:00:02"}));
    QCOMPARE(change.inserted, (QList<int>{0, 1, 2, 3, 4}));
    QVERIFY(change.removed.isEmpty() && change.updated.isEmpty());
    QCOMPARE(model.row(1).device.deviceType, QStringLiteral("Control Box"));
    QCOMPARE(model.row(1).name, QStringLiteral("Velk TM B-Series-0005"));
    QVERIFY(!model.row(1).checked);
    QCOMPARE(model.rowOfMac("02:51:4D:00:00:02"), 4);
    QCOMPARE(model.rowOfMac("02:51:4d:00:00:03"), -1);
    QCOMPARE(model.rowOfMac(""), -1);

    // The audio-box page: a device without a type counts as an audio box there.
    AutoDetectModel audio;
    audio.refresh(all, managed, 1);
    QCOMPARE(macsOf(audio), (QStringList{"02:51:4d:00:00:04", "02:51:4d:00:00:05", "02:51:4d:00:00:06"}));
    QCOMPARE(audio.row(2).name, QStringLiteral("Audio Box-0006"));

    // Nothing new heard: nothing to do.
    QVERIFY(model.refresh(all, managed, 0).isEmpty());
    change = model.clear();
    QCOMPARE(change.removed, (QList<int>{4, 3, 2, 1, 0}));
    QVERIFY(model.isEmpty());
}

// A fleet powering up changes the list many times while the operator names and ticks panels.
void TestDevicesAutoDetect::operatorInputStaysWithItsPanel()
{
    AutoDetectModel model;
    QList<VelkIFPDevice> all = {heard("02:51:4d:00:00:10", "10.0.0.10"), heard("02:51:4d:00:00:20", "10.0.0.20"),
                                heard("02:51:4d:00:00:30", "10.0.0.30")};
    model.refresh(all, {}, 0);
    model.setName(1, QStringLiteral("Lobby"));
    model.setChecked(1, true);
    model.setName(7, QStringLiteral("out of range")); // ignored
    model.setChecked(-1, true);

    // New panels before it, one becomes managed: it moves down without being removed or rewritten.
    all.prepend(heard("02:51:4d:00:00:01", "10.0.0.1"));
    all.append(heard("02:51:4d:00:00:15", "10.0.0.15"));
    AutoDetectModel::Change change = model.refresh(all, {QStringLiteral("02:51:4d:00:00:10")}, 0);
    QCOMPARE(macsOf(model),
             (QStringList{"02:51:4d:00:00:01", "02:51:4d:00:00:15", "02:51:4d:00:00:20", "02:51:4d:00:00:30"}));
    QCOMPARE(change.removed, QList<int>{0});
    QCOMPARE(change.inserted, (QList<int>{0, 1}));
    QVERIFY(change.updated.isEmpty());
    QCOMPARE(model.row(2).name, QStringLiteral("Lobby"));
    QVERIFY(model.row(2).checked);
    QVERIFY(!model.row(0).checked && !model.row(1).checked && !model.row(3).checked);

    // A new model name rewrites the row's cells in place; the operator's name stays.
    all[2].modelName = QStringLiteral("Velk ZN-640");
    change = model.refresh(all, {QStringLiteral("02:51:4d:00:00:10")}, 0);
    QVERIFY(change.removed.isEmpty() && change.inserted.isEmpty());
    QCOMPARE(change.updated, QList<int>{2});
    QCOMPARE(model.row(2).device.modelName, QStringLiteral("Velk ZN-640"));
    QCOMPARE(model.row(2).name, QStringLiteral("Lobby"));

    // A new address moves the panel to its new place, with its name and tick.
    all[2].ipAddress = QStringLiteral("10.0.0.99");
    change = model.refresh(all, {QStringLiteral("02:51:4d:00:00:10")}, 0);
    QCOMPARE(change.removed, QList<int>{2});
    QCOMPARE(change.inserted, QList<int>{3});
    QCOMPARE(model.rowOfMac("02:51:4d:00:00:20"), 3);
    QCOMPARE(model.row(3).name, QStringLiteral("Lobby"));
    QVERIFY(model.row(3).checked);

    // Gone quiet and heard again later: a fresh row.
    all.removeAt(2);
    model.refresh(all, {}, 0);
    QCOMPARE(model.rowOfMac("02:51:4d:00:00:20"), -1);
    all.append(heard("02:51:4d:00:00:20", "10.0.0.20"));
    model.refresh(all, {}, 0);
    const int row = model.rowOfMac("02:51:4d:00:00:20");
    QCOMPARE(model.row(row).name, QStringLiteral("Velk TM B-Series-0020"));
    QVERIFY(!model.row(row).checked);
}

// Whatever comes and goes, a table that applies only the reported changes ends up in the model's order, and a
// panel that stayed in the list kept its row object throughout.
void TestDevicesAutoDetect::changesReplayOntoTheTable()
{
    QRandomGenerator random(51);
    AutoDetectModel model;
    Table table;
    QHash<QString, VelkIFPDevice> fleet;
    for (int round = 0; round < 300; ++round) {
        // Some panels are heard for the first time, some go quiet, some change address or model.
        const int events = 1 + int(random.bounded(12));
        for (int e = 0; e < events; ++e) {
            const QString mac = QStringLiteral("02:51:4d:00:%1:%2")
                                    .arg(random.bounded(2), 2, 10, QLatin1Char('0'))
                                    .arg(random.bounded(40), 2, 10, QLatin1Char('0'));
            const int what = int(random.bounded(4));
            if (what == 0)
                fleet.remove(mac);
            else if (what == 1 && fleet.contains(mac))
                fleet[mac].modelName = QStringLiteral("Model %1").arg(random.bounded(3));
            else
                fleet.insert(mac, heard(mac, QStringLiteral("10.0.0.%1").arg(random.bounded(30))));
        }
        QSet<QString> managed;
        for (int m = 0; m < 3; ++m)
            managed.insert(QStringLiteral("02:51:4d:00:00:%1").arg(random.bounded(40), 2, 10, QLatin1Char('0')));

        QHash<QString, int> serialBefore;
        for (const Table::Cell &cell : qAsConst(table.rows))
            serialBefore.insert(cell.mac, cell.serial);
        const QList<VelkIFPDevice> before = model.devices();
        const AutoDetectModel::Change change = model.refresh(fleet.values(), managed, 0);
        table.apply(change, model);
        if (QTest::currentTestFailed())
            return;

        QStringList tableMacs;
        for (const Table::Cell &cell : qAsConst(table.rows))
            tableMacs << cell.mac;
        QCOMPARE(tableMacs, macsOf(model));
        for (int row = 0; row < model.size(); ++row) {
            const VelkIFPDevice &device = model.row(row).device;
            const auto old = std::find_if(before.begin(), before.end(),
                                          [&](const VelkIFPDevice &d) { return d.macAddress == device.macAddress; });
            const bool stayed = old != before.end() && old->ipAddress == device.ipAddress;
            QCOMPARE(table.rows.at(row).serial == serialBefore.value(device.macAddress, -1), stayed);
            if (stayed)
                QCOMPARE(change.updated.contains(row), old->modelName != device.modelName);
        }
    }
}

// The suggestion was the model and the MAC's last four digits: a heard panel ...:00:02 was offered the name of a
// managed one, or of another row, with the same ending, and Add answered "Device name is duplicated"; and a panel
// whose model changed kept the old model in its name.
void TestDevicesAutoDetect::suggestionsAreFreeAndFollowTheModel()
{
    AutoDetectModel model;
    QList<VelkIFPDevice> all = {heard("02:51:4d:00:00:02", "10.0.0.2"), heard("02:51:4e:00:00:02", "10.0.0.3"),
                                heard("02:51:4f:00:00:02", "10.0.0.4")};
    QSet<QString> managedNames = {QStringLiteral("VELK TM B-SERIES-0002")};
    AutoDetectModel::Change change = model.refresh(all, {}, 0, managedNames);
    QCOMPARE(change.inserted, (QList<int>{0, 1, 2}));
    QCOMPARE(model.row(0).name, QStringLiteral("Velk TM B-Series-0002 (2)"));
    QCOMPARE(model.row(1).name, QStringLiteral("Velk TM B-Series-0002 (3)"));
    QCOMPARE(model.row(2).name, QStringLiteral("Velk TM B-Series-0002 (4)"));

    // A new model: a suggestion follows it, a name the operator gave stays.
    model.setName(2, QStringLiteral("Lobby"));
    all[0].modelName = QStringLiteral("Velk ZN-640");
    all[2].modelName = QStringLiteral("Velk ZN-640");
    change = model.refresh(all, {}, 0, managedNames);
    QVERIFY(change.inserted.isEmpty() && change.removed.isEmpty());
    QCOMPARE(change.updated, (QList<int>{0, 2}));
    QCOMPARE(model.row(0).name, QStringLiteral("Velk ZN-640-0002"));
    QCOMPARE(model.row(1).name, QStringLiteral("Velk TM B-Series-0002 (3)"));
    QCOMPARE(model.row(2).name, QStringLiteral("Lobby"));

    // A device added elsewhere takes a suggested name: the row is offered a free one.
    managedNames.insert(QStringLiteral("Velk TM B-Series-0002 (3)"));
    change = model.refresh(all, {}, 0, managedNames);
    QCOMPARE(change.updated, QList<int>{1});
    QCOMPARE(model.row(1).name, QStringLiteral("Velk TM B-Series-0002 (2)"));
    QVERIFY(model.refresh(all, {}, 0, managedNames).isEmpty());

    // A numbered name keeps the name rule's length.
    AutoDetectModel longModel;
    const VelkIFPDevice panel = heard("02:51:4d:00:00:03", "10.0.0.5", "Control Box", QString(40, QLatin1Char('M')));
    longModel.refresh({panel}, {}, 0, {AutoDetectModel::suggestedName(panel)});
    QCOMPARE(longModel.row(0).name.size(), DeviceRules::MaxNameLength);
    QVERIFY(longModel.row(0).name.endsWith(QStringLiteral("-0003 (2)")));
    QVERIFY(DeviceRules::isValidName(longModel.row(0).name));
}

// Typed names were not among the names taken: after a refresh two rows showed IFP75-0002, the operator's and a
// suggestion.
void TestDevicesAutoDetect::suggestionsGiveWayToTypedNames()
{
    AutoDetectModel model;
    const QList<VelkIFPDevice> all = {heard("02:51:4d:00:00:02", "10.0.0.2", "Control Box", "IFP75"),
                                      heard("02:51:4d:00:00:03", "10.0.0.3", "Control Box", "IFP75"),
                                      heard("02:51:4d:00:00:04", "10.0.0.4", "Control Box", "IFP75")};
    model.refresh(all, {}, 0);
    QCOMPARE(model.row(0).name, QStringLiteral("IFP75-0002"));
    model.setName(1, QStringLiteral("IFP75-0002"));
    model.setName(2, QStringLiteral("ifp75-0002 (2)"));
    AutoDetectModel::Change change = model.refresh(all, {}, 0);
    QCOMPARE(change.updated, QList<int>{0});
    QCOMPARE(model.row(0).name, QStringLiteral("IFP75-0002 (3)"));
    QVERIFY(model.row(0).suggested);
    QCOMPARE(model.row(1).name, QStringLiteral("IFP75-0002"));
    QCOMPARE(model.row(2).name, QStringLiteral("ifp75-0002 (2)"));
    QVERIFY(model.refresh(all, {}, 0).isEmpty());

    // Typed names are the operator's, even where they clash: Add refuses those, the list does not rename them.
    model.setName(2, QStringLiteral("IFP75-0002"));
    model.refresh(all, {}, 0, {QStringLiteral("IFP75-0002")});
    QCOMPARE(model.row(1).name, QStringLiteral("IFP75-0002"));
    QCOMPARE(model.row(2).name, QStringLiteral("IFP75-0002"));
    QCOMPARE(model.row(0).name, QStringLiteral("IFP75-0002 (3)"));

    // In a busy list, no suggestion ever equals a name typed in another row.
    QRandomGenerator random(69);
    QList<VelkIFPDevice> fleet;
    for (int i = 0; i < 40; ++i)
        fleet << heard(QStringLiteral("02:51:%1:00:00:02").arg(0x10 + i, 2, 16, QLatin1Char('0')),
                       QStringLiteral("10.0.1.%1").arg(i), "Control Box", "IFP75");
    AutoDetectModel busy;
    for (int round = 0; round < 60; ++round) {
        busy.refresh(fleet, {}, 0);
        const int row = int(random.bounded(busy.size()));
        busy.setName(row, QStringLiteral("IFP75-0002 (%1)").arg(1 + random.bounded(8)).replace(" (1)", ""));
        busy.refresh(fleet, {}, 0);
        QSet<QString> typed;
        for (int i = 0; i < busy.size(); ++i) {
            if (!busy.row(i).suggested)
                typed.insert(DeviceRules::key(busy.row(i).name));
        }
        QSet<QString> suggestions;
        for (int i = 0; i < busy.size(); ++i) {
            if (!busy.row(i).suggested)
                continue;
            const QString key = DeviceRules::key(busy.row(i).name);
            QVERIFY2(!typed.contains(key), qPrintable(busy.row(i).name));
            QVERIFY2(!suggestions.contains(key), qPrintable(busy.row(i).name));
            suggestions.insert(key);
        }
    }
}

// A panel whose card reports a MAC no card can have searched unseen: the responder hands it over without a MAC, and
// it is listed, named and added by its address alone.
void TestDevicesAutoDetect::panelsWithoutAMacAreListedByAddress()
{
    AutoDetectModel model;
    QList<VelkIFPDevice> all = {
        heard("", "10.0.0.7", "Control Box", "IFP75"), heard("02:51:4d:00:00:05", "10.0.0.5", "Control Box", "IFP75"),
        heard("", "10.0.0.6", "Control Box", "IFP75"), heard("", "10.0.0.6"), heard("", QString())};
    model.refresh(all, {}, 0);
    QCOMPARE(model.size(), 3);
    QCOMPARE(model.row(1).device.ipAddress, QStringLiteral("10.0.0.6"));
    QCOMPARE(model.row(1).device.macAddress, QString());
    QCOMPARE(model.row(1).name, QStringLiteral("IFP75-10.0.0.6"));
    QCOMPARE(model.row(2).name, QStringLiteral("IFP75-10.0.0.7"));
    QCOMPARE(model.rowOfKey(AutoDetectModel::keyOf(all.at(0))), 2);

    // Its name and tick stay with its address while rows come and go around it.
    model.setName(2, QStringLiteral("Hall"));
    model.setChecked(2, true);
    all.prepend(heard("02:51:4d:00:00:01", "10.0.0.1"));
    AutoDetectModel::Change change = model.refresh(all, {}, 0);
    QCOMPARE(change.inserted, QList<int>{0});
    QVERIFY(change.removed.isEmpty() && change.updated.isEmpty());
    QCOMPARE(model.row(3).name, QStringLiteral("Hall"));
    QVERIFY(model.row(3).checked);

    // A managed device at its address is the device the command server matches it to.
    change = model.refresh(all, {}, 0, {}, {QStringLiteral("10.0.0.7")});
    QCOMPARE(change.removed, QList<int>{3});
    QCOMPARE(model.rowOfKey(QStringLiteral("10.0.0.7")), -1);
    QCOMPARE(model.rowOfKey(QStringLiteral("10.0.0.6")), 2);
}

QTEST_GUILESS_MAIN(TestDevicesAutoDetect)
#include "tst_devices_autodetect.moc"
