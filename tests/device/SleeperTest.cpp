#include "device/Sleeper.h"

#include <gtest/gtest.h>

using namespace std::chrono;

TEST(SteadySleeper, NeverEndsAPauseEarly) {
    zel::SteadySleeper sleeper;
    for (const auto pause :
         {microseconds(0), microseconds(100), microseconds(2000), microseconds(5000)}) {
        for (int i = 0; i < 5; ++i) {
            const auto start = steady_clock::now();
            sleeper.sleepFor(pause);
            EXPECT_GE(steady_clock::now() - start, pause);
        }
    }
}

TEST(RecordingSleeper, RecordsInsteadOfWaiting) {
    zel::RecordingSleeper sleeper;
    int seen = 0;
    sleeper.onSleep = [&](microseconds) { ++seen; };
    const auto start = steady_clock::now();
    sleeper.sleepFor(seconds(5));
    sleeper.sleepFor(milliseconds(2));
    EXPECT_LT(steady_clock::now() - start, seconds(1));
    EXPECT_EQ(sleeper.pauses(), (std::vector<microseconds>{seconds(5), milliseconds(2)}));
    EXPECT_EQ(sleeper.total(), microseconds(5002000));
    EXPECT_EQ(seen, 2);
}
