// Compares Kavrel::App::SettingsManager with plain QSettings on the same INI
// file, prints the ratios against the goals, and checks that getters never
// touch the file.
#include "FileAccessCounter.h"

#include <Kavrel/App/Application/ISettingsManagerObserver.h>
#include <Kavrel/App/Application/SettingsManager.h>

#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iomanip>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace
{
using Kavrel::App::ISettingsManagerObserver;
using Kavrel::App::SettingsManager;

// The store answers from memory: no slower than the QSettings it wraps.
constexpr double GET_GOAL = 1.0;
constexpr double SET_UNCHANGED_GOAL = 1.0;
// A change is written through and announced to every observer.
constexpr double SET_CHANGED_GOAL = 3.0;
const int OBSERVER_COUNTS[] = {0, 1, 10};

const char* const INT_KEY = "window/width";
const char* const STRING_KEY = "profile/displayName";
constexpr int INT_VALUE = 800;
constexpr int OTHER_INT_VALUE = 640;
const char* const STRING_VALUE = "Sample user";
const char* const OTHER_STRING_VALUE = "Another sample user";

QString iniPath;

class CountingObserver final : public ISettingsManagerObserver
{
public:
    void OnBoolChanged(const std::string&, bool, const boost::optional<bool>&) override { ++calls; }
    void OnIntChanged(const std::string&, int, const boost::optional<int>&) override { ++calls; }
    void OnStringChanged(const std::string&, const std::string&, const boost::optional<std::string>&) override
    {
        ++calls;
    }
    void OnByteArrayChanged(const std::string&, const std::vector<unsigned char>&,
                            const boost::optional<std::vector<unsigned char>>&) override
    {
        ++calls;
    }
    void OnInt64Changed(const std::string&, long long, const boost::optional<long long>&) override
    {
        ++calls;
    }
    void OnDoubleChanged(const std::string&, double, const boost::optional<double>&) override { ++calls; }

    long calls = 0;
};

// Every benchmark starts from the same file contents.
void ResetFile()
{
    QSettings settings(iniPath, QSettings::IniFormat);
    settings.clear();
    settings.setValue(QString::fromLatin1(INT_KEY), INT_VALUE);
    settings.setValue(QString::fromLatin1(STRING_KEY), QString::fromLatin1(STRING_VALUE));
    settings.setValue(QStringLiteral("window/maximized"), true);
    settings.setValue(QStringLiteral("window/geometry"), QByteArray("\x01\x02\x03\x04", 4));
    settings.setValue(QStringLiteral("history/lastCleanup"), qlonglong(1700000000000LL));
    settings.setValue(QStringLiteral("view/zoom"), 1.25);
    for (int i = 0; i < 20; ++i)
        settings.setValue(QStringLiteral("recent/file%1").arg(i),
                          QStringLiteral("/home/user/document%1.txt").arg(i));
    settings.sync();
}

struct ManagerStore
{
    explicit ManagerStore(benchmark::State& state)
        : manager(iniPath, QSettings::IniFormat), observers(static_cast<size_t>(state.range(0)))
    {
        for (CountingObserver& observer : observers)
            manager.RegisterObserver(&observer);
    }
    ~ManagerStore()
    {
        for (CountingObserver& observer : observers)
            manager.UnregisterObserver(&observer);
    }

    // Every observer heard exactly `expected` changes.
    void CheckCalls(benchmark::State& state, long expected) const
    {
        for (const CountingObserver& observer : observers)
            if (observer.calls != expected)
                state.SkipWithError("an observer heard a different number of changes than expected");
    }

    SettingsManager manager;
    std::vector<CountingObserver> observers;
};

// ---- get ------------------------------------------------------------------

void ManagerGetInt(benchmark::State& state)
{
    ResetFile();
    ManagerStore store(state);
    const std::string key = INT_KEY;
    for ([[maybe_unused]] auto iteration : state)
        benchmark::DoNotOptimize(store.manager.GetInt(key, 0));
    if (store.manager.GetInt(key, 0) != INT_VALUE)
        state.SkipWithError("GetInt read a wrong value");
}

void QSettingsGetInt(benchmark::State& state)
{
    ResetFile();
    QSettings settings(iniPath, QSettings::IniFormat);
    const QString key = QString::fromLatin1(INT_KEY);
    for ([[maybe_unused]] auto iteration : state)
        benchmark::DoNotOptimize(settings.value(key, 0).toInt());
    if (settings.value(key, 0).toInt() != INT_VALUE)
        state.SkipWithError("value() read a wrong value");
}

void ManagerGetString(benchmark::State& state)
{
    ResetFile();
    ManagerStore store(state);
    const std::string key = STRING_KEY;
    const std::string defaultValue;
    for ([[maybe_unused]] auto iteration : state)
        benchmark::DoNotOptimize(store.manager.GetString(key, defaultValue));
    if (store.manager.GetString(key, defaultValue) != STRING_VALUE)
        state.SkipWithError("GetString read a wrong value");
}

void QSettingsGetString(benchmark::State& state)
{
    ResetFile();
    QSettings settings(iniPath, QSettings::IniFormat);
    const QString key = QString::fromLatin1(STRING_KEY);
    const QString defaultValue;
    for ([[maybe_unused]] auto iteration : state)
        benchmark::DoNotOptimize(settings.value(key, defaultValue).toString());
    if (settings.value(key, defaultValue).toString() != QLatin1String(STRING_VALUE))
        state.SkipWithError("value() read a wrong value");
}

// ---- set of a changed value -----------------------------------------------

void ManagerSetIntChanged(benchmark::State& state)
{
    ResetFile();
    ManagerStore store(state);
    const std::string key = INT_KEY;
    bool flip = false;
    for ([[maybe_unused]] auto iteration : state)
    {
        store.manager.SetInt(key, flip ? INT_VALUE : OTHER_INT_VALUE);
        flip = !flip;
    }
    store.CheckCalls(state, static_cast<long>(state.iterations()));
}

void QSettingsSetIntChanged(benchmark::State& state)
{
    ResetFile();
    QSettings settings(iniPath, QSettings::IniFormat);
    const QString key = QString::fromLatin1(INT_KEY);
    bool flip = false;
    for ([[maybe_unused]] auto iteration : state)
    {
        settings.setValue(key, flip ? INT_VALUE : OTHER_INT_VALUE);
        flip = !flip;
    }
}

void ManagerSetStringChanged(benchmark::State& state)
{
    ResetFile();
    ManagerStore store(state);
    const std::string key = STRING_KEY;
    const std::string values[] = {OTHER_STRING_VALUE, STRING_VALUE};
    bool flip = false;
    for ([[maybe_unused]] auto iteration : state)
    {
        store.manager.SetString(key, values[flip]);
        flip = !flip;
    }
    store.CheckCalls(state, static_cast<long>(state.iterations()));
}

void QSettingsSetStringChanged(benchmark::State& state)
{
    ResetFile();
    QSettings settings(iniPath, QSettings::IniFormat);
    const QString key = QString::fromLatin1(STRING_KEY);
    const QString values[] = {QString::fromLatin1(OTHER_STRING_VALUE), QString::fromLatin1(STRING_VALUE)};
    bool flip = false;
    for ([[maybe_unused]] auto iteration : state)
    {
        settings.setValue(key, values[flip]);
        flip = !flip;
    }
}

// ---- set of an unchanged value --------------------------------------------

void ManagerSetIntUnchanged(benchmark::State& state)
{
    ResetFile();
    ManagerStore store(state);
    const std::string key = INT_KEY;
    for ([[maybe_unused]] auto iteration : state)
        store.manager.SetInt(key, INT_VALUE);
    store.CheckCalls(state, 0);
}

void QSettingsSetIntUnchanged(benchmark::State& state)
{
    ResetFile();
    QSettings settings(iniPath, QSettings::IniFormat);
    const QString key = QString::fromLatin1(INT_KEY);
    for ([[maybe_unused]] auto iteration : state)
        settings.setValue(key, INT_VALUE);
}

void ManagerSetStringUnchanged(benchmark::State& state)
{
    ResetFile();
    ManagerStore store(state);
    const std::string key = STRING_KEY;
    const std::string value = STRING_VALUE;
    for ([[maybe_unused]] auto iteration : state)
        store.manager.SetString(key, value);
    store.CheckCalls(state, 0);
}

void QSettingsSetStringUnchanged(benchmark::State& state)
{
    ResetFile();
    QSettings settings(iniPath, QSettings::IniFormat);
    const QString key = QString::fromLatin1(STRING_KEY);
    const QString value = QString::fromLatin1(STRING_VALUE);
    for ([[maybe_unused]] auto iteration : state)
        settings.setValue(key, value);
}

// ---- set of an unchanged value, then the event-loop turn that saves -------
// QSettings saves pending changes on the next event-loop turn; these show what
// that costs when the value did not change.

void FlushPostedSaves() { QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest); }

