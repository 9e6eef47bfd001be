#pragma once

#include "firmware/BoxManifest.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QVector>

/// The update routes of one model: the delta packages of its manifest chained into walks from a version to the
/// newest it can reach, one route per way through (SKUs may branch). Pure.
///
/// Nodes: one per package that leads upwards, at most one per old version and SKU (a "PackageV2" replaces the
/// "Package" of its old version; later duplicates are dropped). A node links to the nodes that start at its new
/// version with a compatible SKU (either empty, or the same). Routes start at the nodes no other open node leads to
/// and follow every SKU-specific link and the first SKU-neutral one.
///
/// Building is bounded: a manifest whose routes branch at every step would otherwise yield routes by the billion.
/// Once a route more than MaxRoutes has been made, or a route would take more than MaxRouteLength steps, the build
/// gives up, logs, and leaves no route at all, so the model's check fails and its devices fail instead of taking a
/// partial view for the whole.
///
/// Nodes are found through indexes by version (and SKU), never by walking every node of a version: a manifest
/// may hold tens of thousands of packages from one version, one per SKU, and is read on the GUI thread.
class UpdateRoutes
{
public:
    static constexpr int MaxRoutes = 10000;
    static constexpr int MaxRouteLength = 1000;

    struct Node
    {
        QString oldVersion;
        QString newVersion;
        QString sku;
        bool v2 = false;
        int routeCount = 0; ///< routes built through this node
    };
    using Route = QVector<int>; ///< node indexes, each node's newVersion the next one's oldVersion

    /// Builds nodes and routes from the model's packages (document order). False when the build gave up.
    bool build(const QVector<ManifestPackage> &packages);

    bool gaveUp() const { return m_gaveUp; }
    const QVector<Node> &nodes() const { return m_nodes; }
    const QVector<Route> &routes() const { return m_routes; }
    bool isEmpty() const { return m_routes.isEmpty(); }

    /// The newest version of every route: the new version of its last node.
    QSet<QString> newestVersions() const;
    /// The new version of the route's last node; empty for an index out of range.
    QString routeEnd(int routeIndex) const;
    /// The first route that serves a device of that version and SKU, or -1. A device at the end of a route finds
    /// that route (and is up to date).
    int findRouteIndex(const QString &version, const QString &sku) const;
    /// The version the step from `version` reaches on that route; empty when no node of the route starts there.
    QString nextVersion(int routeIndex, const QString &version) const;
    /// The package of one step: from `fromVersion` to the route's next version, upwards, for the SKU, with a size
    /// and an http or https address. A "PackageV2" of the device's SKU first, then a SKU-neutral "PackageV2", then a
    /// "Package". Null when there is none: a package off the route or leading downwards is never chosen.
    static const ManifestPackage *chooseStep(const QVector<ManifestPackage> &packages, const QString &fromVersion,
                                             const QString &toVersion, const QString &sku);

    static bool skuCompatible(const QString &packageSku, const QString &deviceSku)
    {
        return packageSku.isEmpty() || packageSku == deviceSku;
    }

    /// The log lines of the routes, as "UpdateRoute: i" followed by one line per node.
    void logRoutes(const QString &modelName) const;

private:
    /// Nodes of one version (or of one version and SKU), in node order. The nodes before `firstOpen` all have a
    /// route through them already; a node never loses its routes, so the mark only moves on.
    struct Bucket
    {
        QVector<int> nodes;
        int firstOpen = 0;
    };
    /// A node's versions and SKU as numbers, in the order first met; SKU 0 is the empty (SKU-neutral) one.
    struct Ids
    {
        int oldVersion = 0;
        int newVersion = 0;
        int sku = 0;
    };
    static quint64 skuKey(int version, int sku) { return (quint64(quint32(version)) << 32) | quint32(sku); }

    /// Every route that starts at the node (SKU-specific branches first, then the first SKU-neutral one, then
    /// the route that ends at the node), each built end-first.
    QVector<Route> buildFrom(int node, int depth);
    QVector<Route> buildBranching(int node, int depth);
    /// The nodes that may follow the node, in node order: those starting at its new version whose SKU fits its own.
    QVector<int> successors(int node) const;
    /// The first node in node order without a route through it that leads to the node; -1 when there is none.
    int firstOpenPredecessor(int node);
    int firstOpen(Bucket *bucket) const;

    QVector<Node> m_nodes;
    // Indexes of one build, dropped at its end.
    QVector<Ids> m_ids;
    QVector<int> m_onlyNext; ///< per node: its one successor; -1 when it has none or several
    QVector<Bucket> m_byOld; ///< by version id
    QVector<Bucket> m_byNew;
    QHash<quint64, Bucket> m_byOldSku;
    QHash<quint64, Bucket> m_byNewSku;
    QVector<Route> m_routes;
    qint64 m_built = 0; // routes made so far in this build, counting the ones dropped as duplicates
    bool m_gaveUp = false;
};
