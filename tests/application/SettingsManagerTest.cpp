// The settings store: typed values and their change notifications, observer
// bookkeeping during deliveries, removal, both ways to open a store, files
// edited by hand, setters running in several threads, and key listings.
#include "TestApp.h"

#include <QSettings>

#include <climits>
#include <numeric>

using namespace Kavrel::App;
using Kavrel::Test::NewSettingsFile;
using Kavrel::Test::Show;
using Bytes = std::vector<unsigned char>;
using Log = std::vector<std::string>;
using Recorder = Kavrel::Test::SettingsRecorder;

namespace
{
// A copy on a new path: a store opened on it reads what reached the disk,
// not QSettings' in-process cache of the original file.
QString DiskCopy(const QString& file)
{
    QFile source(file);
    return source.open(QIODevice::ReadOnly) ? NewSettingsFile(source.readAll().toStdString())
                                            : "<unreadable>";
}

class SettingsTest : public ::testing::Test
{
protected:
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

class SettingsValueTypes : public SettingsTest, public ::testing::WithParamInterface<TypeCase>
{
};

TEST_P(SettingsValueTypes, realChangesAreAnnouncedOnceAndSurviveReopening)
{
    const TypeCase& type = GetParam();
    const std::string key = "group/" + type.name, heard = "o " + type.name + " " + key + "=";
    QString file = NewSettingsFile();
    {
        SettingsManager store(file, QSettings::IniFormat);
        store.RegisterObserver(&observer);
        EXPECT_EQ(type.get(store, key, 0) + "|" + type.get(store, key, 1),
                  type.shown[0] + "|" + type.shown[1]);
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

// The first value of each is the type's empty value: stored, it is no default.
INSTANTIATE_TEST_SUITE_P(
    AllTypes, SettingsValueTypes,
    ::testing::Values(
        Row("Bool", false, true, &ISettingsManager::SetBool, &ISettingsManager::GetBool),
        Row("Int", 0, INT_MIN, &ISettingsManager::SetInt, &ISettingsManager::GetInt),
        Row("String", std::string(), std::string("@Variant(x) Grüße, ✓ = ; \"q\" \\ [x]"),
            &ISettingsManager::SetString, &ISettingsManager::GetString),
        Row("ByteArray", Bytes(), AllByteValues(), &ISettingsManager::SetByteArray,
            &ISettingsManager::GetByteArray),
        Row("Int64", (1LL << 53) + 1, LLONG_MIN, &ISettingsManager::SetInt64, &ISettingsManager::GetInt64),
        Row("Double", 0.1 + 0.2, -1e-300, &ISettingsManager::SetDouble, &ISettingsManager::GetDouble)),
    [](const ::testing::TestParamInfo<TypeCase>& info) { return info.param.name; });

// ---- Notifications ---------------------------------------------------------

using SettingsObservers = SettingsTest;

TEST_F(SettingsObservers, equalAfterConversionOrUpToTheFirstNulIsNoChangeAndPreviousComesInTheSettersType)
{
    SettingsManager store(NewSettingsFile(), QSettings::IniFormat);
    store.SetInt("n", 5);
    store.RegisterObserver(&observer);
    store.SetInt64("n", 5);
    store.SetDouble("n", 5.0);
    store.SetString("n", "5");
    store.SetString("", "x"); // the store keeps no value under an empty key
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(store.Contains(""));
    store.SetDouble("n", 7.0);
    store.SetString("n", "text");
    store.SetInt("n", 8);
    // Text is stored up to its first NUL, but observers get the whole argument.
    const std::string withNul("ab\0cd", 5);
    store.SetString("s", withNul);
    EXPECT_EQ("ab", store.GetString("s", "default"));
    store.SetString("s", std::string("ab\0zz", 5));
    EXPECT_EQ(
        (Log{"o Double n=7 was 5", "o String n=text was 7", "o Int n=8 was 0", "o String s=" + withNul}),
        log);
}

// A nested change reaches every observer before the outer delivery goes on.
TEST_F(SettingsObservers, eachHearsEachChangeOnceInRegistrationOrderFromTheObserversRegisteredWhenItBegan)
{
    SettingsManager store(NewSettingsFile(), QSettings::IniFormat);
    Recorder x("x", log), y("y", log), z("z", log), late("late", log);
    for (Recorder* recorder : {&z, &x, &z, static_cast<Recorder*>(nullptr), &y})
        store.RegisterObserver(recorder);
    x.then = [&](const std::string& value)
    {
        if (value == "2")
        {
            store.RegisterObserver(&late);
            store.UnregisterObserver(&y);
        }
        if (value == "150")
            store.SetInt("volume", 100); // a clamping observer
    };
    store.SetInt("k", 1);
    store.UnregisterObserver(&z); // once is enough, however often it registered
    store.UnregisterObserver(&z); // unknown now: changes nothing
    store.UnregisterObserver(nullptr);
    store.SetInt("k", 2);
    store.SetInt("k", 3);
    store.SetInt("volume", 150);
    EXPECT_EQ(100, store.GetInt("volume", 0));
    EXPECT_EQ((Log{"z Int k=1", "x Int k=1", "y Int k=1", "x Int k=2 was 1", "y Int k=2 was 1",
                   "x Int k=3 was 2", "late Int k=3 was 2", "x Int volume=150", "x Int volume=100 was 150",
                   "late Int volume=100 was 150", "late Int volume=150"}),
              log);
}

// ---- Removal, opening and files edited by hand --------------------------------

// Keys below a group are listed relative to it.
TEST_F(SettingsTest, removeTakesAGroupWithEverythingBelowItAndTellsNobody)
{
    const QString file = NewSettingsFile();
    {
        SettingsManager store(file, QSettings::IniFormat);
        store.SetInt("g/a", 1);
        store.SetString("g/b/deep", "x");
        store.SetInt("gx", 2); // starts with "g" but is not below it
        store.SetInt("h", 3);
        EXPECT_EQ(store.GetKeys("g"), (std::vector<std::string>{"a", "b/deep"}));
        EXPECT_EQ(store.GetKeys("/g/"), store.GetKeys("g"));
        EXPECT_EQ(store.GetKeys("").size(), 4u);
        EXPECT_TRUE(store.GetKeys("none").empty());
        store.RegisterObserver(&observer);
        store.Remove("g");
        EXPECT_EQ(std::make_tuple(store.Contains("g/a"), store.Contains("g/b/deep"), store.Contains("gx"),
                                  store.Contains("h")),
                  std::make_tuple(false, false, true, true));
        store.SetInt("g/a", 1);
        store.Remove("");
        EXPECT_FALSE(store.Contains("g/a") || store.Contains("gx") || store.Contains("h"));
        EXPECT_EQ(Log{"o Int g/a=1"}, log);
        store.SetInt("after", 4);
    }
    const SettingsManager reopened(DiskCopy(file), QSettings::IniFormat);
    EXPECT_FALSE(reopened.Contains("h"));
    EXPECT_EQ(4, reopened.GetInt("after", 0));
}

TEST_F(SettingsTest, handEditedFileReadsWithTheDocumentedConversions)
{
    SettingsManager store(NewSettingsFile("stray text without an equals sign\n"
                                          "volume=abc\nflag=maybe\nratio=1.2.3\ncount=5\nlist=a, b\n"
                                          "\x01\x02\xfe\xff junk\n"
                                          "[display]]junk after the header\nwidth=640\n"
                                          "[unterminated\nheight=480\n"),
                          QSettings::IniFormat);
    store.RegisterObserver(&observer);
    // Text that is no number reads as 0, not as the default; a list converts to neither text nor
    // bytes; as text to bool, everything but "", "0" and "false" is true.
    EXPECT_EQ(std::make_tuple(store.GetInt("volume", 7), store.GetInt64("volume", 7),
                              store.GetInt("missing", 7), store.GetDouble("ratio", 0.5),
                              store.GetString("list", "default"), store.GetByteArray("list", Bytes{1}),
                              store.GetInt("display/width", 0), store.GetInt("unterminated/height", 0),
                              store.GetBool("flag", false), store.GetInt("count", 7)),
              std::make_tuple(0, 0LL, 7, 0.0, std::string(), Bytes(), 640, 480, true, 5));
    // The setters agree with the getters: no change.
    store.SetBool("flag", true);
    store.SetInt("count", 5);
    store.SetInt("volume", 3);
    EXPECT_EQ(Log{"o Int volume=3 was 0"}, log);
}

TEST_F(SettingsTest, settersInSeveralThreadsDeliverEveryChangeOneAtATimeInTheOrderWritten)
{
    SettingsManager store(NewSettingsFile(), QSettings::IniFormat);
    // The log is a plain vector on purpose: only one delivery at a time may touch it.
    std::atomic<int> inside{0}, overlaps{0};
    observer.then = [&](const std::string&)
    {
        overlaps += ++inside > 1;
        for (int i = 0; i < 50; ++i)
            std::this_thread::yield(); // room for another delivery to overlap, if one could
        --inside;
    };
    store.RegisterObserver(&observer);
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back(
            [&store, t]
            {
                for (int value = t * 200; value < (t + 1) * 200; ++value)
                    store.SetInt("k" + std::to_string(value % 3), value);
            });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(overlaps.load(), 0);
    // Every set was a change. Per key, each announcement names the one before
    // it as the previous value, and the last one is what the store holds.
    EXPECT_EQ(log.size(), 1600u);
    std::map<std::string, std::string> last;
    for (const std::string& entry : log)
    {
        const std::string key = entry.substr(6, 2), value = entry.substr(9, entry.find(' ', 9) - 9);
        EXPECT_EQ("o Int " + key + "=" + value + (last.count(key) ? " was " + last[key] : ""), entry);
        last[key] = value;
    }
    for (const auto& [key, value] : last)
        EXPECT_EQ(value, std::to_string(store.GetInt(key, -1))) << key;
}
} // namespace
