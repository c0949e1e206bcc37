// A store follows its file: what another process saves reaches this one's
// getters and observers; a file cut short or damaged is not announced.
#include "LogCapture.h"
#include "TestApp.h"

#include <QTest>

using namespace Kavrel::App;
using Log = std::vector<std::string>;

namespace
{
// Another process saves the values through a store of its own.
void SaveElsewhere(const QString& file, std::vector<std::string> pairs)
{
    pairs.insert(pairs.begin(), {KAVREL_TEST_HELPER, "set", file.toStdString()});
    ASSERT_EQ(0, Kavrel::Test::RunProcess(pairs).exitCode);
}

bool WaitForLog(const Log& log, size_t size)
{
    return QTest::qWaitFor([&] { return log.size() >= size; }, 5000);
}

class SettingsFollow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        static int count = 0;
        file = QString::fromStdString(Kavrel::Test::WriteFile(
            Kavrel::Test::IsolatedRoot() + "/follow" + std::to_string(++count) + ".ini", ""));
        store = std::make_unique<SettingsManager>(file, QSettings::IniFormat);
        store->SetString("look/theme", "light");
        store->SetInt("count", 1);
        EXPECT_EQ(0, store->GetInt64("stamp", 0)); // not there yet: read as a 64-bit number
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest); // saved
        store->RegisterObserver(&observer);
    }

    QString file;
    std::unique_ptr<SettingsManager> store;
    Log log;
    Kavrel::Test::SettingsRecorder observer{"", log};
};

// Each key in the type this process uses it; a key it never used comes as
// text. Only real changes, in key order, each once.
TEST_F(SettingsFollow, AnotherProcessesSaveReachesObserversOnceInKeyOrderWithThePreviousValue)
{
    SaveElsewhere(file, {"look/theme=dark", "count=1", "stamp=17", "other=x"});
    ASSERT_TRUE(WaitForLog(log, 3));
    EXPECT_EQ((Log{"String look/theme=dark was light", "String other=x", "Int64 stamp=17"}), log);
    EXPECT_EQ("dark", store->GetString("look/theme", ""));
    EXPECT_EQ(17, store->GetInt64("stamp", 0));

    // A later save announces only what it changed; our own changes are ours.
    store->SetInt("count", 2);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    SaveElsewhere(file, {"look/theme=night"});
    ASSERT_TRUE(WaitForLog(log, 5));
    EXPECT_EQ((Log{"Int count=2 was 1", "String look/theme=night was dark"}),
              Log(log.begin() + 3, log.end()));
    EXPECT_EQ(2, store->GetInt("count", 0));
}

// A file written in place and cut short, or one that is no settings file,
// is not taken as values; the next whole save is.
TEST_F(SettingsFollow, AFileCutShortOrDamagedIsNotAnnounced)
{
    struct Bad
    {
        std::string content, logged;
    };
    for (const Bad& bad : {Bad{"[General]\nlook%2Ftheme=da", "its last line is incomplete"},
                           Bad{"[unterminated\nlook/theme=evil\n", "it is no settings file"}})
    {
        Kavrel::Test::LogCapture capture;
        Kavrel::Test::WriteFile(file.toStdString(), bad.content);
        ASSERT_TRUE(QTest::qWaitFor(
            [&]
            {
                for (const std::string& line : capture.lines)
                    if (line.find(bad.logged) != std::string::npos)
                        return true;
                return false;
            },
            5000))
            << bad.logged;
        EXPECT_TRUE(log.empty()) << log.front();
        EXPECT_EQ("light", store->GetString("look/theme", ""));
    }
    Kavrel::Test::WriteFile(file.toStdString(), "[look]\ntheme=dark\n");
    ASSERT_TRUE(WaitForLog(log, 1));
    EXPECT_EQ(Log{"String look/theme=dark was light"}, log);
}
} // namespace
