#include "devices/AutoDetectModel.h"

#include <numeric>

#include <QHostAddress>
#include <QVector>
#include <algorithm>

#include "devices/DeviceRules.h"

namespace {

struct SortKey
{
    quint32 ip;
    QString mac;
    int index;
};

} // namespace

QString AutoDetectModel::suggestedName(const VelkIFPDevice &heard)
{
    return numberedName(heard, 1);
}

QString AutoDetectModel::numberedName(const VelkIFPDevice &heard, int number)
{
    QString model = heard.modelName;
    for (const QChar c : DeviceRules::forbiddenNameCharacters())
        model.remove(c);
    model = model.trimmed();
    if (model.isEmpty())
        model = heard.deviceType == DeviceRules::audioBoxType() ? QStringLiteral("Audio Box") : QStringLiteral("Panel");
    // A panel listed without a MAC is told apart by its address, which is also how it is added.
    QString tail = heard.macAddress;
    tail.remove(QLatin1Char(':'));
    tail = tail.isEmpty() ? heard.ipAddress : tail.right(4).toUpper();
    QString suffix = QLatin1Char('-') + tail;
    if (number > 1)
        suffix += QStringLiteral(" (%1)").arg(number);
    return model.left(DeviceRules::MaxNameLength - suffix.size()) + suffix;
}

QList<int> AutoDetectModel::columnWidths(const QList<int> &needs, const QList<int> &sharesPercent, int width)
{
    QList<int> widths = needs;
    if (widths.isEmpty())
        return widths;
    int total = std::accumulate(widths.cbegin(), widths.cend(), 0);
    if (total > width) {
        // Too wide: the names give way first, down to their share, then the last column.
        widths.first() -= qMin(total - width, qMax(0, widths.first() - width * sharesPercent.value(0) / 100));
    } else {
        // Room to spare: each column grows toward its share, in order.
        for (int column = 0; column < widths.size() && total < width; ++column) {
            const int grow =
                qMin(width - total, qMax(0, width * sharesPercent.value(column) / 100 - widths.at(column)));
            widths[column] += grow;
            total += grow;
        }
    }
    total = std::accumulate(widths.cbegin(), widths.cend(), 0);
    widths.last() = qMax(0, widths.last() + width - total);
    return widths;
}

bool AutoDetectModel::sameShown(const VelkIFPDevice &a, const VelkIFPDevice &b)
{
    return a.ipAddress == b.ipAddress && a.macAddress == b.macAddress && a.modelName == b.modelName;
}

QString AutoDetectModel::keyOf(const VelkIFPDevice &device)
{
    // An address never reads as a MAC, so the two kinds of key cannot meet.
    return device.macAddress.isEmpty() ? device.ipAddress : device.macAddress;
}

