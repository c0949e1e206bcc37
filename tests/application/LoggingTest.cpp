#include "LogCapture.h"

#include <Kavrel/App/Application/Logging.h>
#include <Kavrel/Platform/FileSystem.h>

#include <limits>

namespace fs = std::filesystem;
using namespace std::chrono;
using Kavrel::App::InitLogging;

namespace
{
bool HasFileStartingWith(const fs::path& folder, const std::string& prefix)
{
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().rfind(prefix, 0) == 0 && !entry.is_symlink())
            return true;
    return false;
}

class InitLoggingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fs::create_directories(base);
        ::setenv("LOCALAPPDATA", base.c_str(), 1);
        ::unsetenv("GLOG_PRODUCT_NAME");
        ::setenv("USERNAME", "tester", 1);
    }
    void TearDown() override
    {
        if (google::IsGoogleLoggingInitialized())
            google::ShutdownGoogleLogging();
    }
    fs::path LogFolder(const std::string& product) const { return base / "Kavrel" / "Logs" / product; }

    Kavrel::Test::EnvironmentGuard guard{"LOCALAPPDATA", "USERPROFILE", "XDG_STATE_HOME",
                                         "HOME",         "USERNAME",    "USER"};
    const fs::path base = fs::path(Kavrel::Test::IsolatedRoot()) /
                          ::testing::UnitTest::GetInstance()->current_test_info()->name();
};

TEST_F(InitLoggingTest, choosesTheLogFolderFromTheProductName)
{
    for (const auto& [given, environment, folder] : {std::tuple(L"Плеер", "", "Плеер"),
                                                     {L"C:\\Programs\\Player", "", "Player"},
                                                     {L"a\\b/Player", "", "Player"},
                                                     {L"", "FromEnvironment", "FromEnvironment"},
                                                     {L"", "", "UnknownProduct"},
                                                     {L"..", "", "UnknownProduct"},
                                                     {L"", "a/..", "UnknownProduct"}})
    {
        *environment ? ::setenv("GLOG_PRODUCT_NAME", environment, 1) : ::unsetenv("GLOG_PRODUCT_NAME");
        ASSERT_TRUE(InitLogging(given, 0, 10)) << folder;
        EXPECT_TRUE(fs::is_directory(LogFolder(folder))) << folder;
        EXPECT_STREQ(std::getenv("KavrelLogPath"), (LogFolder(folder).string() + "/").c_str());
        google::ShutdownGoogleLogging();
    }
}

TEST_F(InitLoggingTest, writesEachSeverityFromTheLowestToItsOwnFileNamedAfterExecutableAndUser)
{
    ASSERT_TRUE(InitLogging(L"Player", 2, 10));
    LOG(INFO) << "info line";
    LOG(WARNING) << "warning line";
    LOG(ERROR) << "error line";
    google::FlushLogFiles(google::GLOG_INFO);
    for (const auto& [severity, written] : {std::pair("INFO.", false), {"WARNING.", false}, {"ERROR.", true}})
        EXPECT_EQ(HasFileStartingWith(LogFolder("Player"), std::string("LoggingTests.tester.") + severity),
                  written)
            << severity;
    google::ShutdownGoogleLogging();

    // The user part is one harmless piece of each file name, never a path.
    for (const auto& [user, part] : {std::pair<const char*, std::string>(nullptr, "UnknownUser"),
                                     {"a/../../../../x", "a_.._.._.._.._x"},
                                     {"dom\\user", "dom_user"}})
    {
        ::unsetenv("USER");
        user ? ::setenv("USERNAME", user, 1) : ::unsetenv("USERNAME");
        ASSERT_TRUE(InitLogging(L"Other", 0, 10));
        LOG(INFO) << "x";
        google::FlushLogFiles(google::GLOG_INFO);
        google::ShutdownGoogleLogging();
        EXPECT_TRUE(HasFileStartingWith(LogFolder("Other"), "LoggingTests." + part + ".INFO.")) << part;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(base), fs::directory_iterator()), 1);
}

TEST_F(InitLoggingTest, sweepsOnlyThisExecutablesLogsOlderThanTheLimit)
{
    const fs::path folder = LogFolder("Player");
    fs::create_directories(folder);
    for (const char* name :
         {"LoggingTests.tester.INFO.old", "Other.tester.INFO.old", "notes.txt", "LoggingTests.x"})
        std::ofstream(folder / name) << "old";
    // Exactly ten days after the first one was made, none is older than ten days.
    const auto made =
        Kavrel::Platform::GetFileCreationTime((folder / "LoggingTests.tester.INFO.old").string());
    ASSERT_TRUE(made && InitLogging(L"Player", 0, 10, *made + hours(24 * 10)));
    google::ShutdownGoogleLogging();
    EXPECT_TRUE(fs::exists(folder / "LoggingTests.tester.INFO.old") && fs::exists(folder / "LoggingTests.x"));
    // Day counts whose threshold would not be representable keep everything.
    for (const long long days : {std::numeric_limits<long long>::max(), 106751LL * 1000, -1LL})
    {
        ASSERT_TRUE(InitLogging(L"Player", 0, days, system_clock::now() + hours(24 * 10) + seconds(1)));
        google::ShutdownGoogleLogging();
        EXPECT_TRUE(fs::exists(folder / "LoggingTests.tester.INFO.old")) << days;
    }
    ASSERT_TRUE(InitLogging(L"Player", 0, 10, system_clock::now() + hours(24 * 10) + seconds(1)));
    EXPECT_FALSE(fs::exists(folder / "LoggingTests.x") ||
                 fs::exists(folder / "LoggingTests.tester.INFO.old"));
    EXPECT_TRUE(fs::exists(folder / "Other.tester.INFO.old") && fs::exists(folder / "notes.txt"));
}

TEST_F(InitLoggingTest, theBaseFolderFollowsTheEnvironmentAndWithoutAUsableOneLoggingFailsQuietly)
{
    ::unsetenv("LOCALAPPDATA");
    ::setenv("USERPROFILE", base.c_str(), 1);
    ASSERT_TRUE(InitLogging(L"Player", 0, 10));
    google::ShutdownGoogleLogging();
    EXPECT_TRUE(
        fs::is_directory(base / "Local settings" / "Application Data" / "Kavrel" / "Logs" / "Player"));

    std::ofstream(base / "a-file") << "not a folder";
    ::setenv("USERPROFILE", (base / "a-file").c_str(), 1);
    EXPECT_FALSE(InitLogging(L"Player", 0, 10));
    for (const char* variable : {"USERPROFILE", "XDG_STATE_HOME", "HOME"})
        ::unsetenv(variable);
    EXPECT_FALSE(InitLogging(L"Player", 0, 10));
    EXPECT_FALSE(google::IsGoogleLoggingInitialized());
}

} // namespace
