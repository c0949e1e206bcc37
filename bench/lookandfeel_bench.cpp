// What LookAndFeelManager::SetTheme and SetLocale cost over the bare Qt calls
// they wrap:
//   - a theme switch between two themes of 1, 5 and 20 resource files (.rcc),
//     against QResource::unregisterResource of the old files,
//     QResource::registerResource of the new ones and reading their two
//     sheets each (:/<name>/style.qss, :/<name>/fonts_win.qss);
//   - a language switch between two locales of 1 and 10 translation files
//     (.qm), against QCoreApplication::removeTranslator of the old set,
//     QTranslator::load and QCoreApplication::installTranslator of the new.
// Every iteration is one switch, alternating between the two themes or
// locales, so each really unloads and loads. Prints the ratios manager / bare
// after the runs; the goal is under 1.2x. For information it also times the
// bare calls plus the manager's other file work done by hand, and a listing
// of a theme's folder with and without the manager's name filter.
//
// The data is built with the benchmark (see bench/CMakeLists.txt) from the
// text sources in bench/lookandfeel/; --data=DIR reads another folder of the
// same layout (DIR/resources/themes/..., DIR/resources/locales/...).
#include <Kavrel/App/Application/LookAndFeelManager.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPixmapCache>
#include <QResource>
#include <QStringList>
#include <QTemporaryDir>
#include <QTranslator>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iomanip>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace
{
constexpr double GOAL = 1.2;
constexpr char THEME_INFO_FILE[] = "theme.json";
constexpr int THEME_SIZES[] = {1, 5, 20};

// Two locales per size; bench/CMakeLists.txt builds the same.
struct LocalePair
{
    int files;
    const char* first;
    const char* second;
};
constexpr LocalePair LOCALE_PAIRS[] = {{1, "de_DE", "fr_FR"}, {10, "es_ES", "it_IT"}};

QString dataFolder = QStringLiteral(LOOKANDFEEL_BENCH_DATA);

// The two themes of a size: light<size> and dark<size>, with the resource
// files module00.rcc, module01.rcc, ...
std::string ThemeName(int variant, int size)
{
    return (variant == 0 ? "light" : "dark") + std::to_string(size);
}

QString ModuleName(int index) { return QStringLiteral("module%1").arg(index, 2, 10, QLatin1Char('0')); }

QString ThemeFolder(const std::string& theme)
{
    return dataFolder + QStringLiteral("/resources/themes/") + QString::fromStdString(theme);
}

QString LocaleFolder(const std::string& locale)
{
    return dataFolder + QStringLiteral("/resources/locales/") + QString::fromStdString(locale);
}

const LocalePair& PairOf(int files)
{
    for (const LocalePair& pair : LOCALE_PAIRS)
        if (pair.files == files)
            return pair;
    return LOCALE_PAIRS[0];
}

// What the united sheet of a theme must hold: one marker per resource file.
int CountMarkers(const QString& sheets, const std::string& theme)
{
    return sheets.count(QStringLiteral("themeMarker=\"%1/").arg(QString::fromStdString(theme)));
}

// ---- themes --------------------------------------------------------------

void ManagerSetTheme(benchmark::State& state)
{
    const int size = static_cast<int>(state.range(0));
    const std::string themes[2] = {ThemeName(0, size), ThemeName(1, size)};
    Kavrel::App::LookAndFeelManager manager(dataFolder.toStdString(), THEME_INFO_FILE, {});
    manager.SetTheme(themes[0]);
    int next = 1;
    for (auto _ : state)
    {
        manager.SetTheme(themes[next]);
        next ^= 1;
    }
    const std::string& current = themes[next ^ 1];
    const int markers = CountMarkers(QString::fromStdString(manager.GetUnitedStylesheet()), current);
    manager.SetTheme(std::string()); // unregisters the theme's files; the destructor leaves them
    if (manager.GetCurrentTheme() != "" || markers != size)
        state.SkipWithError(("the united sheet of " + current + " holds " + std::to_string(markers) +
                             " of its " + std::to_string(size) + " resource files")
                                .c_str());
}
BENCHMARK(ManagerSetTheme)->ArgName("files")->Arg(1)->Arg(5)->Arg(20)->Unit(benchmark::kMicrosecond);

struct BareTheme
{
    QStringList resourceFiles; // absolute paths of the .rcc files
    QStringList sheets;        // :/<name>/style.qss and :/<name>/fonts_win.qss of each
};

BareTheme MakeBareTheme(const std::string& theme, int size)
{
    BareTheme bare;
    for (int i = 0; i < size; ++i)
    {
        const QString name = ModuleName(i);
        bare.resourceFiles << ThemeFolder(theme) + QLatin1Char('/') + name + QStringLiteral(".rcc");
        bare.sheets << QStringLiteral(":/%1/style.qss").arg(name)
                    << QStringLiteral(":/%1/fonts_win.qss").arg(name);
    }
    return bare;
}

// In the manager's order: every file registered, then every sheet read.
void LoadBareTheme(const BareTheme& theme)
{
    for (const QString& file : theme.resourceFiles)
        QResource::registerResource(file);
    for (const QString& path : theme.sheets)
    {
        QFile sheet(path);
        if (sheet.open(QIODevice::ReadOnly | QIODevice::Text))
        {
            const QByteArray bytes = sheet.readAll();
            benchmark::DoNotOptimize(bytes);
        }
    }
}

void UnloadBareTheme(const BareTheme& theme)
{
    for (const QString& file : theme.resourceFiles)
        QResource::unregisterResource(file);
}

void BareSetTheme(benchmark::State& state)
{
    const int size = static_cast<int>(state.range(0));
    const BareTheme themes[2] = {MakeBareTheme(ThemeName(0, size), size),
                                 MakeBareTheme(ThemeName(1, size), size)};
    LoadBareTheme(themes[0]);
    int next = 1;
    for (auto _ : state)
    {
        UnloadBareTheme(themes[next ^ 1]);
        LoadBareTheme(themes[next]);
        next ^= 1;
    }
    const int current = next ^ 1;
    QString sheets;
    for (const QString& path : themes[current].sheets)
    {
        QFile sheet(path);
        if (sheet.open(QIODevice::ReadOnly | QIODevice::Text))
            sheets += QString::fromUtf8(sheet.readAll());
    }
    UnloadBareTheme(themes[current]);
    if (CountMarkers(sheets, ThemeName(current, size)) != size)
        state.SkipWithError("the bare theme switch did not load the expected sheets");
}
BENCHMARK(BareSetTheme)->ArgName("files")->Arg(1)->Arg(5)->Arg(20)->Unit(benchmark::kMicrosecond);

// For information: the bare calls plus the rest of the manager's file work,
// done by hand without listing the theme's folder: each file's font manifest
// looked up as the manager looks it up (it names no font here), every sheet
// converted and joined into one string with the library's two product
// sheets (read once, as the manager reads them), and the pixmap cache
// cleared. Manager / this is what the manager's own bookkeeping adds.
struct SameWorkTheme
{
    BareTheme bare;
    QStringList manifests; // :/<name>/fonts.manifest of each file
    QString productSheets;
};

QString ReadText(const QString& path)
{
    QFile sheet(path);
    return sheet.open(QIODevice::ReadOnly | QIODevice::Text) ? QString::fromUtf8(sheet.readAll()) : QString();
}

SameWorkTheme MakeSameWorkTheme(const std::string& theme, int size)
{
    SameWorkTheme same{MakeBareTheme(theme, size), {}, {}};
    for (int i = 0; i < size; ++i)
        same.manifests << QStringLiteral(":/%1/fonts.manifest").arg(ModuleName(i));
    same.productSheets = ReadText(QStringLiteral(":/productStyle.qss")) + QLatin1Char('\n') +
                         ReadText(QStringLiteral(":/productStyle_win.qss")) + QLatin1Char('\n');
    return same;
}

QString LoadSameWorkTheme(const SameWorkTheme& theme)
{
    for (int i = 0; i < theme.bare.resourceFiles.size(); ++i)
    {
        QResource::registerResource(theme.bare.resourceFiles[i]);
        const QResource manifest(theme.manifests[i]);
        if (manifest.isValid())
            benchmark::DoNotOptimize(manifest.uncompressedData().simplified());
    }
    QString united;
    for (const QString& path : theme.bare.sheets)
        united += ReadText(path) + QLatin1Char('\n');
    return united + theme.productSheets;
}

void SameWorkSetTheme(benchmark::State& state)
{
    const int size = static_cast<int>(state.range(0));
    const SameWorkTheme themes[2] = {MakeSameWorkTheme(ThemeName(0, size), size),
                                     MakeSameWorkTheme(ThemeName(1, size), size)};
    QString united = LoadSameWorkTheme(themes[0]);
    int next = 1;
    for (auto _ : state)
    {
        UnloadBareTheme(themes[next ^ 1].bare);
        QPixmapCache::clear();
        united = LoadSameWorkTheme(themes[next]);
        next ^= 1;
    }
    const int current = next ^ 1;
    UnloadBareTheme(themes[current].bare);
    if (CountMarkers(united, ThemeName(current, size)) != size)
        state.SkipWithError("the same-work theme switch did not load the expected sheets");
}
BENCHMARK(SameWorkSetTheme)->ArgName("files")->Arg(1)->Arg(5)->Arg(20)->Unit(benchmark::kMicrosecond);

// For information: listing a theme's folder as the manager does (a "*.rcc"
// name filter, which Qt turns into a regular expression compiled anew for
// each listing), against listing all files and comparing the suffix.
void ListByNameFilter(benchmark::State& state)
{
    const int size = static_cast<int>(state.range(0));
    const QString folder = ThemeFolder(ThemeName(0, size));
    int found = 0;
    for (auto _ : state)
    {
        const QFileInfoList files =
            QDir(folder).entryInfoList({QStringLiteral("*.rcc")}, QDir::Files, QDir::NoSort);
        found = files.size();
        benchmark::DoNotOptimize(found);
    }
    if (found != size)
        state.SkipWithError("the listing missed files");
}
BENCHMARK(ListByNameFilter)->ArgName("files")->Arg(1)->Arg(20)->Unit(benchmark::kMicrosecond);

void ListBySuffix(benchmark::State& state)
{
    const int size = static_cast<int>(state.range(0));
    const QString folder = ThemeFolder(ThemeName(0, size));
    int found = 0;
    for (auto _ : state)
    {
        QFileInfoList files;
        for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files, QDir::NoSort))
            if (file.fileName().endsWith(QLatin1String(".rcc")))
                files << file;
        found = files.size();
        benchmark::DoNotOptimize(found);
    }
    if (found != size)
        state.SkipWithError("the listing missed files");
}
BENCHMARK(ListBySuffix)->ArgName("files")->Arg(1)->Arg(20)->Unit(benchmark::kMicrosecond);

