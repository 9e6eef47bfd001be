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

    // Nodes, deduplicated by old version: a version holds one "Package", or "PackageV2" of distinct SKUs (a
    // "PackageV2" replaces the "Package"; any later "Package", and a second "PackageV2" of a SKU, is dropped).
    // Replaced nodes are marked and squeezed out afterwards, so the order stays that of the manifest with a
    // replacing "PackageV2" at the end.
    struct Slot
    {
        int package = -1;
        QSet<QString> v2Skus;
    };
    QVector<Node> all;
    QVector<bool> removed;
    QHash<QString, Slot> byOld;
    byOld.reserve(packages.size());
    for (const ManifestPackage &package : packages) {
        if (FirmwareVersion::compareDelta(package.oldVersion, package.newVersion) >= 0)
            continue;
        Slot &slot = byOld[package.oldVersion];
        if (!package.v2) {
            if (slot.package >= 0 || !slot.v2Skus.isEmpty())
                continue;
            slot.package = all.size();
        } else if (slot.package >= 0) {
            removed[slot.package] = true;
            slot.package = -1;
            slot.v2Skus.insert(package.sku);
        } else if (slot.v2Skus.contains(package.sku)) {
            continue;
        } else {
            slot.v2Skus.insert(package.sku);
        }
        Node node;
        node.oldVersion = package.oldVersion;
        node.newVersion = package.newVersion;
        node.sku = package.sku;
        node.v2 = package.v2;
        all.append(node);
        removed.append(false);
    }
    for (int i = 0; i < all.size(); ++i) {
        if (!removed.at(i))
            m_nodes.append(all.at(i));
    }

    // Versions and SKUs as numbers, so that the indexes cost an array slot or an integer key each.
    QHash<QString, int> versionIds;
    versionIds.reserve(2 * m_nodes.size());
    QHash<QString, int> skuIds{{QString(), 0}};
    auto idOf = [](QHash<QString, int> &ids, const QString &text) {
        return ids.insert(text, ids.value(text, ids.size())).value();
    };
    m_ids.resize(m_nodes.size());
    for (int i = 0; i < m_nodes.size(); ++i) {
        const Node &node = m_nodes.at(i);
        Ids &ids = m_ids[i];
        ids.oldVersion = idOf(versionIds, node.oldVersion);
        ids.newVersion = idOf(versionIds, node.newVersion);
        ids.sku = idOf(skuIds, node.sku);
    }
    m_byOld.resize(versionIds.size());
    m_byNew.resize(versionIds.size());
    m_byOldSku.reserve(m_nodes.size());
    m_byNewSku.reserve(m_nodes.size());
    for (int i = 0; i < m_nodes.size(); ++i) {
        const Ids &ids = m_ids.at(i);
        m_byOld[ids.oldVersion].nodes.append(i);
        m_byNew[ids.newVersion].nodes.append(i);
        m_byOldSku[skuKey(ids.oldVersion, ids.sku)].nodes.append(i);
        m_byNewSku[skuKey(ids.newVersion, ids.sku)].nodes.append(i);
    }
    // Most nodes have one successor: a chain is walked through this, without building a list of successors.
    m_onlyNext.fill(-1, m_nodes.size());
    for (int i = 0; i < m_nodes.size(); ++i) {
        const Ids &ids = m_ids.at(i);
        if (ids.sku == 0) {
            const QVector<int> &next = m_byOld.at(ids.newVersion).nodes;
            if (next.size() == 1)
                m_onlyNext[i] = next.first();
            continue;
        }
        const auto own = m_byOldSku.constFind(skuKey(ids.newVersion, ids.sku));
        const auto neutral = m_byOldSku.constFind(skuKey(ids.newVersion, 0));
        const int ownCount = own == m_byOldSku.constEnd() ? 0 : own->nodes.size();
        const int neutralCount = neutral == m_byOldSku.constEnd() ? 0 : neutral->nodes.size();
        if (ownCount + neutralCount == 1)
            m_onlyNext[i] = ownCount == 1 ? own->nodes.first() : neutral->nodes.first();
    }

    // Routes from every root, until every node has one through it. Versions rise strictly along every link, so
    // the walk back to a root ends.
    for (int start = 0; start < m_nodes.size() && !m_gaveUp; ++start) {
        if (m_nodes.at(start).routeCount != 0)
            continue;
        int root = start;
        for (int previous = firstOpenPredecessor(root); previous >= 0; previous = firstOpenPredecessor(root))
            root = previous;
        // Routes grow at their end while they are built (a prepend per step would cost the square of the length).
        QVector<Route> fromRoot = buildFrom(root, 1);
        for (Route &route : fromRoot)
            std::reverse(route.begin(), route.end());
        m_routes += fromRoot;
    }
    m_ids.clear();
    m_onlyNext.clear();
    m_byOld.clear();
    m_byNew.clear();
    m_byOldSku.clear();
    m_byNewSku.clear();
    if (m_gaveUp) {
        writeLog(LOG_LEVEL_WARNING,
                 "findUpdateRoutes, more than %s routes or %s steps: the manifest's routes are not used",
                 logNumber(MaxRoutes).constData(), logNumber(MaxRouteLength).constData());
        m_routes.clear();
        return false;
    }
    return true;
}