void ManagerSetIntUnchangedSaved(benchmark::State& state)
{
    ResetFile();
    ManagerStore store(state);
    const std::string key = INT_KEY;
    for ([[maybe_unused]] auto iteration : state)
    {
        store.manager.SetInt(key, INT_VALUE);
        FlushPostedSaves();
    }
    store.CheckCalls(state, 0);
}

void QSettingsSetIntUnchangedSaved(benchmark::State& state)
{
    ResetFile();
    QSettings settings(iniPath, QSettings::IniFormat);
    const QString key = QString::fromLatin1(INT_KEY);
    for ([[maybe_unused]] auto iteration : state)
    {
        settings.setValue(key, INT_VALUE);
        FlushPostedSaves();
    }
}

// One comparison: the manager (per observer count) against its QSettings
// counterpart. A goal of zero means "for information only".
struct Comparison
{
    std::string name;
    std::string description;
    void (*manager)(benchmark::State&);
    void (*qsettings)(benchmark::State&);
    double goal;
    double minTime = 0.0;  // seconds; 0 takes --benchmark_min_time
    bool wallTime = false; // compare wall time instead of CPU time
};

const std::vector<Comparison>& Comparisons()
{
    static const std::vector<Comparison> comparisons = {
        {"get_int", "get int (existing key)", ManagerGetInt, QSettingsGetInt, GET_GOAL},
        {"get_string", "get string (existing key)", ManagerGetString, QSettingsGetString, GET_GOAL},
        {"set_int_changed", "set int, changed value", ManagerSetIntChanged, QSettingsSetIntChanged,
         SET_CHANGED_GOAL},
        {"set_string_changed", "set string, changed value", ManagerSetStringChanged,
         QSettingsSetStringChanged, 0.0},
        {"set_int_unchanged", "set int, unchanged value", ManagerSetIntUnchanged, QSettingsSetIntUnchanged,
         SET_UNCHANGED_GOAL},
        {"set_string_unchanged", "set string, unchanged value", ManagerSetStringUnchanged,
         QSettingsSetStringUnchanged, SET_UNCHANGED_GOAL},
        // Each QSettings save waits for the disk: a shorter minimum keeps the run short.
        {"set_int_unchanged_saved", "set int unchanged + save (wall)", ManagerSetIntUnchangedSaved,
         QSettingsSetIntUnchangedSaved, 0.0, 0.02, true},
    };
    return comparisons;
}

