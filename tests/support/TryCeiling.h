#pragma once

// Included ahead of every test source (quorvin_add_test). QtTest's QTRY_VERIFY, QTRY_VERIFY2 and QTRY_COMPARE give
// up after 5 s, which a socket handshake, a process start or a repaint can take on a machine running the whole
// suite beside other work; the checks return as soon as their condition holds, so only a failing check waits the
// whole ceiling. A check that needs another ceiling names it with the _WITH_TIMEOUT form.
#include <QtTest/qtestcase.h>

constexpr int QuorvinTryCeilingMs = 30000;

#undef QTRY_VERIFY
#undef QTRY_VERIFY2
#undef QTRY_COMPARE
#define QTRY_VERIFY(expr) QTRY_VERIFY_WITH_TIMEOUT((expr), QuorvinTryCeilingMs)
#define QTRY_VERIFY2(expr, messageExpression)                                                                          \
    QTRY_VERIFY2_WITH_TIMEOUT((expr), (messageExpression), QuorvinTryCeilingMs)
#define QTRY_COMPARE(expr, expected) QTRY_COMPARE_WITH_TIMEOUT((expr), expected, QuorvinTryCeilingMs)
