// The settings store: typed values and their change notifications, observer
// bookkeeping during deliveries, removal, both ways to open a store, files
// edited by hand or full of garbage, and setters running in several threads.
#include <Kavrel/App/Application/SettingsManager.h>

#include "TestEnvironment.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <atomic>
#include <climits>
#include <functional>
#include <map>
#include <numeric>
#include <random>
#include <thread>

using namespace Kavrel::App;
using Bytes = std::vector<unsigned char>;
using Log = std::vector<std::string>;
using Str = const std::string&;
template <class T> using Opt = boost::optional<T>;

namespace
{

// Values of every type shown as text, so that one log holds changes of all types.
std::string Show(bool v) { return v ? "true" : "false"; }
std::string Show(int v) { return std::to_string(v); }
std::string Show(long long v) { return std::to_string(v); }
std::string Show(const std::string& v) { return v; }
std::string Show(double v) { return QString::number(v, 'g', 17).toStdString(); }
std::string Show(const Bytes& v)
{
    return "0x" + QByteArray(reinterpret_cast<const char*>(v.data()), int(v.size())).toHex().toStdString();
}

// Logs each notification as "<observer> <type> <key>=<value>[ was <previous>]"
// into a log shared by several observers; `then` runs inside the
// notification, after logging, with the value.
class Recorder : public ISettingsManagerObserver
{
public:
    Recorder(std::string name, Log& log) : name(std::move(name)), log(log) {}
    std::function<void(const std::string& value)> then;

    void OnBoolChanged(Str k, bool v, const Opt<bool>& p) override { Add("Bool", k, v, p); }
    void OnIntChanged(Str k, int v, const Opt<int>& p) override { Add("Int", k, v, p); }
    void OnStringChanged(Str k, Str v, const Opt<std::string>& p) override { Add("String", k, v, p); }
    void OnByteArrayChanged(Str k, const Bytes& v, const Opt<Bytes>& p) override
    {
        Add("ByteArray", k, v, p);
    }
    void OnInt64Changed(Str k, long long v, const Opt<long long>& p) override { Add("Int64", k, v, p); }
    void OnDoubleChanged(Str k, double v, const Opt<double>& p) override { Add("Double", k, v, p); }

private:
    template <class T> void Add(const char* type, Str key, const T& value, const Opt<T>& previous)
    {
        log.push_back(name + ' ' + type + ' ' + key + '=' + Show(value) +
                      (previous ? " was " + Show(*previous) : std::string()));
        if (then)
            then(Show(value));
    }
    std::string name;
    Log& log;
};

class SettingsTest : public ::testing::Test
{
protected:
    // A new file name in this process's own temporary folder.
    static QString NewFile(const std::string& stem)
    {
        static int count = 0;
        return QString::fromStdString(Kavrel::Test::IsolatedRoot() + "/" + stem + std::to_string(++count) +
                                      ".ini");
    }
    // A copy on a new path: a store opened on it reads what reached the disk,
    // not QSettings' in-process cache of the original file.
    static QString DiskCopy(const QString& file)
    {
        const QString copy = NewFile("copy");
        EXPECT_TRUE(QFile::copy(file, copy)) << file.toStdString();
        return copy;
    }
    static void WriteFile(const QString& file, const QByteArray& content)
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(content.size(), out.write(content));
    }

    Log log;
    Recorder observer{"o", log};
};

// ---- The six value types -------------------------------------------------

struct TypeCase
{
    std::string name;
    std::string shown[2];
    std::function<void(ISettingsManager&, const std::string& key, int value)> set;
    std::function<std::string(const ISettingsManager&, const std::string& key, int defaultValue)> get;
};
void PrintTo(const TypeCase& c, std::ostream* out) { *out << c.name; }

// One type's two test values, written and read through its own setter and
// getter; the getter's default is one of the two, so a default is told apart.
template <class T, class Set, class Get> TypeCase Row(const char* name, T first, T second, Set set, Get get)
{
    return {name,
            {Show(first), Show(second)},
            [=](ISettingsManager& store, const std::string& key, int value)
            { (store.*set)(key, value ? second : first); },
            [=](const ISettingsManager& store, const std::string& key, int fallback)
            { return Show((store.*get)(key, fallback ? second : first)); }};
}

