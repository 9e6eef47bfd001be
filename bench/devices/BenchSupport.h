#pragma once

// Shared by the device benchmarks: a temporary HOME (so the real data store opens a scratch
// database), a fleet of device rows, and a median-of-runs timer.

#include "datastore/OrvantaDBManager.h"
#include "support/TestEnv.h"

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVector>
#include <algorithm>
#include <cstdio>
#include <functional>

inline QString benchMac(int i)
{
    return QStringLiteral("02:51:4d:%1:%2:%3")
        .arg((i >> 16) & 0xff, 2, 16, QLatin1Char('0'))
        .arg((i >> 8) & 0xff, 2, 16, QLatin1Char('0'))
        .arg(i & 0xff, 2, 16, QLatin1Char('0'));
}

inline QString benchName(int i)
{
    return QStringLiteral("Panel-%1").arg(i, 5, 10, QLatin1Char('0'));
}

inline QString benchIp(int i)
{
    return QStringLiteral("10.%1.%2.%3").arg((i >> 16) & 0xff).arg((i >> 8) & 0xff).arg(i & 0xff);
}

inline QString benchGroup(int g)
{
    return QStringLiteral("Building %1").arg(QChar('A' + g % 26)) + QString::number(g / 26);
}

/// Median wall time of runs calls, in milliseconds; prepare runs before each (untimed).
inline double medianMs(int runs, const std::function<void()> &work, const std::function<void()> &prepare = {})
{
    QVector<double> times;
    for (int i = 0; i < runs; ++i) {
        if (prepare)
            prepare();
        QElapsedTimer timer;
        timer.start();
        work();
        times.append(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

inline bool execOrFail(QSqlQuery &query, const QString &sql)
{
    if (query.exec(sql))
        return true;
    std::fprintf(stderr, "%s: %s\n", qPrintable(sql), qPrintable(query.lastError().text()));
    return false;
}