// ---- locales -------------------------------------------------------------

// The text that the last file of a locale gives for one of its strings.
bool TranslatesAs(const std::string& locale, int files)
{
    const QString context = ModuleName(files - 1);
    return QCoreApplication::translate(context.toLatin1().constData(), "Open") ==
           QStringLiteral("[%1] Open").arg(QString::fromStdString(locale));
}

void ManagerSetLocale(benchmark::State& state)
{
    const int files = static_cast<int>(state.range(0));
    const LocalePair& pair = PairOf(files);
    const std::string locales[2] = {pair.first, pair.second};
    bool translated = false;
    {
        Kavrel::App::LookAndFeelManager manager(dataFolder.toStdString(), THEME_INFO_FILE, {});
        manager.SetLocale(locales[0]);
        int next = 1;
        for (auto _ : state)
        {
            manager.SetLocale(locales[next]);
            next ^= 1;
        }
        translated = TranslatesAs(locales[next ^ 1], files);
    } // the translators leave the application with the manager
    if (!translated)
        state.SkipWithError("the manager's locale switch did not install the expected translations");
}
BENCHMARK(ManagerSetLocale)->ArgName("files")->Arg(1)->Arg(10)->Unit(benchmark::kMicrosecond);

QStringList TranslationFiles(const std::string& locale, int files)
{
    QStringList paths;
    for (int i = 0; i < files; ++i)
        paths << LocaleFolder(locale) + QLatin1Char('/') + ModuleName(i) + QLatin1Char('_') +
                     QString::fromStdString(locale) + QStringLiteral(".qm");
    return paths;
}