QVector<int> UpdateRoutes::successors(int index) const
{
    // SKUs fit when either is empty or both are equal: a SKU-neutral node is followed by every node of its new
    // version, a SKU node by those of its SKU and the SKU-neutral ones, merged back into node order. A node never
    // follows itself: its versions differ.
    const Ids &ids = m_ids.at(index);
    if (ids.sku == 0)
        return m_byOld.at(ids.newVersion).nodes;
    const QVector<int> own = m_byOldSku.value(skuKey(ids.newVersion, ids.sku)).nodes;
    const QVector<int> neutral = m_byOldSku.value(skuKey(ids.newVersion, 0)).nodes;
    QVector<int> next(own.size() + neutral.size());
    std::merge(own.begin(), own.end(), neutral.begin(), neutral.end(), next.begin());
    return next;
}

int UpdateRoutes::firstOpen(Bucket *bucket) const
{
    while (bucket->firstOpen < bucket->nodes.size() && m_nodes.at(bucket->nodes.at(bucket->firstOpen)).routeCount != 0)
        ++bucket->firstOpen;
    return bucket->firstOpen < bucket->nodes.size() ? bucket->nodes.at(bucket->firstOpen) : -1;
}

int UpdateRoutes::firstOpenPredecessor(int index)
{
    const Ids &ids = m_ids.at(index);
    int first = -1;
    auto consider = [&](Bucket *bucket) {
        const int candidate = bucket ? firstOpen(bucket) : -1;
        if (candidate >= 0 && candidate != index && (first < 0 || candidate < first))
            first = candidate;
    };
    if (ids.sku == 0) {
        consider(&m_byNew[ids.oldVersion]);
    } else {
        for (const int sku : {ids.sku, 0}) {
            const auto bucket = m_byNewSku.find(skuKey(ids.oldVersion, sku));
            consider(bucket == m_byNewSku.end() ? nullptr : &bucket.value());
        }
    }
    return first;
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
        const int next = m_onlyNext.at(current);
        if (next < 0)
            break;
        if (m_ids.at(next).sku != 0 && m_ids.at(next).sku != m_ids.at(current).sku)
            break; // a SKU branch alone: the node also ends a route of its own
        chain.append(current);
        current = next;
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
    const QVector<int> next = successors(index);
    QVector<Route> routes;
    QVector<Route> neutral;
    bool neutralTaken = false;
    bool endsHere = true;
    // Each fault once per node: a node may have thousands of successors.
    bool dupLogged = false;
    bool ambiguousLogged = false;
    for (int n : next) {
        QVector<Route> sub = buildFrom(n, depth + 1);
        if (m_gaveUp)
            return QVector<Route>();
        for (Route &route : sub)
            route.append(index);
        m_nodes[index].routeCount += sub.size();
        const int nextSku = m_ids.at(n).sku;
        if (nextSku == 0) {
            if (!neutralTaken) {
                neutral = std::move(sub);
                neutralTaken = true;
            } else if (!dupLogged) {
                writeLog(LOG_LEVEL_WARNING, "xml update route error: dup no sku");
                dupLogged = true;
            }
        } else {
            routes += sub;
        }
        if (nextSku == 0 || nextSku == m_ids.at(index).sku) {
            if (!endsHere && !ambiguousLogged) {
                writeLog(LOG_LEVEL_WARNING, "xml update route error");
                ambiguousLogged = true;
            }
            endsHere = false;
        }
    }
    routes += neutral;
    if (endsHere) {
        // Counted as it is made, so the route past the limit is the one that ends the build.
        if (++m_built > MaxRoutes) {
            m_gaveUp = true;
            return QVector<Route>();
        }
        ++m_nodes[index].routeCount;
        routes.append(Route{index});
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
            package.size <= 0 || !DownloadRules::isFetchableAddress(package.url) ||
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
        writeLog(LOG_LEVEL_INFO, "UpdateRoute: %s", logNumber(r).constData());
        for (int index : m_routes.at(r)) {
            const Node &node = m_nodes.at(index);
            writeLog(LOG_LEVEL_INFO, "UpdateRouteNode: %s, %s, sku=%s, %s", qPrintable(node.oldVersion),
                     qPrintable(node.newVersion), qPrintable(node.sku), logNumber(node.routeCount).constData());
        }
    }
}
