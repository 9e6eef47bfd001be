#include "datastore/RecordMapper.h"

namespace {

template <typename Row> VelkIFPDevice deviceFrom(const Row &query, int firstColumn)
{
    const int c = firstColumn;
    VelkIFPDevice device;
    device.did = query.value(c + 0).toUInt();
    device.deviceName = query.value(c + 1).toString();
    device.modelName = query.value(c + 2).toString();
    device.macAddress = query.value(c + 3).toString();
    device.ipAddress = query.value(c + 4).toString();
    device.fwVersion = query.value(c + 5).toString();
    device.lastPassword = query.value(c + 6).toString();
    device.subnetMask = query.value(c + 7).toString();
    device.gateway = query.value(c + 8).toString();
    device.panelFwVersion = query.value(c + 9).toString();
    device.displayClientVersion = query.value(c + 10).toString();
    device.sku = query.value(c + 11).toString();
    device.isKicked = query.value(c + 12).toInt() != 0;
    device.deviceType = query.value(c + 13).toString();
    device.position = query.value(c + 14).toString();
    device.ptzCamera = query.value(c + 15).toString();
    device.learnedMac = query.value(c + 16).toString();
    return device;
}

template <typename Row> VelkGroups groupFrom(const Row &query, int firstColumn)
{
    VelkGroups group;
    group.gid = query.value(firstColumn + 0).toUInt();
    group.groupName = query.value(firstColumn + 1).toString();
    group.groupType = query.value(firstColumn + 2).toString();
    return group;
}

} // namespace

VelkIFPDevice RecordMapper::deviceFromQuery(const QSqlQuery &query, int firstColumn)
{
    return deviceFrom(query, firstColumn);
}

VelkIFPDevice RecordMapper::deviceFromQuery(const SqlStatement &query, int firstColumn)
{
    return deviceFrom(query, firstColumn);
}

VelkGroups RecordMapper::groupFromQuery(const QSqlQuery &query, int firstColumn)
{
    return groupFrom(query, firstColumn);
}

VelkGroups RecordMapper::groupFromQuery(const SqlStatement &query, int firstColumn)
{
    return groupFrom(query, firstColumn);
}

QVariant RecordMapper::macValue(const QString &macAddress)
{
    return macAddress.isEmpty() ? QVariant(QVariant::String) : QVariant(macAddress);
}

QVariantList RecordMapper::deviceValues(const VelkIFPDevice &device)
{
    return {device.deviceName,
            device.modelName,
            macValue(device.macAddress),
            device.ipAddress,
            device.fwVersion,
            device.lastPassword,
            device.subnetMask,
            device.gateway,
            device.panelFwVersion,
            device.displayClientVersion,
            device.sku,
            device.isKicked ? 1 : 0,
            device.deviceType,
            device.position,
            device.ptzCamera,
            device.learnedMac.isEmpty() ? QVariant(QVariant::String) : QVariant(device.learnedMac)};
}
