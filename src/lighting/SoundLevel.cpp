#include "lighting/SoundLevel.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace zel {

SampleSpread analyseSamples(int n, const SampleHistory& samples) {
    n = std::clamp(n, 6, kSampleHistoryLength - 1);
    std::array<int, kSampleHistoryLength> s{};
    for (int i = 0; i <= n; ++i) {
        s[static_cast<std::size_t>(i)] = samples[static_cast<std::size_t>(i)].load();
    }
    const auto count = static_cast<std::ptrdiff_t>(n + 1);
    std::sort(s.begin(), s.begin() + count);
    int sum = 0;
    for (int i = 3; i <= n - 3; ++i) {
        sum += s[static_cast<std::size_t>(i)];
    }
    SampleSpread spread;
    spread.average = sum / (n - 5);
    spread.hi = (s[static_cast<std::size_t>(n - 1)] + s[static_cast<std::size_t>(n)]) / 2;
    spread.lo = (s[0] + s[1]) / 2;
    return spread;
}

namespace {

// trunc(numerator / divisor x factor) in single precision, the quotient first.
int scaled(float numerator, float divisor, float factor) {
    const float quotient = numerator / divisor;
    return static_cast<int>(std::trunc(quotient * factor));
}

} // namespace

int computeSoundLevel(int hi, int lo, int average, int newest) {
    const auto c = static_cast<float>(newest);
    const auto h = static_cast<float>(hi);
    const auto l = static_cast<float>(lo);
    float divisor = 0;
    float numerator = c - l;
    float factor = 0;
    int floor = 1;
    if (average <= 10) {
        numerator = c;
        divisor = h + 3;
        factor = 5;
        floor = 0;
    } else if (average <= 25) {
        divisor = h + 5 - l;
        factor = 7;
    } else if (average <= 50) {
        divisor = h - l;
        factor = 9;
    } else if (average <= 75) {
        divisor = h - l;
        factor = 8;
        floor = 2;
    } else {
        divisor = h - l;
        factor = 7;
        floor = 3;
    }
    if (divisor == 0) {
        return 1;
    }
    return std::clamp(scaled(numerator, divisor, factor) + floor, 1, 11);
}

int peakToSample(float peak) {
    const float scaledPeak = peak * 100.0F;
    if (!(scaledPeak > 0)) { // also NaN
        return 0;
    }
    return std::min(static_cast<int>(scaledPeak), 100);
}

void pushSample(SampleHistory& history, int sample) {
    history[0].store(sample);
    for (int m = kSampleHistoryLength - 2; m >= 0; --m) {
        history[static_cast<std::size_t>(m + 1)].store(history[static_cast<std::size_t>(m)].load());
    }
}

int soundLevelOf(const SampleHistory& history) {
    const SampleSpread spread = analyseSamples(kAnalysedSamples, history);
    if (spread.average < 2) {
        return 0;
    }
    return computeSoundLevel(spread.hi, spread.lo, spread.average, history[0].load());
}

} // namespace zel
