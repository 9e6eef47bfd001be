#include "network/PanelAccountMerge.h"

#include "datastore/OrvantaDBIntf.h"
#include "shell/base/Log.h"

#include <QHash>
#include <QSet>
#include <QTextCodec>

namespace {

// The records of the panel's file as it wrote them. The shared CSV reader turns every CR LF into LF and takes any
// record whose first cell is "userName" for the header; here a quoted field keeps its bytes (a name holding CR LF
// comes back to the panel unchanged) and only the first record can be the header. A record ends at LF, CR LF or
// CR outside quotes; a field that starts with a quote runs to the closing quote, "" standing for one quote.
// False when the text ends inside quotes: the panel's last record would be cut short or swallow the rest.
bool splitRecords(const QString &text, QList<QStringList> *records)
{
    QStringList record;
    QString field;
    bool quoted = false;
    bool fieldStarted = false;
    const auto endField = [&]() {
        record.append(field);
        field.clear();
        fieldStarted = false;
    };
    const int length = text.size();
    for (int i = 0; i < length; ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c != QLatin1Char('"'))
                field.append(c);
            else if (i + 1 < length && text.at(i + 1) == QLatin1Char('"'))
                field.append(text.at(++i));
            else
                quoted = false;
        } else if (c == QLatin1Char(',')) {
            endField();
        } else if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            if (c == QLatin1Char('\r') && i + 1 < length && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            endField();
            records->append(record);
            record.clear();
        } else if (c == QLatin1Char('"') && !fieldStarted) {
            quoted = true;
            fieldStarted = true;
        } else {
            field.append(c);
            fieldStarted = true;
        }
    }
    if (quoted)
        return false;
    // The last record may lack its line end.
    if (fieldStarted || !record.isEmpty()) {
        endField();
        records->append(record);
    }
    return true;
}

bool isHeader(const QStringList &record)
{
    // A user's fourth cell is "0" or "1", so no user record can pass for the header.
    const QStringList header = QString::fromLatin1(AccountFile::kHeader).split(QLatin1Char(','));
    for (int i = 0; i < 4; ++i) {
        if (record.value(i) != header.at(i))
            return false;
    }
    return true;
}

bool isBlank(const QStringList &record)
{
    return record.size() == 1 && record.first().isEmpty();
}

PanelAccountMerge::Parsed refused(const QString &reason)
{
    PanelAccountMerge::Parsed parsed;
    parsed.refusal = reason;
    return parsed;
}

} // namespace

PanelAccountMerge::Parsed PanelAccountMerge::parse(const QByteArray &file)
{
    // The whole array, by its size: decoding a QByteArray as a C string would end the file at its first NUL and
    // drop every user after it. No field can carry a NUL to a panel either.
    const int nul = file.indexOf('\0');
    if (nul >= 0)
        return refused(QStringLiteral("a NUL byte at offset %1").arg(nul));
    const QByteArray bom("\xef\xbb\xbf");
    const QByteArray bytes = file.startsWith(bom) ? file.mid(bom.size()) : file;
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    const QString text = QTextCodec::codecForMib(106)->toUnicode(bytes.constData(), bytes.size(), &state);
    if (state.invalidChars != 0 || state.remainingChars != 0)
        return refused(QStringLiteral("not UTF-8 text"));
    QList<QStringList> records;
    if (!splitRecords(text, &records))
        return refused(QStringLiteral("a quoted field is not closed"));
    Parsed parsed;
    for (int i = 0; i < records.size(); ++i) {
        const QStringList &record = records.at(i);
        if ((i == 0 && isHeader(record)) || isBlank(record))
            continue;
        AccountFileRow row;
        if (!AccountFile::fromRecord(record, &row))
            return refused(QStringLiteral("record %1 is no user (fewer than four fields, or no name)").arg(i + 1));
        parsed.rows.append(row);
    }
    return parsed;
}