using Translators = std::vector<std::unique_ptr<QTranslator>>;

void LoadBareLocale(const QStringList& files, Translators& installed)
{
    for (const QString& file : files)
    {
        auto translator = std::make_unique<QTranslator>();
        if (!translator->load(file))
            continue;
        QCoreApplication::installTranslator(translator.get());
        installed.push_back(std::move(translator));
    }
}

void UnloadBareLocale(Translators& installed)
{
    for (const auto& translator : installed)
        QCoreApplication::removeTranslator(translator.get());
    installed.clear();
}

void BareSetLocale(benchmark::State& state)
{
    const int files = static_cast<int>(state.range(0));
    const LocalePair& pair = PairOf(files);
    const std::string locales[2] = {pair.first, pair.second};
    const QStringList paths[2] = {TranslationFiles(locales[0], files), TranslationFiles(locales[1], files)};
    Translators installed;
    LoadBareLocale(paths[0], installed);
    int next = 1;
    for (auto _ : state)
    {
        UnloadBareLocale(installed);
        LoadBareLocale(paths[next], installed);
        next ^= 1;
    }
    const bool translated = TranslatesAs(locales[next ^ 1], files);
    UnloadBareLocale(installed);
    if (!translated)
        state.SkipWithError("the bare locale switch did not install the expected translations");
}
BENCHMARK(BareSetLocale)->ArgName("files")->Arg(1)->Arg(10)->Unit(benchmark::kMicrosecond);

