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
#include <QVariantMap>

#include <atomic>
#include <climits>
#include <functional>
#include <numeric>
#include <ostream>
#include <random>
#include <set>
#include <thread>
#include <tuple>

using namespace Kavrel::App;
using Bytes = std::vector<unsigned char>;
using Previous = boost::optional<std::string>;
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

Bytes AllByteValues()
{
    Bytes bytes(256);
    std::iota(bytes.begin(), bytes.end(), 0);
    return bytes;
}

struct Change
{
    std::string observer, type, key, value;
    Previous previous;
    bool operator==(const Change& o) const
    {
        return std::tie(observer, type, key, value, previous) ==
               std::tie(o.observer, o.type, o.key, o.value, o.previous);
    }
};
void PrintTo(const Change& c, std::ostream* out)
{
    *out << c.observer << ' ' << c.type << ' ' << c.key << '=' << testing::PrintToString(c.value) << " was "
         << (c.previous ? testing::PrintToString(*c.previous) : std::string("none"));
}
using Log = std::vector<Change>;

Previous Was(const std::string& value) { return value; }
Change Heard(const std::string& observer, const std::string& type, const std::string& key,
             const std::string& value, Previous previous = {})
{
    return {observer, type, key, value, previous};
}

// Logs every notification into a log shared by several observers; `then`
// runs inside the notification, after logging.
class Recorder : public ISettingsManagerObserver
{
public:
    Recorder(std::string name, Log& log) : name(std::move(name)), log(log) {}
    std::function<void(const Change&)> then;

    void OnBoolChanged(const std::string& k, bool v, const Opt<bool>& p) override { Add("Bool", k, v, p); }
    void OnIntChanged(const std::string& k, int v, const Opt<int>& p) override { Add("Int", k, v, p); }
    void OnStringChanged(const std::string& k, const std::string& v, const Previous& p) override
    {
        Add("String", k, v, p);
    }
    void OnByteArrayChanged(const std::string& k, const Bytes& v, const Opt<Bytes>& p) override
    {
        Add("ByteArray", k, v, p);
    }
    void OnInt64Changed(const std::string& k, long long v, const Opt<long long>& p) override
    {
        Add("Int64", k, v, p);
    }
    void OnDoubleChanged(const std::string& k, double v, const Opt<double>& p) override
    {
        Add("Double", k, v, p);
    }

private:
    template <class T>
    void Add(const char* type, const std::string& key, const T& value, const Opt<T>& previous)
    {
        const Change change{name, type, key, Show(value), previous ? Was(Show(*previous)) : Previous()};
        log.push_back(change);
        if (then)
            then(change);
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
    const std::string key = "group/" + type.name;
    const auto heard = [&](int value, Previous previous)
    { return Heard("o", type.name, key, type.shown[value], previous); };
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
        EXPECT_EQ((Log{heard(0, {}), heard(1, Was(type.shown[0])), heard(0, {})}), log);
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
        EXPECT_EQ((Log{heard(1 - value, Was(type.shown[value]))}), log);
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
    EXPECT_EQ((Log{Heard("o", "Double", "n", "7", Was("5")), Heard("o", "String", "n", "text", Was("7")),
                   Heard("o", "Int", "n", "8", Was("0"))}),
              log);
}

TEST_F(SettingsObservers, StringIsStoredUpToTheFirstNulButObserversGetTheWholeArgument)
{
    SettingsManager store(NewFile("nul"), QSettings::IniFormat);
    store.RegisterObserver(&observer);
    const std::string withNul("ab\0cd", 5);
    store.SetString("s", withNul);
    EXPECT_EQ("ab", store.GetString("s", "default"));
    store.SetString("s", std::string("ab\0zz", 5)); // stores "ab" again: no change
    EXPECT_EQ((Log{Heard("o", "String", "s", withNul)}), log);
}

TEST_F(SettingsObservers, EachObserverHearsEachChangeOnceInRegistrationOrder)
{
    SettingsManager store(NewFile("order"), QSettings::IniFormat);
    Recorder x("x", log), y("y", log), z("z", log);
    store.RegisterObserver(&z);
    store.RegisterObserver(&x);
    store.RegisterObserver(&z);
    store.RegisterObserver(nullptr);
    store.RegisterObserver(&y);
    store.SetInt("k", 1);
    EXPECT_EQ((Log{Heard("z", "Int", "k", "1"), Heard("x", "Int", "k", "1"), Heard("y", "Int", "k", "1")}),
              log);
    log.clear();
    store.UnregisterObserver(&z); // once is enough, however often it registered
    store.UnregisterObserver(&z); // unknown now: changes nothing
    store.UnregisterObserver(nullptr);
    store.SetInt("k", 2);
    EXPECT_EQ((Log{Heard("x", "Int", "k", "2", Was("1")), Heard("y", "Int", "k", "2", Was("1"))}), log);
}

TEST_F(SettingsObservers, NestedSetFromAnObserverReachesEveryoneBeforeTheOuterDeliveryGoesOn)
{
    SettingsManager store(NewFile("nested"), QSettings::IniFormat);
    Recorder a("a", log), b("b", log);
    a.then = [&](const Change& change)
    {
        if (change.value == "150")
            store.SetInt("volume", 100); // a clamping observer
    };
    store.RegisterObserver(&a);
    store.RegisterObserver(&b);
    store.SetInt("volume", 150);
    EXPECT_EQ(100, store.GetInt("volume", 0));
    EXPECT_EQ((Log{Heard("a", "Int", "volume", "150"), Heard("a", "Int", "volume", "100", Was("150")),
                   Heard("b", "Int", "volume", "100", Was("150")), Heard("b", "Int", "volume", "150")}),
              log);
}

TEST_F(SettingsObservers, DeliveryGoesToTheObserversRegisteredWhenItBegan)
{
    SettingsManager store(NewFile("snapshot"), QSettings::IniFormat);
    Recorder a("a", log), b("b", log), late("late", log);
    a.then = [&](const Change& change)
    {
        if (change.value == "1")
        {
            store.RegisterObserver(&late);
            store.UnregisterObserver(&b);
        }
    };
    store.RegisterObserver(&a);
    store.RegisterObserver(&b);
    store.SetInt("k", 1);
    store.SetInt("k", 2);
    EXPECT_EQ((Log{Heard("a", "Int", "k", "1"), Heard("b", "Int", "k", "1"),
                   Heard("a", "Int", "k", "2", Was("1")), Heard("late", "Int", "k", "2", Was("1"))}),
              log);
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
        EXPECT_TRUE(log.empty());
        store.SetInt("g/a", 1);
        EXPECT_EQ((Log{Heard("o", "Int", "g/a", "1")}), log);
        store.Remove("");
        for (const char* key : {"g/a", "gx", "h"})
            EXPECT_FALSE(store.Contains(key)) << key;
        EXPECT_EQ(1u, log.size());
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
    {
        SettingsManager store(application, organization);
        store.SetString("who", "application first");
    }
    // Checked before another QSettings opens the pair: that one would write
    // out changes the store left pending in QSettings' shared cache.
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_EQ("application first",
              QSettings(organization, application).value("who").toString().toStdString());
    EXPECT_FALSE(QSettings(application, organization).contains("who"));
}

// ---- Files that are not what we wrote ----------------------------------------

using SettingsBadFiles = SettingsTest;

TEST_F(SettingsBadFiles, HandEditedFileReadsWithTheDocumentedConversionsAndKeepsItsKeys)
{
    const QString file = NewFile("handwritten");
    WriteFile(file, "stray text without an equals sign\n"
                    "volume=abc\nflag=maybe\nratio=1.2.3\ncount=5\nlist=a, b\n"
                    "\x01\x02\xfe\xff junk\n"
                    "[display]]junk after the header\nwidth=640\n"
                    "[unterminated\nheight=480\n");
    QVariantMap original;
    {
        const QSettings raw(DiskCopy(file), QSettings::IniFormat);
        for (const QString& key : raw.allKeys())
            original[key] = raw.value(key);
    }
    ASSERT_TRUE(original.contains("display/width") && original.contains("unterminated/height"))
        << original.size();
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
        EXPECT_TRUE(log.empty());
        store.SetInt("volume", 3);
        EXPECT_EQ((Log{Heard("o", "Int", "volume", "3", Was("0"))}), log);
    }
    const QSettings reread(DiskCopy(file), QSettings::IniFormat);
    for (auto it = original.cbegin(); it != original.cend(); ++it)
    {
        if (it.key() == "volume")
            continue;
        EXPECT_TRUE(it.value() == reread.value(it.key()))
            << it.key().toStdString() << ": " << it.value().toStringList().join('|').toStdString()
            << " became " << reread.value(it.key()).toStringList().join('|').toStdString();
    }
    EXPECT_EQ(3, reread.value("volume").toInt());
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
        {
            const std::string k = key.toStdString();
            if (k.empty())
                continue;
            store.GetBool(k, false);
            store.GetInt(k, 0);
            store.GetString(k, "");
            store.GetByteArray(k, {});
            store.GetInt64(k, 0);
            store.GetDouble(k, 0);
        }
        store.SetInt("probe/value", 42);
        EXPECT_EQ(42, store.GetInt("probe/value", 0));
        store.Remove("probe");
        EXPECT_FALSE(store.Contains("probe/value"));
    }
}