bool PanelAccountMerge::merge(const QList<AccountFileRow> &rows, quint32 deviceId)
{
    // A panel with no users of its own has nothing to take in; reading every user to find that out was most of a
    // fleet's first synchronisation.
    if (rows.isEmpty())
        return true;
    // One transaction: a merge that stops half-way leaves no half of the panel's users behind,
    // and the next synchronisation asks for all of them again.
    DbTransaction transaction = m_db->transaction("PanelAccountMerge::merge");
    if (!transaction.isActive() || !mergeRows(rows, deviceId))
        return false;
    return transaction.commit();
}

bool PanelAccountMerge::mergeRows(const QList<AccountFileRow> &rows, quint32 deviceId)
{
    QList<VelkAppInfo> apps;
    m_db->queryAllAppInfo(apps);
    // The users the panel's device has now, read once: each row is checked against them.
    QSet<quint32> assigned;
    if (deviceId != 0) {
        QList<VelkMultiUser> users;
        if (m_db->queryMultiUserByIFP(users, deviceId) != DB_OK) {
            writeLog(LOG_LEVEL_ERROR, "PanelAccountMerge: the users of the panel's device cannot be read");
            return false;
        }
        for (const VelkMultiUser &user : qAsConst(users))
            assigned.insert(user.muid);
    }

    // Names are matched ignoring letter case: the store grants permissions by name that way, so a panel's "alice"
    // created beside the console's "Alice" would have its permissions written onto Alice.
    QList<VelkMultiUser> known;
    if (m_db->queryAllMultiUser(known) != DB_OK) {
        writeLog(LOG_LEVEL_ERROR, "PanelAccountMerge: the console's users cannot be read");
        return false;
    }
    // The panels' administrator card belongs to the settings: a panel user holding it keeps no card.
    QList<VelkMultiUserAdmin> settings;
    if (m_db->queryMultiUserAdmin(settings) != DB_OK) {
        writeLog(LOG_LEVEL_ERROR, "PanelAccountMerge: the multi-user settings cannot be read");
        return false;
    }
    const QString adminCard = settings.isEmpty() ? QString() : settings.first().adminRfidId;
    QHash<QString, quint32> muidByName;
    for (const VelkMultiUser &user : qAsConst(known))
        muidByName.insert(user.userName.toCaseFolded(), user.muid);

    for (const AccountFileRow &row : rows) {
        quint32 muid = muidByName.value(row.userName.toCaseFolded());
        if (muid == 0) {
            // New to the console: take the panel's user. A known name keeps the console's values.
            VelkMultiUser user;
            user.userName = row.userName;
            user.password = row.password;
            user.hasPermission = row.hasPermission;
            user.uniqueId = row.uniqueId; // the store gives a new one when the panel sent none
            if (!row.rfidId.isEmpty() && row.rfidId == adminCard) {
                writeLog(LOG_LEVEL_WARNING, "PanelAccountMerge: card of %s is the panels' administrator card",
                         qPrintable(row.userName));
            } else if (!row.rfidId.isEmpty()) {
                QList<VelkMultiUser> holders;
                m_db->queryMultiUserByRfid(holders, row.rfidId);
                if (holders.isEmpty())
                    user.rfidId = row.rfidId;
                else
                    writeLog(LOG_LEVEL_WARNING, "PanelAccountMerge: card of %s is bound to another user",
                             qPrintable(row.userName));
            }
            const quint32 rc = m_db->createMultiUser(user);
            if (rc != DB_OK) {
                writeLog(LOG_LEVEL_ERROR, "PanelAccountMerge: createMultiUser error 0x%08x", rc);
                return false;
            }
            muid = user.muid;
            // A new user is allowed every app: only what the panel did not grant is taken away.
            for (const VelkAppInfo &app : qAsConst(apps)) {
                if (!row.packages.contains(app.packageName))
                    m_db->deleteAppPermission(muid, app.aiid);
            }
            muidByName.insert(row.userName.toCaseFolded(), muid);
        }
        if (deviceId == 0 || muid == 0 || assigned.size() >= maxUsersPerDevice || assigned.contains(muid))
            continue;
        VelkUserDevice link;
        link.multiUserId = muid;
        link.deviceId = deviceId;
        link.syncStatus = 0;
        if (m_db->createUserDevice(link) == DB_OK)
            assigned.insert(muid);
    }
    return true;
}
