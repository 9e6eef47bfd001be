#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include "datastore/VelkIFPDevice.h"

/// What the Auto Detect dialog lists, kept apart from its table: the panels the discovery responder heard that are
/// not managed, in a stable order (by address, then MAC), and the name and tick the operator gave each.
///
/// A whole fleet powering up makes the list change hundreds of times a second. Rebuilding every row on each change
/// kept the GUI thread busy for seconds, so a refresh says which rows went, came and changed, and the dialog touches
/// only those: rows the operator is typing in or looking at stay where they are, and a name and a tick stay with
/// their panel's MAC however the rows around them move.
///
/// A panel that searched with no MAC (its card reports one no card can have: the responder hands it over with an
/// empty MAC) is listed by its address alone and added that way, as Add Device adds it; its name and tick stay with
/// its address.
class AutoDetectModel
{
public:
    struct Row
    {
        VelkIFPDevice device;
        QString name;
        bool checked = false;
        bool suggested = true; ///< the name is the list's suggestion, not one the operator gave
    };

    /// What a refresh changed. Apply in this order: remove `removed` (rows of the old list, descending), then insert
    /// `inserted` (rows of the new list, ascending), then rewrite the cells of `updated` (rows of the new list).
    struct Change
    {
        QList<int> removed;
        QList<int> inserted;
        QList<int> updated;

        bool isEmpty() const { return removed.isEmpty() && inserted.isEmpty() && updated.isEmpty(); }
    };

    /// Lists the heard devices of the page mode (1 audio boxes, every other value panels) whose MAC is not among
    /// managedMacs (lower case); a device without a MAC is listed unless a managed device has its address
    /// (managedAddresses). A device without a known type is taken for the page's own type. A panel listed before
    /// keeps its tick and the name the operator gave it; one new to the list gets a suggested name and no tick. A
    /// suggestion is suggestedName() or, where a managed device (managedNames, any letter case), a name the operator
    /// gave another row or another suggestion has that name, the same with a number; a row still holding its
    /// suggestion gets a new one when its model changes or such a name takes it.
    Change refresh(const QList<VelkIFPDevice> &heard, const QSet<QString> &managedMacs, int pageMode,
                   const QSet<QString> &managedNames = QSet<QString>(),
                   const QSet<QString> &managedAddresses = QSet<QString>());
    /// Empties the list, forgetting every name and tick.
    Change clear();

    int size() const { return m_rows.size(); }
    bool isEmpty() const { return m_rows.isEmpty(); }
    const Row &row(int index) const { return m_rows.at(index); }
    QList<VelkIFPDevice> devices() const;
    /// The row of the device with that MAC address (any letter case), or -1.
    int rowOfMac(const QString &mac) const;
    /// What a row's name and tick stay with: its MAC, or its address for a device listed without one.
    static QString keyOf(const VelkIFPDevice &device);
    /// The row whose keyOf() is key, or -1.
    int rowOfKey(const QString &key) const { return m_rowOfKey.value(key, -1); }

    /// What the operator typed and ticked in a row; out-of-range rows are ignored. A name other than the row's makes
    /// it the operator's.
    void setName(int index, const QString &name);
    void setChecked(int index, bool checked);

    /// A name that fits the name rule, made from the model and the end of the MAC address (the address, for a device
    /// without a MAC).
    static QString suggestedName(const VelkIFPDevice &heard);
    /// True when the table shows the two devices alike (address, MAC, model).
    static bool sameShown(const VelkIFPDevice &a, const VelkIFPDevice &b);

    /// The widths of the table's columns in `width` pixels: each column the width its widest text needs, grown toward
    /// its share (percent of the width) where there is room, the last column the rest. Where the needs do not all
    /// fit, the first column (the names, cut in the middle) gives up room down to its share, and then the last does.
    static QList<int> columnWidths(const QList<int> &needs, const QList<int> &sharesPercent, int width);

private:
    /// suggestedName() for number 1, else with " (number)" after it, the model cut to keep the name rule's length.
    static QString numberedName(const VelkIFPDevice &heard, int number);

    QList<Row> m_rows;
    QHash<QString, int> m_rowOfKey;
};