AutoDetectModel::Change AutoDetectModel::refresh(const QList<VelkIFPDevice> &heard, const QSet<QString> &managedMacs,
                                                 int pageMode, const QSet<QString> &managedNames,
                                                 const QSet<QString> &managedAddresses)
{
    QList<VelkIFPDevice> listed;
    QSet<QString> seen;
    for (VelkIFPDevice device : heard) {
        device.macAddress = DeviceRules::normalizeMac(device.macAddress);
        if (device.macAddress.isEmpty() ? device.ipAddress.isEmpty() || managedAddresses.contains(device.ipAddress)
                                        : managedMacs.contains(device.macAddress))
            continue;
        const QString key = keyOf(device);
        if (seen.contains(key))
            continue;
        if (device.deviceType != DeviceRules::audioBoxType() && device.deviceType != DeviceRules::controlBoxType())
            device.deviceType = DeviceRules::typeForPageMode(pageMode);
        if (!DeviceRules::belongsToPageMode(device.deviceType, pageMode))
            continue;
        seen.insert(key);
        listed.append(device);
    }

    // A stable order: by address, then MAC. The addresses are parsed once, not in every comparison.
    QVector<SortKey> keys;
    keys.reserve(listed.size());
    for (int i = 0; i < listed.size(); ++i)
        keys.append({QHostAddress(listed.at(i).ipAddress).toIPv4Address(), listed.at(i).macAddress, i});
    std::sort(keys.begin(), keys.end(),
              [](const SortKey &a, const SortKey &b) { return a.ip != b.ip ? a.ip < b.ip : a.mac < b.mac; });

    // Rows whose MAC and address stay keep their place relative to each other (the order depends on nothing else),
    // so they are neither removed nor inserted. A panel that changed its address moves: it leaves its old row and
    // comes back at its new one, with its name and tick.
    // Names already given are taken first: the operator's, then suggestions that still hold. Rows new to the list,
    // and suggestions that no longer fit, then get the first free name in row order.
    QSet<QString> taken;
    for (const QString &name : managedNames)
        taken.insert(DeviceRules::key(name));
    QVector<int> previous(keys.size(), -1); // the row each had before
    QVector<bool> needsName(keys.size(), true);
    QList<Row> next;
    next.reserve(keys.size());
    for (const SortKey &key : qAsConst(keys)) {
        Row row;
        row.device = listed.at(key.index);
        const int old = m_rowOfKey.value(keyOf(row.device), -1);
        if (old >= 0) {
            const Row &before = m_rows.at(old);
            row.name = before.name;
            row.checked = before.checked;
            row.suggested = before.suggested;
            previous[next.size()] = old;
            // A suggestion follows the model: one made from an earlier model named the panel wrongly. The suggestion
            // is made from the model and type alone (the key is the same), so those say whether it still holds; making
            // both names to compare them cost every refresh two names a row.
            needsName[next.size()] = row.suggested && (before.device.modelName != row.device.modelName ||
                                                       before.device.deviceType != row.device.deviceType);
            // A name the operator gave is taken before any suggestion is judged: a suggestion left as it was could
            // be the very name typed in another row.
            if (!row.suggested)
                taken.insert(DeviceRules::key(row.name));
        }
        next.append(row);
    }
    for (int i = 0; i < next.size(); ++i) {
        if (needsName.at(i) || !next.at(i).suggested)
            continue;
        const QString key = DeviceRules::key(next.at(i).name);
        if (taken.contains(key))
            needsName[i] = true;
        else
            taken.insert(key);
    }
    for (int i = 0; i < next.size(); ++i) {
        if (!needsName.at(i))
            continue;
        Row &row = next[i];
        int number = 1;
        do
            row.name = numberedName(row.device, number++);
        while (taken.contains(DeviceRules::key(row.name)));
        row.suggested = true;
        taken.insert(DeviceRules::key(row.name));
    }

    Change change;
    QVector<bool> kept(m_rows.size(), false);
    for (int i = 0; i < next.size(); ++i) {
        const int old = previous.at(i);
        if (old >= 0 && m_rows.at(old).device.ipAddress == next.at(i).device.ipAddress) {
            kept[old] = true;
            if (!sameShown(m_rows.at(old).device, next.at(i).device) || m_rows.at(old).name != next.at(i).name)
                change.updated.append(i);
        } else {
            change.inserted.append(i);
        }
    }
    for (int old = m_rows.size() - 1; old >= 0; --old) {
        if (!kept.at(old))
            change.removed.append(old);
    }

    m_rows = next;
    m_rowOfKey.clear();
    m_rowOfKey.reserve(m_rows.size());
    for (int i = 0; i < m_rows.size(); ++i)
        m_rowOfKey.insert(keyOf(m_rows.at(i).device), i);
    return change;
}

AutoDetectModel::Change AutoDetectModel::clear()
{
    Change change;
    for (int old = m_rows.size() - 1; old >= 0; --old)
        change.removed.append(old);
    m_rows.clear();
    m_rowOfKey.clear();
    return change;
}

QList<VelkIFPDevice> AutoDetectModel::devices() const
{
    QList<VelkIFPDevice> devices;
    devices.reserve(m_rows.size());
    for (const Row &row : m_rows)
        devices.append(row.device);
    return devices;
}

int AutoDetectModel::rowOfMac(const QString &mac) const
{
    const QString key = DeviceRules::normalizeMac(mac);
    return key.isEmpty() ? -1 : m_rowOfKey.value(key, -1);
}

void AutoDetectModel::setName(int index, const QString &name)
{
    if (index < 0 || index >= m_rows.size() || m_rows.at(index).name == name)
        return;
    m_rows[index].name = name;
    m_rows[index].suggested = false;
}

void AutoDetectModel::setChecked(int index, bool checked)
{
    if (index >= 0 && index < m_rows.size())
        m_rows[index].checked = checked;
}