void RegisterComparisons()
{
    for (const Comparison& comparison : Comparisons())
    {
        benchmark::internal::Benchmark* manager =
            benchmark::RegisterBenchmark((comparison.name + "/manager").c_str(), comparison.manager);
        manager->ArgName("observers")->Unit(benchmark::kNanosecond);
        for (int observers : OBSERVER_COUNTS)
            manager->Arg(observers);
        benchmark::internal::Benchmark* qsettings =
            benchmark::RegisterBenchmark((comparison.name + "/qsettings").c_str(), comparison.qsettings);
        qsettings->Unit(benchmark::kNanosecond);
        if (comparison.minTime > 0.0)
        {
            manager->MinTime(comparison.minTime);
            qsettings->MinTime(comparison.minTime);
        }
    }
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

struct GoalResult
{
    std::string goal;
    std::string measured;
    bool met;
    bool ran = true;
};

// Shows one line per benchmark (the median when repeated), remembers the CPU
// times, and prints the ratio table once every benchmark has run.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    using benchmark::ConsoleReporter::ConsoleReporter;

    void ReportRuns(const std::vector<Run>& runs) override
    {
        std::vector<Run> shown;
        for (const Run& run : runs)
        {
            // Without the min_time and similar parts that a benchmark may add.
            const std::string name =
                run.run_name.function_name + (run.run_name.args.empty() ? "" : "/" + run.run_name.args);
            if (run.error_occurred)
            {
                failed.push_back(name + ": " + run.error_message);
                shown.push_back(run);
            }
            else if (run.run_type == Run::RT_Aggregate)
            {
                if (run.aggregate_name == "median")
                {
                    medians[name] = {run.GetAdjustedCPUTime(), run.GetAdjustedRealTime()};
                    shown.push_back(run);
                }
            }
            else
            {
                samples[name].push_back({run.GetAdjustedCPUTime(), run.GetAdjustedRealTime()});
                if (run.repetitions <= 1)
                    shown.push_back(run);
            }
        }
        if (!shown.empty())
            ConsoleReporter::ReportRuns(shown);
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::ostream& out = GetOutputStream();
        out << "\nRatios SettingsManager / raw QSettings on the same INI file: CPU time per call (wall time\n"
               "where marked). \"ratio\" compares the medians over the repetitions, \"fastest\" the fastest\n"
               "repetitions. The goals are judged on \"fastest\": other programs on the machine slow some\n"
               "repetitions down, never speed one up, so the fastest is the steadiest estimate of the "
               "cost.\n";
        out << std::left << std::setw(32) << "operation" << std::setw(11) << "observers" << std::right
            << std::setw(12) << "manager ns" << std::setw(14) << "QSettings ns" << std::setw(9) << "ratio"
            << std::setw(12) << "fastest"
            << "   goal\n";
        for (const Comparison& comparison : Comparisons())
        {
            const double raw = Time(comparison.name + "/qsettings", comparison.wallTime);
            double worst = 0.0;
            bool complete = raw > 0.0;
            for (int observers : OBSERVER_COUNTS)
            {
                const double manager = Time(
                    comparison.name + "/manager/observers:" + std::to_string(observers), comparison.wallTime);
                if (manager <= 0.0 || raw <= 0.0)
                {
                    complete = false;
                    continue;
                }
                const double ratio = manager / raw;
                const double fastestRatio =
                    Fastest(comparison.name + "/manager/observers:" + std::to_string(observers),
                            comparison.wallTime) /
                    Fastest(comparison.name + "/qsettings", comparison.wallTime);
                worst = std::max(worst, fastestRatio);
                out << std::left << std::setw(32) << comparison.description << std::setw(11) << observers
                    << std::right << std::fixed << std::setprecision(1) << std::setw(12) << manager
                    << std::setw(14) << raw << std::setw(8) << RatioNumber(ratio) << "x" << std::setw(11)
                    << RatioNumber(fastestRatio) << "x   " << GoalText(comparison.goal, fastestRatio) << "\n";
            }
            if (comparison.goal > 0.0)
            {
                std::ostringstream measured;
                if (complete)
                    measured << "worst ratio " << std::fixed << std::setprecision(2) << worst
                             << "x (fastest)";
                else
                    measured << "not run (filtered out or failed)";
                goals.push_back(
                    {comparison.description + " within " + FormatRatio(comparison.goal) + " of QSettings",
                     measured.str(), complete && worst <= comparison.goal, complete});
            }
        }
        for (const std::string& failure : failed)
            out << "FAILED: " << failure << "\n";
        out.flush();
    }

    const std::vector<GoalResult>& Goals() const { return goals; }
    bool AnyFailed() const { return !failed.empty(); }

private:
    // Two decimals, or two significant digits for the tiny ratios of the saving cases.
    static std::string RatioNumber(double ratio)
    {
        std::ostringstream text;
        if (ratio >= 0.1)
            text << std::fixed << std::setprecision(2) << ratio;
        else
            text << std::setprecision(2) << ratio;
        return text.str();
    }

    static std::string FormatRatio(double ratio)
    {
        std::ostringstream text;
        text << std::fixed << std::setprecision(1) << ratio << "x";
        return text.str();
    }

    static std::string GoalText(double goal, double ratio)
    {
        if (goal <= 0.0)
            return "(no goal, for information)";
        return "<= " + FormatRatio(goal) + (ratio <= goal ? "  met" : "  MISSED");
    }

    struct Times
    {
        double cpu;
        double wall;
    };

    double Time(const std::string& name, bool wall) const
    {
        const auto median = medians.find(name);
        if (median != medians.end())
            return wall ? median->second.wall : median->second.cpu;
        const auto sample = samples.find(name);
        if (sample == samples.end())
            return 0.0;
        std::vector<double> values;
        for (const Times& times : sample->second)
            values.push_back(wall ? times.wall : times.cpu);
        return Median(values);
    }

    // The fastest repetition, or the median when single runs were not kept.
    double Fastest(const std::string& name, bool wall) const
    {
        const auto sample = samples.find(name);
        if (sample == samples.end() || sample->second.empty())
            return Time(name, wall);
        double fastest = wall ? sample->second.front().wall : sample->second.front().cpu;
        for (const Times& times : sample->second)
            fastest = std::min(fastest, wall ? times.wall : times.cpu);
        return fastest;
    }

    std::map<std::string, Times> medians;
    std::map<std::string, std::vector<Times>> samples;
    std::vector<std::string> failed;
    std::vector<GoalResult> goals;
};