Bytes AllByteValues()
{
    Bytes bytes(256);
    std::iota(bytes.begin(), bytes.end(), 0);
    return bytes;
}

// The first value of each is the type's empty value: stored, it is no default.
const TypeCase typeCases[] = {
    Row("Bool", false, true, &ISettingsManager::SetBool, &ISettingsManager::GetBool),
    Row("Int", 0, INT_MIN, &ISettingsManager::SetInt, &ISettingsManager::GetInt),
    Row("String", std::string(), std::string("@Variant(x) Grüße, ✓ = ; \"q\" \\ [x]"),
        &ISettingsManager::SetString, &ISettingsManager::GetString),
    Row("ByteArray", Bytes(), AllByteValues(), &ISettingsManager::SetByteArray,
        &ISettingsManager::GetByteArray),
    Row("Int64", (1LL << 53) + 1, LLONG_MIN, &ISettingsManager::SetInt64, &ISettingsManager::GetInt64),
    Row("Double", 0.1 + 0.2, -1e-300, &ISettingsManager::SetDouble, &ISettingsManager::GetDouble),
};

class SettingsValueTypes : public SettingsTest, public ::testing::WithParamInterface<TypeCase>
{
};

TEST_P(SettingsValueTypes, RealChangesAreAnnouncedOnceAndSurviveReopening)
{
    const TypeCase& type = GetParam();
    const std::string key = "group/" + type.name, heard = "o " + type.name + " " + key + "=";
    QString file = NewFile(type.name);
    {
        SettingsManager store(file, QSettings::IniFormat);
        store.RegisterObserver(&observer);
        EXPECT_EQ(type.shown[0], type.get(store, key, 0));
        EXPECT_EQ(type.shown[1], type.get(store, key, 1));
        type.set(store, key, 0);
        type.set(store, key, 0);
        EXPECT_EQ(type.shown[0], type.get(store, key, 1));
        type.set(store, key, 1);
        store.Remove(key);
        EXPECT_FALSE(store.Contains(key));
        EXPECT_EQ(type.shown[1], type.get(store, key, 1));
        type.set(store, key, 0);
        EXPECT_EQ((Log{heard + type.shown[0], heard + type.shown[1] + " was " + type.shown[0],
                       heard + type.shown[0]}),
                  log);
    }
    // Reopened, the value is the file's text form: it must read back exactly,
    // compare equal to the same value and convert into the previous value.
    for (int value : {0, 1})
    {
        log.clear();
        file = DiskCopy(file);
        SettingsManager store(file, QSettings::IniFormat);
        store.RegisterObserver(&observer);
        EXPECT_EQ(type.shown[value], type.get(store, key, 1 - value));
        type.set(store, key, value);
        type.set(store, key, 1 - value);
        EXPECT_EQ(Log{heard + type.shown[1 - value] + " was " + type.shown[value]}, log);
    }
}

INSTANTIATE_TEST_SUITE_P(AllTypes, SettingsValueTypes, ::testing::ValuesIn(typeCases),
                         [](const ::testing::TestParamInfo<TypeCase>& info) { return info.param.name; });

// ---- Notifications ---------------------------------------------------------

using SettingsObservers = SettingsTest;

TEST_F(SettingsObservers, EqualAfterConversionIsNoChangeAndPreviousComesInTheSettersType)
{
    SettingsManager store(NewFile("convert"), QSettings::IniFormat);
    store.SetInt("n", 5);
    store.RegisterObserver(&observer);
    store.SetInt64("n", 5);
    store.SetDouble("n", 5.0);
    store.SetString("n", "5");
    EXPECT_TRUE(log.empty());
    store.SetDouble("n", 7.0);
    store.SetString("n", "text");
    store.SetInt("n", 8);
    EXPECT_EQ((Log{"o Double n=7 was 5", "o String n=text was 7", "o Int n=8 was 0"}), log);
}

