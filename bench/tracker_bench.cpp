// What the crash tracker costs: its constructor with 0, 10 and 1,000 stale
// records, and its share of constructing the application object, against a
// bare QApplication. Prints ratios after the runs.
#include <Kavrel/App/Application/Application.h>
#include <Kavrel/App/Application/CrashTracker.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>

namespace
{
constexpr double TRACKER_GOAL_US = 3000;
constexpr double APPLICATION_GOAL = 1.15;

int argc = 1;
char name[] = "tracker_bench";
char* argv[] = {name, nullptr};

// Process ids far above any pid_max: no such process runs, so each record
// is stale and the check removes it.
void WriteStaleRecords(const QString& file, int count)
{
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    out.write("[General]\n");
    for (int i = 0; i < count; ++i)
        out.write(QByteArray::number(900000000 + i) + "=true\n");
}

void TrackerConstruction(benchmark::State& state)
{
    QCoreApplication app(argc, argv);
    const QString file = Kavrel::App::CrashTracker::TrackerFilePath();
    const int records = static_cast<int>(state.range(0));
    for (auto _ : state)
    {
        state.PauseTiming();
        WriteStaleRecords(file, records);
        state.ResumeTiming();
        auto tracker = std::make_unique<Kavrel::App::CrashTracker>();
        benchmark::DoNotOptimize(tracker->HasUnreportedCrash());
        state.PauseTiming();
        tracker.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(TrackerConstruction)->Arg(0)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);

// A whole tracker life with no stale records: what every start and quit pays.
void TrackerLife(benchmark::State& state)
{
    QCoreApplication app(argc, argv);
    const QString file = Kavrel::App::CrashTracker::TrackerFilePath();
    WriteStaleRecords(file, 0);
    for (auto _ : state)
    {
        Kavrel::App::CrashTracker tracker;
        benchmark::DoNotOptimize(tracker.HasUnreportedCrash());
    }
}
BENCHMARK(TrackerLife)->Unit(benchmark::kMicrosecond);

void BareApplicationLife(benchmark::State& state)
{
    for (auto _ : state)
    {
        QApplication app(argc, argv);
        benchmark::DoNotOptimize(app.applicationPid());
    }
}
BENCHMARK(BareApplicationLife)->Unit(benchmark::kMicrosecond);

void LibraryApplicationLife(benchmark::State& state)
{
    for (auto _ : state)
    {
        Kavrel::App::Application app(argc, argv);
        benchmark::DoNotOptimize(app.HasUnreportedCrash());
    }
}
BENCHMARK(LibraryApplicationLife)->Unit(benchmark::kMicrosecond);

class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration || run.aggregate_name == "median")
            {
                const std::string name =
                    run.run_name.function_name + (run.run_name.args.empty() ? "" : "/" + run.run_name.args);
                times[name] = run.GetAdjustedRealTime();
                cpuTimes[name] = run.GetAdjustedCPUTime();
            }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times, cpuTimes;
};
} // namespace

int main(int argc_, char** argv_)
{
    // Everything the benchmark writes stays in a throw-away folder.
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toUtf8());
    qputenv("XDG_RUNTIME_DIR", home.path().toUtf8());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    benchmark::Initialize(&argc_, argv_);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    auto& t = reporter.times;
    if (t.count("TrackerConstruction/0") && t.count("TrackerConstruction/1000"))
        std::printf("\ntracker constructor, 1,000 stale records against none: %.2fx\n",
                    t["TrackerConstruction/1000"] / t["TrackerConstruction/0"]);
    if (t.count("BareApplicationLife") && t.count("LibraryApplicationLife") && t.count("TrackerLife"))
    {
        const double bare = t["BareApplicationLife"], library = t["LibraryApplicationLife"];
        const double tracker = t["TrackerLife"];
        std::printf("application object against a bare QApplication: %.2fx\n", library / bare);
        std::printf("with the tracker against without it: %.2fx (tracker %.0f us of %.0f us)\n",
                    library / (library - tracker), tracker, library);
    }
    // The goals, in the form bench/run_benchmarks.sh collects.
    std::printf("\nGoals:\n");
    if (reporter.cpuTimes.count("TrackerConstruction/1000"))
    {
        const double us = reporter.cpuTimes["TrackerConstruction/1000"];
        std::printf("  %-6s %-52s %.2f ms CPU\n", us < TRACKER_GOAL_US ? "MET" : "MISSED",
                    "tracker constructor, 1,000 stale records, < 3 ms", us / 1000);
    }
    if (t.count("BareApplicationLife") && t.count("LibraryApplicationLife"))
    {
        const double ratio = t["LibraryApplicationLife"] / t["BareApplicationLife"];
        std::printf("  %-6s %-52s %.2fx wall\n", ratio <= APPLICATION_GOAL ? "MET" : "MISSED",
                    "application object's life within 1.15x of QApplication", ratio);
    }
    return 0;
}
