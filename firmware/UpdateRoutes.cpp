#include "firmware/UpdateRoutes.h"

#include "firmware/DownloadRules.h"
#include "firmware/FirmwareVersion.h"
#include "firmware/OtaLogText.h"
#include "shell/base/Log.h"

#include <QHash>
#include <QUrl>

#include <algorithm>

bool UpdateRoutes::build(const QVector<ManifestPackage> &packages)
{
    m_nodes.clear();
    m_routes.clear();
    m_built = 0;
    m_gaveUp = false;

    // Nodes, deduplicated by old version. Replaced nodes are marked and squeezed out afterwards, so the order stays
    // that of the manifest with a replacing "PackageV2" at the end.
    QVector<Node> all;
    QVector<bool> removed;
    QHash<QString, QVector<int>> byOld;
    for (const ManifestPackage &package : packages) {
        if (FirmwareVersion::compareDelta(package.oldVersion, package.newVersion) >= 0)
            continue;
        bool dropped = false;
        int replaced = -1;
        for (int index : byOld.value(package.oldVersion)) {
            if (removed.at(index))
                continue;
            const Node &existing = all.at(index);
            if (!existing.v2) {
                if (package.v2)
                    replaced = index;
                else
                    dropped = true;
                break;
            }
            if (!package.v2 || existing.sku == package.sku) {
                dropped = true;
                break;
            }
        }
        if (dropped)
            continue;
        if (replaced >= 0)
            removed[replaced] = true;
        Node node;
        node.oldVersion = package.oldVersion;
        node.newVersion = package.newVersion;
        node.sku = package.sku;
        node.v2 = package.v2;
        byOld[node.oldVersion].append(all.size());
        all.append(node);
        removed.append(false);
    }
    for (int i = 0; i < all.size(); ++i) {
        if (!removed.at(i))
            m_nodes.append(all.at(i));
    }

    // Links, and who links to whom (in node order, so the first open predecessor is found first).
    QHash<QString, QVector<int>> startingAt;
    for (int i = 0; i < m_nodes.size(); ++i)
        startingAt[m_nodes.at(i).oldVersion].append(i);
    QVector<QVector<int>> previous(m_nodes.size());
    for (int a = 0; a < m_nodes.size(); ++a) {
        Node &from = m_nodes[a];
        for (int b : startingAt.value(from.newVersion)) {
            const Node &to = m_nodes.at(b);
            if (b != a && (from.sku.isEmpty() || to.sku.isEmpty() || from.sku == to.sku)) {
                from.nextNodes.append(b);
                previous[b].append(a);
            }
        }
    }

    // Routes from every root, until every node has one through it. Versions rise strictly along every link, so
    // the walk back to a root ends.
    for (int start = 0; start < m_nodes.size() && !m_gaveUp; ++start) {
        if (m_nodes.at(start).routeCount != 0)
            continue;
        int root = start;
        for (bool moved = true; moved;) {
            moved = false;
            for (int p : previous.at(root)) {
                if (m_nodes.at(p).routeCount == 0) {
                    root = p;
                    moved = true;
                    break;
                }
            }
        }
        // Routes grow at their end while they are built (a prepend per step would cost the square of the length).
        QVector<Route> fromRoot = buildFrom(root, 1);
        for (Route &route : fromRoot)
            std::reverse(route.begin(), route.end());
        m_routes += fromRoot;
    }
    if (m_gaveUp) {
        writeLog(LOG_LEVEL_WARNING,
                 "findUpdateRoutes, more than %s routes or %s steps: the manifest's routes are not used",
                 logNumber(MaxRoutes).constData(), logNumber(MaxRouteLength).constData());
        m_routes.clear();
        return false;
    }
    return true;
}

QVector<UpdateRoutes::Route> UpdateRoutes::buildFrom(int index, int depth)
{
    // A plain chain (one successor that continues the node's route) is followed without recursing and without a
    // list of routes per step: most of a manifest is such chains, and each route through them is walked anew.
    QVector<int> chain;
    int current = index;
    for (;;) {
        if (m_gaveUp || depth > MaxRouteLength || m_built > MaxRoutes) {
            m_gaveUp = true;
            return QVector<Route>();
        }
        const Node &node = m_nodes.at(current);
        if (node.nextNodes.size() != 1)
            break;
        const Node &next = m_nodes.at(node.nextNodes.first());
        if (!next.sku.isEmpty() && next.sku != node.sku)
            break; // a SKU branch alone: the node also ends a route of its own
        chain.append(current);
        current = node.nextNodes.first();
        ++depth;
    }
    QVector<Route> routes = buildBranching(current, depth);
    if (m_gaveUp)
        return QVector<Route>();
    // Routes grow at their end while they are built, so the chain goes on in reverse.
    for (Route &route : routes)
        route.reserve(route.size() + chain.size());
    for (int i = chain.size() - 1; i >= 0; --i) {
        for (Route &route : routes)
            route.append(chain.at(i));
        m_nodes[chain.at(i)].routeCount += routes.size();
    }
    return routes;
}