// ---- file access by getters -----------------------------------------------

struct FileStamp
{
    bool exists = false;
    ino_t inode = 0;
    off_t size = 0;
    long long modifiedNs = 0;

    bool operator==(const FileStamp& other) const
    {
        return exists == other.exists && inode == other.inode && size == other.size &&
               modifiedNs == other.modifiedNs;
    }
};

FileStamp Stamp()
{
    FileStamp stamp;
    struct stat info;
    const QByteArray path = iniPath.toLocal8Bit();
    if (::stat(path.constData(), &info) != 0)
        return stamp;
    stamp.exists = true;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.modifiedNs = static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
    return stamp;
}

std::string Describe(const Kavrel::Bench::FileAccessCounts& counts)
{
    std::ostringstream text;
    text << counts.Total() << " file calls (stat " << counts.stats << ", open " << counts.opens << ", other "
         << counts.others << ")";
    return text.str();
}

constexpr int GETTER_ROUNDS = 10000;
constexpr int GETTERS_PER_ROUND = 9;

void CallEveryGetter(const SettingsManager& manager)
{
    const std::string intKey = INT_KEY;
    const std::string stringKey = STRING_KEY;
    const std::string missingKey = "missing/key";
    const std::string boolKey = "window/maximized";
    const std::string bytesKey = "window/geometry";
    const std::string int64Key = "history/lastCleanup";
    const std::string doubleKey = "view/zoom";
    for (int i = 0; i < GETTER_ROUNDS; ++i)
    {
        benchmark::DoNotOptimize(manager.GetInt(intKey, 0));
        benchmark::DoNotOptimize(manager.GetString(stringKey, std::string()));
        benchmark::DoNotOptimize(manager.GetBool(boolKey, false));
        benchmark::DoNotOptimize(manager.GetByteArray(bytesKey, {}));
        benchmark::DoNotOptimize(manager.GetInt64(int64Key, 0));
        benchmark::DoNotOptimize(manager.GetDouble(doubleKey, 0.0));
        benchmark::DoNotOptimize(manager.GetInt(missingKey, 7));
        benchmark::DoNotOptimize(manager.Contains(intKey));
        benchmark::DoNotOptimize(manager.Contains(missingKey));
    }
}

