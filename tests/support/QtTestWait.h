#pragma once

// Waiting for the event loop in GoogleTest tests. Qt's own QTRY_ macros report through Qt
// Test, which is not running here: a condition that never held would end the test early
// and silently. These fail the test instead.

#include <QDeadlineTimer>
#include <QTest>
#include <gtest/gtest.h>

/// Runs the event loop until `condition` holds or `milliseconds` passed; then asserts it.
#define ZEL_WAIT_UNTIL_MS(condition, milliseconds)                                                 \
    do {                                                                                           \
        const QDeadlineTimer zelDeadline(milliseconds);                                            \
        while (!(condition) && !zelDeadline.hasExpired()) {                                        \
            QTest::qWait(10);                                                                      \
        }                                                                                          \
        ASSERT_TRUE(condition) << "never held: " #condition;                                       \
    } while (false)

#define ZEL_WAIT_UNTIL(condition) ZEL_WAIT_UNTIL_MS(condition, 5000)
