#pragma once

#include <array>
#include <atomic>
#include <cstdint>

namespace zel {

/// Loudness samples 0..100, position 0 the newest.
inline constexpr int kSampleHistoryLength = 50;
/// The samples the level is derived from: positions 0..20.
inline constexpr int kAnalysedSamples = 20;

using SampleHistory = std::array<std::atomic<std::int32_t>, kSampleHistoryLength>;

/// The spread of the recent samples.
struct SampleSpread {
    int hi = 0;      ///< mean of the two largest
    int lo = 0;      ///< mean of the two smallest
    int average = 0; ///< mean of the middle values, the three at each end left out
};

/// Sorts samples 0..n (n + 1 values) and takes the means of the two largest, the two
/// smallest and the n - 5 middle ones, each in integer division. `n` is 20 in use; it
/// must lie in 6..49.
SampleSpread analyseSamples(int n, const SampleHistory& samples);

/// The loudness level 1..11 of the newest sample `newest` within the spread, by the band
/// of the average: the louder the band, the higher the level's floor and the narrower the
/// steps. A zero divisor (all samples equal) gives 1.
int computeSoundLevel(int hi, int lo, int average, int newest);

/// The sample a peak reading 0.0..1.0 gives: the reading x 100 in single precision,
/// truncated toward zero and held to 0..100.
int peakToSample(float peak);

/// Puts `sample` at position 0 and shifts the history on by one, dropping the oldest; the
/// newest sample ends up at positions 0 and 1, so it counts twice in the analysis.
void pushSample(SampleHistory& history, int sample);

/// The level after a sampling tick: 0 when the average of the analysed samples is below
/// 2, otherwise `computeSoundLevel`.
int soundLevelOf(const SampleHistory& history);

} // namespace zel
