#pragma once

// A console reporter that also keeps every run's time per benchmark, and
// after the last one prints "measured / reference" for the pairs it is
// given, with the fastest repetition of each side and the goal.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <iomanip>
#include <limits>
#include <map>
#include <ostream>
#include <string>
#include <vector>

struct RatioPair
{
    std::string measured;  // benchmark name (without arguments or suffixes)
    std::string reference; // what it is compared with
    double goal;           // the ratio it should stay within
};

class RatioReporter : public benchmark::ConsoleReporter
{
public:
    explicit RatioReporter(std::vector<RatioPair> comparedPairs, bool wallTime)
        : benchmark::ConsoleReporter(OO_Tabular), pairs(std::move(comparedPairs)), wall(wallTime)
    {
    }

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
        {
            if (run.run_type != Run::RT_Iteration || run.iterations == 0)
                continue;
            const double seconds = wall ? run.real_accumulated_time : run.cpu_accumulated_time;
            double& best =
                fastest.emplace(run.run_name.function_name, std::numeric_limits<double>::max()).first->second;
            best = std::min(best, seconds * 1e9 / static_cast<double>(run.iterations));
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::ostream& out = GetOutputStream();
        out << "\nRatios, fastest repetition of each side (" << (wall ? "wall" : "CPU") << " time):\n";
        for (const RatioPair& pair : pairs)
        {
            const auto measured = fastest.find(pair.measured), reference = fastest.find(pair.reference);
            if (measured == fastest.end() || reference == fastest.end())
                continue;
            const double ratio = measured->second / reference->second;
            worst = std::max(worst, ratio / pair.goal);
            out << "  " << std::left << std::setw(34) << pair.measured << std::right << std::setw(12)
                << std::fixed << std::setprecision(0) << measured->second << " ns  vs " << std::left
                << std::setw(28) << pair.reference << std::right << std::setw(12) << reference->second
                << " ns  = " << std::setprecision(2) << ratio << "x  (goal " << pair.goal
                << "x: " << (ratio <= pair.goal ? "MET" : "MISSED") << ")\n";
        }
    }

    // Above 1 when some ratio missed its goal.
    double WorstAgainstGoal() const { return worst; }

private:
    std::vector<RatioPair> pairs;
    bool wall;
    std::map<std::string, double> fastest;
    double worst = 0;
};
