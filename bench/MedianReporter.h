#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

// Prints as usual and keeps the median of each benchmark (by name and arguments,
// "Name/1000") for the closing ratios a suite prints.
class MedianReporter : public benchmark::ConsoleReporter
{
public:
    using ConsoleReporter::ConsoleReporter;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median")
                continue;
            std::string name = run.run_name.function_name;
            if (!run.run_name.args.empty())
                name += "/" + run.run_name.args;
            m_medians[name] = run.GetAdjustedRealTime();
        }
    }
    // The median in the benchmark's time unit, 0 when it did not run.
    double Median(const std::string& name) const
    {
        const auto found = m_medians.find(name);
        return found == m_medians.end() ? 0.0 : found->second;
    }

private:
    std::map<std::string, double> m_medians;
};