TEST_F(SettingsObservers, StringIsStoredUpToTheFirstNulButObserversGetTheWholeArgument)
{
    SettingsManager store(NewFile("nul"), QSettings::IniFormat);
    store.RegisterObserver(&observer);
    const std::string withNul("ab\0cd", 5);
    store.SetString("s", withNul);
    EXPECT_EQ("ab", store.GetString("s", "default"));
    store.SetString("s", std::string("ab\0zz", 5)); // stores "ab" again: no change
    EXPECT_EQ(Log{"o String s=" + withNul}, log);
}

TEST_F(SettingsObservers, EachObserverHearsEachChangeOnceInRegistrationOrder)
{
    SettingsManager store(NewFile("order"), QSettings::IniFormat);
    Recorder x("x", log), y("y", log), z("z", log);
    for (Recorder* recorder : {&z, &x, &z, static_cast<Recorder*>(nullptr), &y})
        store.RegisterObserver(recorder);
    store.SetInt("k", 1);
    store.UnregisterObserver(&z); // once is enough, however often it registered
    store.UnregisterObserver(&z); // unknown now: changes nothing
    store.UnregisterObserver(nullptr);
    store.SetInt("k", 2);
    EXPECT_EQ((Log{"z Int k=1", "x Int k=1", "y Int k=1", "x Int k=2 was 1", "y Int k=2 was 1"}), log);
}

TEST_F(SettingsObservers, NestedSetFromAnObserverReachesEveryoneBeforeTheOuterDeliveryGoesOn)
{
    SettingsManager store(NewFile("nested"), QSettings::IniFormat);
    Recorder a("a", log), b("b", log);
    a.then = [&](const std::string& value)
    {
        if (value == "150")
            store.SetInt("volume", 100); // a clamping observer
    };
    store.RegisterObserver(&a);
    store.RegisterObserver(&b);
    store.SetInt("volume", 150);
    EXPECT_EQ(100, store.GetInt("volume", 0));
    EXPECT_EQ(
        (Log{"a Int volume=150", "a Int volume=100 was 150", "b Int volume=100 was 150", "b Int volume=150"}),
        log);
}

TEST_F(SettingsObservers, DeliveryGoesToTheObserversRegisteredWhenItBegan)
{
    SettingsManager store(NewFile("snapshot"), QSettings::IniFormat);
    Recorder a("a", log), b("b", log), late("late", log);
    a.then = [&](const std::string& value)
    {
        if (value == "1")
        {
            store.RegisterObserver(&late);
            store.UnregisterObserver(&b);
        }
    };
    store.RegisterObserver(&a);
    store.RegisterObserver(&b);
    store.SetInt("k", 1);
    store.SetInt("k", 2);
    EXPECT_EQ((Log{"a Int k=1", "b Int k=1", "a Int k=2 was 1", "late Int k=2 was 1"}), log);
}

// ---- Removal and opening ----------------------------------------------------

using SettingsStore = SettingsTest;

TEST_F(SettingsStore, RemoveTakesAGroupWithEverythingBelowItAndTellsNobody)
{
    const QString file = NewFile("remove");
    {
        SettingsManager store(file, QSettings::IniFormat);
        store.SetInt("g/a", 1);
        store.SetString("g/b/deep", "x");
        store.SetInt("gx", 2); // starts with "g" but is not below it
        store.SetInt("h", 3);
        store.RegisterObserver(&observer);
        store.Remove("g");
        EXPECT_FALSE(store.Contains("g/a"));
        EXPECT_FALSE(store.Contains("g/b/deep"));
        EXPECT_TRUE(store.Contains("gx"));
        EXPECT_TRUE(store.Contains("h"));
        store.SetInt("g/a", 1);
        store.Remove("");
        for (const char* key : {"g/a", "gx", "h"})
            EXPECT_FALSE(store.Contains(key)) << key;
        EXPECT_EQ(Log{"o Int g/a=1"}, log);
        store.SetInt("after", 4);
    }
    const SettingsManager reopened(DiskCopy(file), QSettings::IniFormat);
    EXPECT_FALSE(reopened.Contains("h"));
    EXPECT_EQ(4, reopened.GetInt("after", 0));
}

