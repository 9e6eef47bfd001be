// Renders the Device Control page with simulated panels in every state, and the empty page, to PNG files.
// Usage: devicecontrol_screenshot <prefix> [panels]   writes <prefix>-list.png and <prefix>-empty.png
// Everything stays on loopback and in a temporary HOME.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>

#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"
#include "devices/ConnectedItem.h"
#include "devices/ConnectedList.h"
#include "network/CmdServer.h"
#include "network/NetworkConfig.h"
#include "shell/base/Session.h"
#include "shell/kit/ScaleMath.h"
#include "shell/kit/UiHelpers.h"
#include "support/LoopbackNetwork.h"
#include "support/SchoolRooms.h"
#include "support/Settle.h"
#include "support/TestEnv.h"
#include "tools/panelsim/SimulatedPanel.h"

int main(int argc, char **argv)
{
    TestEnv env;
    QApplication app(argc, argv);
    const QString prefix = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("devicecontrol");
    const int count = argc > 2 ? qBound(1, atoi(argv[2]), 250) : 20;

    initScaleFactor(0, 0);
    isAdminLogin = true;
    NetworkConfig::setCurrent(loopbackNetworkConfig());
    CmdServer *server = CmdServer::getInstance();
    server->setControlPassword(QStringLiteral("secret"));
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    const double s = getScaleFactor();
    const QSize pageSize(ScaleMath::truncScaled(940, s), ScaleMath::truncScaled(641, s));

    {
        ConnectedList empty;
        empty.resize(pageSize);
        empty.show();
        settle(300);
        empty.grab().save(prefix + QStringLiteral("-empty.png"));
    }

    // Mixed states: most online, some locked to another password, two taken over, the rest offline.
    QList<SimulatedPanel *> panels;
    for (int i = 0; i < count; ++i) {
        VelkIFPDevice device;
        device.deviceName =
            i < 20 ? QString::fromUtf8(SchoolRooms[i]) : QStringLiteral("Panel %1").arg(i + 1, 3, 10, QLatin1Char('0'));
        device.macAddress = SimulatedPanel::defaultIdentity(quint32(i + 1)).mac;
        device.modelName = QStringLiteral("Velk TM B-Series");
        device.deviceType = QStringLiteral("Control Box");
        device.position = QStringLiteral("Building A");
        device.isKicked = (i == 5 || i == 13);
        if (db->createIFPDevice(device) != DB_OK)
            qWarning("createIFPDevice failed");
        const bool offline = (i % 7 == 3);
        if (offline)
            continue;
        PanelIdentity identity = SimulatedPanel::defaultIdentity(quint32(i + 1));
        identity.password = (i % 6 == 2) ? QStringLiteral("another console") : QStringLiteral("secret");
        PanelSettings settings;
        settings.ownAddress = QHostAddress(QStringLiteral("127.0.%1.%2").arg(1 + i / 200).arg(2 + i % 200));
        settings.consolePort = server->serverPort();
        settings.bootDelayMs = 10;
        auto *panel = new SimulatedPanel(identity, settings, &app);
        panels << panel;
    }
    VelkGroups group;
    group.groupName = QStringLiteral("First Floor");
    group.groupType = QStringLiteral("Control Box");
    db->createGroups(group);

    ConnectedList page;
    page.resize(pageSize);
    page.show();
    for (SimulatedPanel *panel : qAsConst(panels))
        panel->start();
    waitFor(
        [&] {
            for (SimulatedPanel *panel : qAsConst(panels)) {
                if (!panel->isConnected() && !panel->isLocked())
                    return false;
            }
            return true;
        },
        20000);
    settle(300);
    const QStringList chosen = {QString::fromUtf8(SchoolRooms[0]), QString::fromUtf8(SchoolRooms[3]),
                                QString::fromUtf8(SchoolRooms[7])};
    for (const QString &name : chosen) {
        if (ConnectedItem *item = page.itemByName(name))
            item->setSelected(true);
    }
    settle(200);
    page.grab().save(prefix + QStringLiteral("-list.png"));
    return 0;
}
