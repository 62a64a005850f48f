#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

// Prints as usual and keeps the median of each benchmark, so that a suite can close
// with its figures as ratios against the baseline it measured in the same run.
class MedianReporter : public benchmark::ConsoleReporter
{
public:
    using ConsoleReporter::ConsoleReporter;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                m_medians[run.run_name.function_name] = run.GetAdjustedRealTime();
    }
    // The median in the benchmark's unit; 0 when it did not run.
    double Median(const std::string& name) const
    {
        const auto found = m_medians.find(name);
        return found == m_medians.end() ? 0.0 : found->second;
    }

private:
    std::map<std::string, double> m_medians;
};