struct FileCheck
{
    std::vector<std::string> lines;
    bool gettersLeaveFileAlone = true;
    bool counterSeesSaves = true;
};

FileCheck CheckFileAccess(const std::string& folder)
{
    using Kavrel::Bench::StartCountingFileAccess;
    using Kavrel::Bench::StopCountingFileAccess;
    FileCheck check;
    const long calls = static_cast<long>(GETTER_ROUNDS) * GETTERS_PER_ROUND;

    ResetFile();
    SettingsManager manager(iniPath, QSettings::IniFormat);
    CountingObserver observer;
    manager.RegisterObserver(&observer);

    // 1. A loaded store with nothing pending.
    FileStamp before = Stamp();
    StartCountingFileAccess(folder);
    CallEveryGetter(manager);
    Kavrel::Bench::FileAccessCounts counts = StopCountingFileAccess();
    bool unchanged = Stamp() == before;
    check.gettersLeaveFileAlone = check.gettersLeaveFileAlone && counts.Total() == 0 && unchanged;
    check.lines.push_back(std::to_string(calls) + " getter calls on a loaded store: " + Describe(counts) +
                          ", file " + (unchanged ? "unchanged (mtime, size, inode)" : "CHANGED"));

    // 2. The same with a change that is not saved yet: a getter must not save it.
    manager.SetInt(INT_KEY, OTHER_INT_VALUE);
    before = Stamp();
    StartCountingFileAccess(folder);
    CallEveryGetter(manager);
    counts = StopCountingFileAccess();
    unchanged = Stamp() == before;
    check.gettersLeaveFileAlone = check.gettersLeaveFileAlone && counts.Total() == 0 && unchanged;
    check.lines.push_back(std::to_string(calls) +
                          " getter calls with an unsaved change: " + Describe(counts) + ", file " +
                          (unchanged ? "unchanged (mtime, size, inode)" : "CHANGED"));

    // 3. The counter is not blind: the event-loop turn that saves that change is seen.
    StartCountingFileAccess(folder);
    FlushPostedSaves();
    counts = StopCountingFileAccess();
    const bool rewritten = !(Stamp() == before);
    check.counterSeesSaves = counts.Total() > 0 && rewritten;
    check.lines.push_back("counter self-test, the event-loop turn that saves that change: " +
                          Describe(counts) + ", file " + (rewritten ? "rewritten" : "NOT rewritten"));

    // 4. For information: unchanged sets followed by the saving turn.
    constexpr int SETS = 1000;
    before = Stamp();
    StartCountingFileAccess(folder);
    for (int i = 0; i < SETS; ++i)
    {
        manager.SetInt(INT_KEY, OTHER_INT_VALUE);
        FlushPostedSaves();
    }
    counts = StopCountingFileAccess();
    check.lines.push_back(std::to_string(SETS) + " unchanged SetInt + event-loop turn, manager: " +
                          Describe(counts) + ", file " + (Stamp() == before ? "unchanged" : "rewritten"));
    manager.UnregisterObserver(&observer);

    QSettings settings(iniPath, QSettings::IniFormat);
    const QString key = QString::fromLatin1(INT_KEY);
    before = Stamp();
    StartCountingFileAccess(folder);
    for (int i = 0; i < SETS; ++i)
    {
        settings.setValue(key, OTHER_INT_VALUE);
        FlushPostedSaves();
    }
    counts = StopCountingFileAccess();
    check.lines.push_back(std::to_string(SETS) + " same-value setValue + event-loop turn, QSettings: " +
                          Describe(counts) + ", file " + (Stamp() == before ? "unchanged" : "rewritten"));
    return check;
}