TEST_F(SettingsStore, EmptyKeyIsNeverStoredNorAnnounced)
{
    SettingsManager store(NewFile("empty"), QSettings::IniFormat);
    store.RegisterObserver(&observer);
    store.SetInt("", 1);
    store.SetString("", "x");
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(store.Contains(""));
    EXPECT_EQ(7, store.GetInt("", 7));
}

TEST_F(SettingsStore, ApplicationFirstOrganisationSecondOpensThatPairsUserStore)
{
    const QString organization = "KavrelTestOrganisation", application = "KavrelTestApplication";
    const QString path = QSettings(organization, application).fileName();
    // Never the developer's own settings: the pair's file lies in the isolated home.
    ASSERT_TRUE(path.startsWith(QString::fromStdString(Kavrel::Test::IsolatedRoot() + "/")))
        << path.toStdString();
    ASSERT_FALSE(QFileInfo::exists(path));
    SettingsManager(application, organization).SetString("who", "application first");
    // Checked before another QSettings opens the pair: that one would write
    // out changes the store left pending in QSettings' shared cache.
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_EQ("application first",
              QSettings(organization, application).value("who").toString().toStdString());
    EXPECT_FALSE(QSettings(application, organization).contains("who"));
}

// ---- Files that are not what we wrote ----------------------------------------

using SettingsBadFiles = SettingsTest;

// Every key of a file as a plain reader sees it, shown as "type:value|value".
std::map<std::string, std::string> RawKeys(const QString& file)
{
    std::map<std::string, std::string> keys;
    const QSettings raw(file, QSettings::IniFormat);
    for (const QString& key : raw.allKeys())
        keys[key.toStdString()] = std::string(raw.value(key).typeName()) + ":" +
                                  raw.value(key).toStringList().join('|').toStdString();
    return keys;
}

TEST_F(SettingsBadFiles, HandEditedFileReadsWithTheDocumentedConversionsAndKeepsItsKeys)
{
    const QString file = NewFile("handwritten");
    WriteFile(file, "stray text without an equals sign\n"
                    "volume=abc\nflag=maybe\nratio=1.2.3\ncount=5\nlist=a, b\n"
                    "\x01\x02\xfe\xff junk\n"
                    "[display]]junk after the header\nwidth=640\n"
                    "[unterminated\nheight=480\n");
    auto keys = RawKeys(DiskCopy(file));
    ASSERT_TRUE(keys.count("display/width") && keys.count("unterminated/height")) << keys.size();
    {
        SettingsManager store(file, QSettings::IniFormat);
        store.RegisterObserver(&observer);
        EXPECT_EQ(0, store.GetInt("volume", 7)); // text that is no number: 0, not the default
        EXPECT_EQ(0, store.GetInt64("volume", 7));
        EXPECT_EQ(7, store.GetInt("missing", 7));
        EXPECT_EQ(0.0, store.GetDouble("ratio", 0.5));
        // A list converts to neither text nor bytes.
        EXPECT_EQ("", store.GetString("list", "default"));
        EXPECT_EQ(Bytes(), store.GetByteArray("list", Bytes{1}));
        EXPECT_EQ(640, store.GetInt("display/width", 0));
        EXPECT_EQ(480, store.GetInt("unterminated/height", 0));
        // As text to bool, everything but "", "0" and "false" is true; the
        // setter agrees with the getter and sees no change.
        EXPECT_TRUE(store.GetBool("flag", false));
        store.SetBool("flag", true);
        EXPECT_EQ(5, store.GetInt("count", 7));
        store.SetInt("count", 5);
        store.SetInt("volume", 3);
        EXPECT_EQ(Log{"o Int volume=3 was 0"}, log);
    }
    keys["volume"] = "QString:3";
    EXPECT_EQ(keys, RawKeys(DiskCopy(file)));
}

