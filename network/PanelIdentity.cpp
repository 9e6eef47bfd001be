#include "network/PanelIdentity.h"

#include "platform/ArpTable.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString stringField(const QJsonObject &object, const char *key)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (!value.isString())
        return QString();
    return PanelIdentity::fieldText(value.toString());
}

} // namespace

QString PanelIdentity::normaliseMac(const QString &mac)
{
    // Six pairs of hex digits separated by ':' or '-', checked by hand: every synchronisation asks here several
    // times per panel, and a regular expression cost more than the rest of the bookkeeping.
    if (mac.size() != 17)
        return QString();
    bool normal = true; // lower case with ':' already
    for (int i = 0; i < 17; ++i) {
        const ushort c = mac.at(i).unicode();
        if (i % 3 == 2) {
            if (c != ':' && c != '-')
                return QString();
            normal = normal && c == ':';
        } else if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')) {
            continue;
        } else if (c >= 'A' && c <= 'F') {
            normal = false;
        } else {
            return QString();
        }
    }
    if (normal)
        return mac;
    QString out = mac.toLower();
    out.replace(QLatin1Char('-'), QLatin1Char(':'));
    return out;
}

QString PanelIdentity::fieldText(const QString &text)
{
    if (text.contains(QChar(0)))
        return QString();
    QString kept = text;
    for (int i = 0; i < kept.size(); ++i) {
        const QChar c = kept.at(i);
        if (c.isHighSurrogate() && i + 1 < kept.size() && kept.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            kept[i] = QChar(QChar::ReplacementCharacter);
    }
    if (kept.size() <= kMaxFieldLength)
        return kept;
    const int end = kept.at(kMaxFieldLength - 1).isHighSurrogate() ? kMaxFieldLength - 1 : kMaxFieldLength;
    return kept.left(end);
}

QByteArray PanelIdentity::toJson() const
{
    QJsonObject object;
    object.insert(QStringLiteral("mac"), mac);
    object.insert(QStringLiteral("model"), model);
    object.insert(QStringLiteral("deviceType"), deviceType);
    object.insert(QStringLiteral("fwVersion"), fwVersion);
    object.insert(QStringLiteral("panelFwVersion"), panelFwVersion);
    object.insert(QStringLiteral("displayClientVersion"), displayClientVersion);
    object.insert(QStringLiteral("sku"), sku);
    object.insert(QStringLiteral("ipAddress"), ipAddress);
    object.insert(QStringLiteral("subnetMask"), subnetMask);
    object.insert(QStringLiteral("gateway"), gateway);
    object.insert(QStringLiteral("password"), password);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

bool PanelIdentity::fromJson(const QByteArray &json, PanelIdentity *out, QString *error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        if (error)
            *error = QStringLiteral("not a JSON object");
        return false;
    }
    const QJsonObject object = document.object();
    PanelIdentity identity;
    const QJsonValue macValue = object.value(QLatin1String("mac"));
    identity.mac = macValue.isString() ? normaliseMac(macValue.toString()) : QString();
    if (identity.mac.isEmpty()) {
        if (error)
            *error = QStringLiteral("missing or invalid mac");
        return false;
    }
    identity.macUsable = ArpTable::isUsableMac(identity.mac);
    identity.model = stringField(object, "model");
    identity.deviceType = stringField(object, "deviceType");
    identity.fwVersion = stringField(object, "fwVersion");
    identity.panelFwVersion = stringField(object, "panelFwVersion");
    identity.displayClientVersion = stringField(object, "displayClientVersion");
    identity.sku = stringField(object, "sku");
    identity.ipAddress = stringField(object, "ipAddress");
    identity.subnetMask = stringField(object, "subnetMask");
    identity.gateway = stringField(object, "gateway");
    identity.password = stringField(object, "password");
    *out = identity;
    return true;
}
