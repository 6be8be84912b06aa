#pragma once

// Every wait of the tests is for an event (a signal, a state, a file, a
// line) and ends as soon as it comes; its bound only says when to give up.
// So the bound is generous, the same for every wait, and stretched by the
// factor in REEL_TEST_TIME_SCALE for slow or crowded machines. The scenario
// scripts take theirs from waitbound.sh, CTest's timeouts from
// tests/CMakeLists.txt, both scaled alike.
#include <QtTest/qtestcase.h>

namespace WaitBound {

// Seconds of the bound before scaling; waitbound.sh gives the same.
constexpr int BaseSeconds = 60;

// REEL_TEST_TIME_SCALE as a number, 1 when it is unset or not positive.
double scale();
// The bound of one wait in milliseconds: BaseSeconds, scaled.
int ms();

} // namespace WaitBound

// Qt's QTRY_* give up after five seconds; here they wait as long as any
// other wait of the tests.
#undef QTRY_VERIFY
#undef QTRY_VERIFY2
#undef QTRY_COMPARE
#define QTRY_VERIFY(expr) QTRY_VERIFY_WITH_TIMEOUT((expr), WaitBound::ms())
#define QTRY_VERIFY2(expr, messageExpression) \
    QTRY_VERIFY2_WITH_TIMEOUT((expr), (messageExpression), WaitBound::ms())
#define QTRY_COMPARE(expr, expected) QTRY_COMPARE_WITH_TIMEOUT((expr), expected, WaitBound::ms())