QVector<UpdateRoutes::Route> UpdateRoutes::buildBranching(int index, int depth)
{
    QVector<Route> routes;
    QVector<Route> neutral;
    bool neutralTaken = false;
    bool endsHere = true;
    const QVector<int> next = m_nodes.at(index).nextNodes;
    for (int n : next) {
        QVector<Route> sub = buildFrom(n, depth + 1);
        if (m_gaveUp)
            return QVector<Route>();
        for (Route &route : sub)
            route.append(index);
        m_nodes[index].routeCount += sub.size();
        const QString &nextSku = m_nodes.at(n).sku;
        if (nextSku.isEmpty()) {
            if (!neutralTaken) {
                neutral = std::move(sub);
                neutralTaken = true;
            } else {
                writeLog(LOG_LEVEL_WARNING, "xml update route error: dup no sku");
            }
        } else {
            routes += sub;
        }
        if (nextSku.isEmpty() || nextSku == m_nodes.at(index).sku) {
            if (!endsHere)
                writeLog(LOG_LEVEL_WARNING, "xml update route error");
            endsHere = false;
        }
    }
    routes += neutral;
    if (endsHere) {
        ++m_nodes[index].routeCount;
        routes.append(Route{index});
        ++m_built;
    }
    return routes;
}

QSet<QString> UpdateRoutes::newestVersions() const
{
    QSet<QString> versions;
    for (int i = 0; i < m_routes.size(); ++i)
        versions.insert(routeEnd(i));
    return versions;
}

QString UpdateRoutes::routeEnd(int routeIndex) const
{
    if (routeIndex < 0 || routeIndex >= m_routes.size() || m_routes.at(routeIndex).isEmpty())
        return QString();
    return m_nodes.at(m_routes.at(routeIndex).last()).newVersion;
}

int UpdateRoutes::findRouteIndex(const QString &version, const QString &sku) const
{
    for (int r = 0; r < m_routes.size(); ++r) {
        const Route &route = m_routes.at(r);
        bool started = false;
        bool rejected = false;
        for (int i = 0; i + 1 < route.size() && !rejected; ++i) {
            const Node &node = m_nodes.at(route.at(i));
            const bool compatible = skuCompatible(node.sku, sku);
            if (started)
                rejected = !compatible;
            else
                started = node.oldVersion == version && compatible;
        }
        if (rejected)
            continue;
        const Node &last = m_nodes.at(route.last());
        if (!skuCompatible(last.sku, sku))
            continue;
        if (started || version == last.oldVersion || version == last.newVersion)
            return r;
    }
    return -1;
}

QString UpdateRoutes::nextVersion(int routeIndex, const QString &version) const
{
    if (routeIndex < 0 || routeIndex >= m_routes.size())
        return QString();
    for (int index : m_routes.at(routeIndex)) {
        if (m_nodes.at(index).oldVersion == version)
            return m_nodes.at(index).newVersion;
    }
    return QString();
}

const ManifestPackage *UpdateRoutes::chooseStep(const QVector<ManifestPackage> &packages, const QString &fromVersion,
                                                const QString &toVersion, const QString &sku)
{
    const ManifestPackage *firstV2 = nullptr;
    const ManifestPackage *firstPackage = nullptr;
    for (const ManifestPackage &package : packages) {
        if (package.oldVersion != fromVersion || package.newVersion != toVersion || !skuCompatible(package.sku, sku) ||
            package.size <= 0 || !DownloadRules::isFetchableUrl(QUrl(package.url)) ||
            FirmwareVersion::compareDelta(package.oldVersion, package.newVersion) >= 0)
            continue;
        if (package.v2 && package.sku == sku)
            return &package;
        if (package.v2 && !firstV2)
            firstV2 = &package;
        if (!package.v2 && !firstPackage)
            firstPackage = &package;
    }
    return firstV2 ? firstV2 : firstPackage;
}

void UpdateRoutes::logRoutes(const QString &modelName) const
{
    writeLog(LOG_LEVEL_INFO, "all update routes found");
    writeLog(LOG_LEVEL_INFO, "%s UpdateRouteList: %s", qPrintable(modelName), logNumber(m_routes.size()).constData());
    // A route per line keeps a large manifest's log readable; the nodes follow the route they belong to.
    for (int r = 0; r < m_routes.size() && r < 100; ++r) {
        writeLog(LOG_LEVEL_DEBUG, "UpdateRoute: %s", logNumber(r).constData());
        for (int index : m_routes.at(r)) {
            const Node &node = m_nodes.at(index);
            writeLog(LOG_LEVEL_DEBUG, "UpdateRouteNode: %s, %s, sku=%s, %s", qPrintable(node.oldVersion),
                     qPrintable(node.newVersion), qPrintable(node.sku), logNumber(node.routeCount).constData());
        }
    }
}
