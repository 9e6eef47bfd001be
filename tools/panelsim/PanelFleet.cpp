#include "PanelFleet.h"

#include "LoopbackAddress.h"
#include "WakeOnLanListener.h"

#include "network/ProtocolCodes.h"

namespace {

QByteArray csvCell(const QString &text)
{
    QByteArray cell = text.toUtf8();
    if (cell.contains(',') || cell.contains('"') || cell.contains('\n') || cell.contains('\r'))
        cell = '"' + cell.replace("\"", "\"\"") + '"';
    return cell;
}

} // namespace

PanelFleet::PanelFleet(const FleetOptions &options, QObject *parent) : QObject(parent), m_options(options)
{
    m_usesAliases = LoopbackAddress::aliasesUsable() && (options.baseAddress.toIPv4Address() & 0xff) != 1;
    if (!LoopbackAddress::aliasesUsable()) {
        qWarning("panelsim: this host answers only on 127.0.0.1, every panel shares it");
        m_options.baseAddress = QHostAddress(QHostAddress::LocalHost);
    }
    for (int i = 0; i < options.count; ++i) {
        QHostAddress address = LoopbackAddress::forIndex(m_options.baseAddress, i);
        if (address.isNull())
            break; // the base leaves no room for more panels inside 127/8
        PanelIdentity identity = options.identity;
        identity.mac = options.reportedMac.isEmpty()
                           ? SimulatedPanel::defaultIdentity(options.firstSerial + quint32(i)).mac
                           : options.reportedMac;
        PanelSettings settings = options.settings;
        settings.ownAddress = address;
        auto *panel = new SimulatedPanel(identity, settings, this);
        panel->setName(panelName(options.namePrefix, i, options.count));
        panel->behaviour() = options.behaviour;
        if (options.syncAnswerSpreadMs > 0)
            panel->setAnswerDelay(VELK_REMOTE_RSP_SYNC_USER_SETTINGS_COMPLETE,
                                  int(qint64(options.syncAnswerSpreadMs) * i / options.count));
        m_panels.append(panel);
        if (!m_byMac.contains(identity.mac))
            m_byMac.insert(identity.mac, panel);
        connect(panel, &SimulatedPanel::connected, this, [this, panel] { emit panelConnected(panel); });
        connect(panel, &SimulatedPanel::disconnected, this, [this, panel] { emit panelDisconnected(panel); });
        connect(panel, &SimulatedPanel::logMessage, this, &PanelFleet::logMessage);
    }
    if (options.bindAnswerSockets)
        bindAnswerSockets();
}

PanelFleet::~PanelFleet() = default;

bool PanelFleet::bindAnswerSockets()
{
    if (m_panels.isEmpty())
        return true;
    const quint16 requested = m_options.settings.answerPort;
    // With an ephemeral request the first panel picks a port and the others follow it; should another socket hold
    // that port on one of our addresses, start over with a new one.
    for (int attempt = 0; attempt < 8; ++attempt) {
        quint16 port = requested;
        bool all = true;
        for (SimulatedPanel *panel : qAsConst(m_panels)) {
            PanelSettings settings = panel->settings();
            settings.answerPort = port;
            panel->setSettings(settings);
            if (!panel->bindAnswerSocket()) {
                all = false;
                if (requested != 0)
                    continue; // a fixed port: keep the others, this panel binds again when it searches
                break;
            }
            if (port == 0)
                port = panel->answerPort();
        }
        if (all || requested != 0) {
            m_answerPort = port;
            return all;
        }
        for (SimulatedPanel *panel : qAsConst(m_panels))
            panel->closeAnswerSocket();
    }
    qWarning("panelsim: could not find one free discovery port for every panel");
    return false;
}

SimulatedPanel *PanelFleet::panelByMac(const QString &mac) const
{
    return m_byMac.value(PanelIdentity::normaliseMac(mac));
}

void PanelFleet::startAll()
{
    for (SimulatedPanel *panel : qAsConst(m_panels))
        panel->start();
}

void PanelFleet::shutDownAll()
{
    for (SimulatedPanel *panel : qAsConst(m_panels))
        panel->shutDown();
}

bool PanelFleet::listenForWake(const QHostAddress &address, quint16 port, bool shared)
{
    if (!m_wakeListener) {
        m_wakeListener = new WakeOnLanListener(this);
        connect(m_wakeListener, &WakeOnLanListener::magicPacketReceived, this, [this](const QString &mac) {
            if (SimulatedPanel *panel = m_byMac.value(mac)) {
                panel->wake();
                emit panelWoken(panel);
            }
        });
    }
    if (!m_wakeListener->listen(address, port, shared)) {
        emit logMessage(QStringLiteral("cannot listen for magic packets on %1:%2: %3")
                            .arg(address.toString())
                            .arg(port)
                            .arg(m_wakeListener->errorString()));
        return false;
    }
    return true;
}

quint16 PanelFleet::wakePort() const
{
    return m_wakeListener ? m_wakeListener->port() : 0;
}

int PanelFleet::countInState(SimulatedPanel::State state) const
{
    int n = 0;
    for (SimulatedPanel *panel : m_panels) {
        if (panel->state() == state)
            ++n;
    }
    return n;
}

QString PanelFleet::panelName(const QString &prefix, int index, int count)
{
    const int width = qMax(3, QString::number(count).size());
    return prefix + QStringLiteral("%1").arg(index + 1, width, 10, QLatin1Char('0'));
}

QList<VelkIFPDevice> PanelFleet::asDevices() const
{
    QList<VelkIFPDevice> devices;
    for (SimulatedPanel *panel : m_panels) {
        const PanelIdentity identity = panel->identity();
        VelkIFPDevice device;
        device.deviceName = panel->name();
        device.modelName = identity.model;
        if (m_options.reportedMac.isEmpty())
            device.macAddress = PanelIdentity::normaliseMac(identity.mac);
        device.ipAddress = panel->settings().ownAddress.toString();
        device.deviceType = identity.deviceType;
        devices.append(device);
    }
    return devices;
}

QByteArray PanelFleet::deviceCsv() const
{
    QByteArray out = "\"Group(Use \"\",\"\" between names)\",Device Name,Ip Address,"
                     "Mac Address(ex 00:11:22:33:44:55),Device Type,Location,"
                     "Username for Emergency SOS,Camera Name for Emergency SOS\n";
    for (const VelkIFPDevice &device : asDevices()) {
        const QString type = device.deviceType == QLatin1String("Audio Box") ? QStringLiteral("Streaming Audio Box")
                                                                             : QStringLiteral("IFP/Control Box");
        out += ',' + csvCell(device.deviceName) + ',' + csvCell(device.ipAddress) + ',' + csvCell(device.macAddress) +
               ',' + csvCell(type) + ",,,\n";
    }
    return out;
}
