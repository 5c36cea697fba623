#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace zel::bench {

/// Prints the usual table and keeps each benchmark's time per iteration, so a benchmark
/// can be reported as a ratio to its floor measured in the same run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& run : runs) {
            m_times[run.benchmark_name()] = run.GetAdjustedRealTime();
        }
    }

    /// Prints "a / b = ratio" when both ran.
    void printRatio(const std::string& a, const std::string& b) const {
        const auto ia = m_times.find(a);
        const auto ib = m_times.find(b);
        if (ia != m_times.end() && ib != m_times.end() && ib->second > 0) {
            std::printf("%s / %s = %.2f\n", a.c_str(), b.c_str(), ia->second / ib->second);
        }
    }

private:
    std::map<std::string, double> m_times;
};

} // namespace zel::bench