TEST_F(SettingsBadFiles, BinaryGarbageOrAFolderInPlaceOfTheFileDoesNotBreakTheStore)
{
    std::vector<QString> files{NewFile("folder")};
    ASSERT_TRUE(QDir().mkpath(files.back()));
    // Random bytes mixed with what the INI reader acts on, so that its
    // escapes and typed values get garbage too.
    const std::vector<const char*> tokens{"\n",     "[",      "]",       "=",  "\"",          ",",
                                          "\\",     "\\x",    "%",       "%U", "@ByteArray(", "@Variant(",
                                          "@Rect(", "@Size(", "@Point(", ")"};
    for (unsigned seed = 1; seed <= 16; ++seed)
    {
        std::mt19937 random(seed);
        QByteArray content;
        while (content.size() < 4096)
            content += random() % 4 ? QByteArray(1, static_cast<char>(random()))
                                    : QByteArray(tokens[random() % tokens.size()]);
        files.push_back(NewFile("garbage"));
        WriteFile(files.back(), content);
    }
    for (const QString& file : files)
    {
        SCOPED_TRACE(file.toStdString());
        const QStringList keys = QSettings(file, QSettings::IniFormat).allKeys();
        SettingsManager store(file, QSettings::IniFormat);
        // Whatever garbage parsed into has no right value; reading it must only not fail.
        for (const QString& key : keys)
            for (const TypeCase& type : typeCases)
                if (!key.isEmpty())
                    type.get(store, key.toStdString(), 0);
        store.SetInt("probe/value", 42);
        EXPECT_EQ(42, store.GetInt("probe/value", 0));
        store.Remove("probe");
        EXPECT_FALSE(store.Contains("probe/value"));
    }
}

// ---- Threads ---------------------------------------------------------------

using SettingsThreads = SettingsTest;

TEST_F(SettingsThreads, SettersInSeveralThreadsDeliverEveryChangeOneAtATimeInTheOrderWritten)
{
    constexpr int threadCount = 8, setsPerThread = 200, keyCount = 8;
    SettingsManager store(NewFile("threads"), QSettings::IniFormat);
    // The log is a plain vector on purpose: only one delivery at a time may touch it.
    std::atomic<int> inside{0}, overlaps{0}, misreads{0};
    observer.then = [&](const std::string&)
    {
        overlaps += ++inside > 1;
        for (int i = 0; i < 50; ++i)
            std::this_thread::yield(); // room for another delivery to overlap, if one could
        --inside;
    };
    store.RegisterObserver(&observer);
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t)
        threads.emplace_back(
            [&, t]
            {
                while (!go)
                    std::this_thread::yield();
                // Each value goes once to a key of this thread's own and once to the shared key.
                for (int i = 0; i < setsPerThread; ++i)
                {
                    const int value = t * setsPerThread + i;
                    const std::string own = "t" + std::to_string(t) + "/k" + std::to_string(i % keyCount);
                    store.SetInt(own, value);
                    misreads += store.GetInt(own, -1) != value;
                    store.SetInt("shared", value);
                }
            });
    go = true;
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(0, overlaps.load());
    EXPECT_EQ(0, misreads.load());
    // Every set was a change. Per key, each announcement names the one before
    // it as the previous value, and the last one is what the store holds.
    EXPECT_EQ(size_t(2 * threadCount * setsPerThread), log.size());
    std::map<std::string, std::string> last;
    for (const std::string& entry : log)
    {
        const size_t equals = entry.find('='), space = entry.find(' ', equals);
        const std::string key = entry.substr(6, equals - 6),
                          value = entry.substr(equals + 1, space - equals - 1);
        EXPECT_EQ("o Int " + key + "=" + value + (last.count(key) ? " was " + last[key] : ""), entry);
        last[key] = value;
    }
    EXPECT_EQ(size_t(keyCount * threadCount + 1), last.size());
    for (const auto& [key, value] : last)
        EXPECT_EQ(value, std::to_string(store.GetInt(key, -1))) << key;
}

} // namespace
