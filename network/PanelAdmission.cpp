#include "network/PanelAdmission.h"

bool PanelAdmission::sameKind(const QString &recordModel, const QString &recordSku, const QString &model,
                              const QString &sku)
{
    const auto agree = [](const QString &a, const QString &b) { return a.isEmpty() || b.isEmpty() || a == b; };
    return agree(recordModel, model) && agree(recordSku, sku);
}

PanelAdmission::Decision PanelAdmission::decide(const Newcomer &newcomer, const QVector<Record> &records)
{
    Decision decision;
    QVector<int> candidates;
    // Records without a MAC first. A record holding a MAC is taken by address only by a panel that reports none: one
    // that reports its own would have been matched by it, were it that record's.
    for (int pass = 0; pass < (newcomer.macUsable ? 1 : 2); ++pass) {
        for (int i = 0; i < records.size(); ++i) {
            const Record &record = records.at(i);
            if (record.deviceType != newcomer.deviceType || (record.mac == Mac::None) != (pass == 0))
                continue;
            if ((record.mac == Mac::Entered || record.holder == Holder::ByMac) &&
                !sameKind(record.model, record.sku, newcomer.model, newcomer.sku)) {
                if (decision.unlike < 0)
                    decision.unlike = i;
                continue;
            }
            candidates.append(i);
        }
    }
    if (candidates.isEmpty()) {
        decision.refusal = decision.unlike >= 0 ? Refusal::OtherModel : Refusal::Unmanaged;
        return decision;
    }
    decision.unlike = -1;
    // Nothing in what such panels report tells two of them apart: each takes a record no other connection holds.
    for (int i : qAsConst(candidates)) {
        if (records.at(i).holder == Holder::Free) {
            decision.take = i;
            return decision;
        }
    }
    // A panel known by its MAC keeps its record whatever its password.
    if (!newcomer.locked) {
        for (int i : qAsConst(candidates)) {
            if (records.at(i).holder == Holder::ByAddress && records.at(i).holderLocked) {
                decision.take = i;
                decision.closeHolder = true;
                return decision;
            }
        }
    }
    // Two panels behind one address (a router that translates addresses, two cards reporting zeros): the holder keeps
    // the record while it answers. Replaced, each pushed the other off at its every reconnect.
    decision.refusal = Refusal::EveryHeld;
    for (int i : qAsConst(candidates)) {
        if (!records.at(i).holderTransferring)
            decision.probe.append(i);
    }
    return decision;
}

void PanelAdmission::modelAndSku(const Record &record, const Newcomer &newcomer, QString *model, QString *sku)
{
    const bool entered = record.mac == Mac::Entered;
    *model = entered && !record.model.isEmpty() ? record.model : newcomer.model;
    *sku = entered && !record.sku.isEmpty() ? record.sku : newcomer.sku;
}