// QSettings on an explicit file name needs no application object: write,
// drop, read back before one exists.
bool QSettingsWorksWithoutApplication(const QString& folder)
{
    const QString path = folder + QStringLiteral("/no-application.ini");
    {
        QSettings settings(path, QSettings::IniFormat);
        settings.setValue(QStringLiteral("probe/value"), 42);
    }
    QSettings settings(path, QSettings::IniFormat);
    return settings.status() == QSettings::NoError &&
           settings.value(QStringLiteral("probe/value")).toInt() == 42;
}

bool TakeFlag(int& argc, char** argv, const char* flag)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], flag) == 0)
        {
            std::copy(argv + i + 1, argv + argc + 1, argv + i);
            --argc;
            return true;
        }
    return false;
}

bool HasFlag(const std::vector<char*>& arguments, const char* prefix)
{
    return std::any_of(arguments.begin(), arguments.end(),
                       [prefix](const char* argument)
                       { return argument && std::strncmp(argument, prefix, std::strlen(prefix)) == 0; });
}

} // namespace

int main(int argc, char** argv)
{
    // Our own flags: run only the file-access check, or only the benchmarks
    // (the latter keeps profiles of the benchmarks clean).
    const bool fileCheckOnly = TakeFlag(argc, argv, "--file-check-only");
    const bool noFileCheck = TakeFlag(argc, argv, "--no-file-check");

    // Medians of several interleaved repetitions are steadier on a small,
    // shared machine; flags given on the command line win.
    std::vector<char*> arguments(argv, argv + argc);
    char repetitions[] = "--benchmark_repetitions=10";
    char interleaving[] = "--benchmark_enable_random_interleaving=true";
    char minTime[] = "--benchmark_min_time=0.1";
    if (!HasFlag(arguments, "--benchmark_repetitions"))
        arguments.insert(arguments.begin() + 1, repetitions);
    if (!HasFlag(arguments, "--benchmark_enable_random_interleaving"))
        arguments.insert(arguments.begin() + 1, interleaving);
    if (!HasFlag(arguments, "--benchmark_min_time"))
        arguments.insert(arguments.begin() + 1, minTime);
    const bool consoleFormat =
        !HasFlag(arguments, "--benchmark_format=json") && !HasFlag(arguments, "--benchmark_format=csv");
    int benchmarkArgc = static_cast<int>(arguments.size());
    arguments.push_back(nullptr);
    benchmark::Initialize(&benchmarkArgc, arguments.data());
    if (benchmark::ReportUnrecognizedArguments(benchmarkArgc, arguments.data()))
        return 1;

    QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/settings_bench-XXXXXX"));
    if (!folder.isValid())
    {
        std::fprintf(stderr, "cannot create a temporary folder\n");
        return 1;
    }
    iniPath = folder.filePath(QStringLiteral("settings.ini"));
    const bool worksWithoutApplication = QSettingsWorksWithoutApplication(folder.path());

    // The products always have an application object; the "saved" cases need
    // its posted events.
    QCoreApplication application(benchmarkArgc, arguments.data());

    int status = 0;
    std::vector<GoalResult> goals;
    if (!fileCheckOnly)
    {
        RegisterComparisons();
        if (consoleFormat)
        {
            RatioReporter reporter(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_ColorTabular
                                                         : benchmark::ConsoleReporter::OO_Tabular);
            benchmark::RunSpecifiedBenchmarks(&reporter);
            goals = reporter.Goals();
            status = reporter.AnyFailed() ? 1 : 0;
        }
        else
        {
            benchmark::RunSpecifiedBenchmarks();
        }
    }
    benchmark::Shutdown();

    if (!noFileCheck)
    {
        const FileCheck check = CheckFileAccess(folder.path().toStdString());
        std::printf("\nFile access by getters (INI file %s):\n", qPrintable(iniPath));
        for (const std::string& line : check.lines)
            std::printf("  %s\n", line.c_str());
        std::printf("  QSettings on an explicit INI file without a QCoreApplication: %s\n",
                    worksWithoutApplication ? "works (written, reopened, read back)" : "DID NOT WORK");
        if (!check.counterSeesSaves)
            status = 1;
        goals.push_back(
            {"no file sync on any getter",
             check.counterSeesSaves
                 ? (check.gettersLeaveFileAlone ? "0 file calls, file unchanged" : "getters touched the file")
                 : "counter could not see a save; check inconclusive",
             check.counterSeesSaves && check.gettersLeaveFileAlone});
    }

    std::printf("\nGoals:\n");
    for (const GoalResult& goal : goals)
        std::printf("  %-6s %-52s %s\n", goal.ran ? (goal.met ? "MET" : "MISSED") : "-", goal.goal.c_str(),
                    goal.measured.c_str());
    std::fflush(stdout);
    return status;
}