// ---- data check ----------------------------------------------------------

// Every theme and locale the benchmarks switch between, with all its files.
bool DataIsComplete()
{
    bool complete = true;
    const auto expect = [&complete](const QString& folder, const QString& pattern, int count)
    {
        const int found = QDir(folder).entryList({pattern}, QDir::Files).size();
        if (found != count)
        {
            std::fprintf(stderr, "%s: %d files %s, expected %d\n", qPrintable(folder), found,
                         qPrintable(pattern), count);
            complete = false;
        }
    };
    for (int size : THEME_SIZES)
        for (int variant : {0, 1})
        {
            expect(ThemeFolder(ThemeName(variant, size)), QStringLiteral("*.rcc"), size);
            expect(ThemeFolder(ThemeName(variant, size)), QString::fromLatin1(THEME_INFO_FILE), 1);
        }
    for (const LocalePair& pair : LOCALE_PAIRS)
        for (const char* locale : {pair.first, pair.second})
            expect(LocaleFolder(locale), QStringLiteral("*.qm"), pair.files);
    return complete;
}

// ---- report --------------------------------------------------------------

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

// One comparison: "manager" over "bare" for each size; only those with a
// goal count towards it, the others are for information.
struct Comparison
{
    const char* description;
    const char* manager;
    const char* bare;
    std::vector<int> sizes;
    bool goal;
};

const std::vector<Comparison>& Comparisons()
{
    static const std::vector<Comparison> comparisons = {
        {"theme switch", "ManagerSetTheme", "BareSetTheme", {1, 5, 20}, true},
        {"locale switch", "ManagerSetLocale", "BareSetLocale", {1, 10}, true},
        {"theme/same work", "ManagerSetTheme", "SameWorkSetTheme", {1, 5, 20}, false},
        {"list *.rcc/sfx", "ListByNameFilter", "ListBySuffix", {1, 20}, false},
    };
    return comparisons;
}

// Shows the median of each benchmark (each run when not repeated), keeps
// every repetition's times, and prints the ratios once all have run.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    using benchmark::ConsoleReporter::ConsoleReporter;

    void ReportRuns(const std::vector<Run>& runs) override
    {
        std::vector<Run> shown;
        for (const Run& run : runs)
        {
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
                    shown.push_back(run);
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
        out << "\nRatios LookAndFeelManager / bare Qt calls, CPU time per switch (us). \"ratio\" compares\n"
               "the medians over the repetitions, \"fastest\" the fastest repetitions' CPU times, \"wall\"\n"
               "the fastest repetitions' wall times. The goal is judged on \"fastest\": other programs on\n"
               "the machine slow some repetitions down, never speed one up.\n"
               "For information: \"theme/same work\" is the manager against the bare calls plus the same\n"
               "manifest and sheet reading done by hand; \"list *.rcc/sfx\" is one listing of a theme's\n"
               "folder with the manager's name filter against one comparing file suffixes.\n";
        out << std::left << std::setw(17) << "case" << std::setw(7) << "files" << std::right << std::setw(10)
            << "first us" << std::setw(11) << "second us" << std::setw(9) << "ratio" << std::setw(10)
            << "fastest" << std::setw(8) << "wall"
            << "   goal\n";
        for (const Comparison& comparison : Comparisons())
        {
            double worst = 0.0;
            bool complete = true;
            for (int size : comparison.sizes)
            {
                const std::string suffix = "/files:" + std::to_string(size);
                const auto manager = samples.find(comparison.manager + suffix);
                const auto bare = samples.find(comparison.bare + suffix);
                if (manager == samples.end() || bare == samples.end())
                {
                    complete = false;
                    continue;
                }
                const double managerCpu = Median(Cpu(manager->second)), bareCpu = Median(Cpu(bare->second));
                const double fastest = Min(Cpu(manager->second)) / Min(Cpu(bare->second));
                const double wall = Min(Wall(manager->second)) / Min(Wall(bare->second));
                worst = std::max(worst, fastest);
                out << std::left << std::setw(17) << comparison.description << std::setw(7) << size
                    << std::right << std::fixed << std::setprecision(1) << std::setw(10) << managerCpu
                    << std::setw(11) << bareCpu << std::setprecision(2) << std::setw(8)
                    << managerCpu / bareCpu << "x" << std::setw(9) << fastest << "x" << std::setw(7) << wall
                    << "x   "
                    << (!comparison.goal ? "(for information)"
                        : fastest < GOAL ? "< 1.2x  met"
                                         : "< 1.2x  MISSED")
                    << "\n";
            }
            if (!comparison.goal)
                continue;
            // In the form of the other benchmarks' goal lines: status, goal, measure.
            std::ostringstream line;
            line << std::left << std::setw(7)
                 << (!complete      ? "-"
                     : worst < GOAL ? "MET"
                                    : "MISSED")
                 << std::setw(53) << std::string(comparison.description) + " under 1.2x of the bare calls";
            if (complete)
                line << "worst ratio " << std::fixed << std::setprecision(2) << worst << "x (fastest)";
            else
                line << "not run (filtered out or failed)";
            goals.push_back(line.str());
        }
        for (const std::string& failure : failed)
            out << "FAILED: " << failure << "\n";
        out.flush();
    }

    const std::vector<std::string>& Goals() const { return goals; }
    bool AnyFailed() const { return !failed.empty(); }

private:
    struct Times
    {
        double cpu;
        double wall;
    };

    static std::vector<double> Cpu(const std::vector<Times>& times)
    {
        std::vector<double> values;
        for (const Times& t : times)
            values.push_back(t.cpu);
        return values;
    }

    static std::vector<double> Wall(const std::vector<Times>& times)
    {
        std::vector<double> values;
        for (const Times& t : times)
            values.push_back(t.wall);
        return values;
    }

    static double Min(const std::vector<double>& values)
    {
        return values.empty() ? 0.0 : *std::min_element(values.begin(), values.end());
    }

    std::map<std::string, std::vector<Times>> samples;
    std::vector<std::string> failed;
    std::vector<std::string> goals;
};

