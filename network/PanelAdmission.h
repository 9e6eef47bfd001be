#pragma once

#include <QString>
#include <QVector>

/// Which managed record a panel may take by its address: a panel whose card reports no MAC a card can have, or one
/// whose MAC no record holds. Decided from the records at the panel's address and who holds each, with no socket in
/// sight; CmdServer asks and acts (admits, closes a locked holder, probes, refuses).
///
/// What a record at the panel's address (and of its type) holds decides who may take it:
/// - no MAC (entered by its address alone): any panel;
/// - a MAC the console learned there from a panel matched by the address: the record is still the address's, and a
///   panel reporting no MAC of its own takes it whatever it reported before (a visit of another panel, a lease handed
///   on, must not lock the device's own panel out); only while the panel of that MAC holds it is one of another model
///   refused;
/// - a MAC entered with the record: only a panel reporting no MAC of its own that is of the record's model (and SKU,
///   where both tell one; an empty model or SKU is not known and refuses nothing). One of another model is a stranger:
///   it took the device's commands and users and wrote its model into the record.
/// No record is kept free for a panel that is away, not even while a firmware run waits for it back from its update:
/// back with a card reporting zeros, the device's own panel cannot be told from another of its model at the address,
/// and refused it stayed out, its SOS unheard, until the run gave it up.
///
/// The panel takes the first record no connection holds, records without a MAC first; else, when it has the console's
/// password, one held locked by a panel known by its address alone (kept, a wrong password kept the real panel out,
/// and its SOS with it). Else it is refused and the holders are asked for a sign of life, so that one whose connection
/// died gives way at the next try; a holder receiving a transfer is not asked: its answer waits behind the file.
class PanelAdmission
{
public:
    /// What the panel reported.
    struct Newcomer
    {
        bool macUsable = false; ///< a MAC a network card can have (PanelIdentity::macUsable)
        QString model;
        QString sku;
        QString deviceType;
        bool locked = false; ///< it reports another password than the console's
    };

    enum class Mac
    {
        None,    ///< no MAC a card can have
        Learned, ///< learned at the record's address from a panel matched by that address
        Entered, ///< entered with the record (or learned earlier than the console can tell)
    };

    enum class Holder
    {
        Free,
        ByMac,     ///< a panel that reported the record's MAC
        ByAddress, ///< a panel matched by the address
    };

    /// A managed record at the panel's address, and who holds it now.
    struct Record
    {
        Mac mac = Mac::None;
        QString deviceType;
        QString model;
        QString sku;
        Holder holder = Holder::Free;
        bool holderLocked = false;
        bool holderTransferring = false; ///< a firmware file or a broadcast's sound is on its way to the holder
    };

    enum class Refusal
    {
        None,
        Unmanaged,  ///< no record of the address and type
        OtherModel, ///< the records there are of another model
        EveryHeld,  ///< every record it may take is held by another connection
    };

    struct Decision
    {
        int take = -1;            ///< index of the record taken; -1 when refused
        bool closeHolder = false; ///< the record's locked holder gives way
        Refusal refusal = Refusal::None;
        int unlike = -1;    ///< with OtherModel: the first record of another model, for the log
        QVector<int> probe; ///< with EveryHeld: the holders to ask for a sign of life
    };

    static Decision decide(const Newcomer &newcomer, const QVector<Record> &records);

    /// A model or SKU left empty is not known and tells no kind apart.
    static bool sameKind(const QString &recordModel, const QString &recordSku, const QString &model,
                         const QString &sku);

    /// The model and SKU a panel that took the record by its address leaves in it. What it reports, as the device list
    /// and the firmware runs must see the model of the panel at the address; but a record holding a MAC entered with
    /// it took only a panel of its kind, which fills in what the record does not know yet and changes nothing else.
    static void modelAndSku(const Record &record, const Newcomer &newcomer, QString *model, QString *sku);
};