// ---- Threads ---------------------------------------------------------------

using SettingsThreads = SettingsTest;

TEST_F(SettingsThreads, SettersInSeveralThreadsDeliverEveryChangeOneAtATime)
{
    constexpr int threadCount = 4, setsPerThread = 200, keysPerThread = 8;
    SettingsManager store(NewFile("threads"), QSettings::IniFormat);
    // The log is a plain vector on purpose: only one delivery at a time may touch it.
    std::atomic<int> inside{0}, overlaps{0};
    observer.then = [&](const Change&)
    {
        overlaps += ++inside > 1;
        for (int i = 0; i < 50; ++i)
            std::this_thread::yield(); // room for another delivery to overlap, if one could
        --inside;
    };
    store.RegisterObserver(&observer);
    std::atomic<bool> go{false};
    std::atomic<int> misreads{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t)
        threads.emplace_back(
            [&, t]
            {
                while (!go)
                    std::this_thread::yield();
                for (int value = 0; value < setsPerThread; ++value)
                {
                    const std::string key =
                        "t" + std::to_string(t) + "/k" + std::to_string(value % keysPerThread);
                    store.SetInt(key, value);
                    misreads += store.GetInt(key, -1) != value;
                }
            });
    go = true;
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(0, overlaps.load());
    EXPECT_EQ(0, misreads.load());
    std::set<std::pair<std::string, std::string>> distinct;
    for (const Change& change : log)
    {
        distinct.emplace(change.key, change.value);
        const int value = std::stoi(change.value);
        EXPECT_EQ(Heard("o", "Int", change.key, change.value,
                        value < keysPerThread ? Previous() : Was(Show(value - keysPerThread))),
                  change);
    }
    EXPECT_EQ(size_t(threadCount * setsPerThread), distinct.size());
    EXPECT_EQ(distinct.size(), log.size());
}

} // namespace