bool HasFlag(const std::vector<char*>& arguments, const char* prefix)
{
    return std::any_of(arguments.begin(), arguments.end(),
                       [prefix](const char* argument)
                       { return argument && std::strncmp(argument, prefix, std::strlen(prefix)) == 0; });
}

int qtArgc = 1;
char qtName[] = "lookandfeel_bench";
char* qtArgv[] = {qtName, nullptr};
} // namespace

int main(int argc, char** argv)
{
    // Our one flag: --data=DIR. Then several interleaved repetitions by
    // default (steadier on a small, shared machine); flags given win.
    std::vector<char*> arguments;
    for (int i = 0; i < argc; ++i)
    {
        if (std::strncmp(argv[i], "--data=", 7) == 0)
            dataFolder = QString::fromLocal8Bit(argv[i] + 7);
        else
            arguments.push_back(argv[i]);
    }
    char repetitions[] = "--benchmark_repetitions=10";
    char interleaving[] = "--benchmark_enable_random_interleaving=true";
    char minTime[] = "--benchmark_min_time=0.1";
    if (!HasFlag(arguments, "--benchmark_repetitions"))
        arguments.insert(arguments.begin() + 1, repetitions);
    if (!HasFlag(arguments, "--benchmark_enable_random_interleaving"))
        arguments.insert(arguments.begin() + 1, interleaving);
    if (!HasFlag(arguments, "--benchmark_min_time"))
        arguments.insert(arguments.begin() + 1, minTime);
    int benchmarkArgc = static_cast<int>(arguments.size());
    arguments.push_back(nullptr);
    benchmark::Initialize(&benchmarkArgc, arguments.data());
    if (benchmark::ReportUnrecognizedArguments(benchmarkArgc, arguments.data()))
        return 1;

    // The manager needs an application object; no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir runtime;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtime.isValid())
        qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    QApplication application(qtArgc, qtArgv);

    if (!DataIsComplete())
    {
        std::fprintf(stderr,
                     "the benchmark data under %s is incomplete: build the lookandfeel_bench target\n",
                     qPrintable(dataFolder));
        return 1;
    }
    std::printf("data: %s\n", qPrintable(QDir(dataFolder).absolutePath()));

    RatioReporter reporter(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_ColorTabular
                                                 : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\nGoals:\n");
    for (const std::string& goal : reporter.Goals())
        std::printf("  %s\n", goal.c_str());
    return reporter.AnyFailed() ? 1 : 0;
}
