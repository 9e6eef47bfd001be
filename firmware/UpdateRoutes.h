#pragma once

#include "firmware/BoxManifest.h"

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
/// Past MaxRoutes routes or MaxRouteLength steps the build gives up, logs, and leaves no route at all, so the
/// model's check fails and its devices fail instead of taking a partial view for the whole.
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
        QVector<int> nextNodes; ///< indexes of nodes that may follow
        int routeCount = 0;     ///< routes built through this node
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
    /// Every route that starts at the node (SKU-specific branches first, then the first SKU-neutral one, then
    /// the route that ends at the node), each built end-first.
    QVector<Route> buildFrom(int node, int depth);
    QVector<Route> buildBranching(int node, int depth);

    QVector<Node> m_nodes;
    QVector<Route> m_routes;
    qint64 m_built = 0; // routes made so far in this build, counting the ones dropped as duplicates
    bool m_gaveUp = false;
};
