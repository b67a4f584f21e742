#pragma once

#include <QTest>

// Waits for a condition while the event loop runs, failing the test (QTRY_* would only
// return from it silently under GoogleTest) when it does not come true in time.
#define ASSERT_SOON(condition, milliseconds) \
    ASSERT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(condition); }, milliseconds)) << #condition
#define EXPECT_SOON(condition, milliseconds) \
    EXPECT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(condition); }, milliseconds)) << #condition
