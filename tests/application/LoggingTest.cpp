#include "TestEnvironment.h"

#include <Kavrel/App/Application/Logging.h>

#include <glog/logging.h>
#include <gtest/gtest.h>

#include <QString>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using namespace std::chrono;

namespace
{
const char EXECUTABLE[] = "LoggingTests";

std::vector<std::string> FileNames(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool HasFileStartingWith(const fs::path& folder, const std::string& prefix)
{
    for (const auto& name : FileNames(folder))
        if (name.rfind(prefix, 0) == 0 && !fs::is_symlink(folder / name))
            return true;
    return false;
}

class CapturingSink : public google::LogSink
{
public:
    void send(google::LogSeverity severity, const char*, const char*, int, const google::LogMessageTime&,
              const char* message, size_t length) override
    {
        lines.emplace_back(severity, std::string(message, length));
    }
    std::vector<std::pair<google::LogSeverity, std::string>> lines;
};

class InitLoggingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        static int counter = 0;
        base = fs::path(Kavrel::Test::IsolatedRoot()) / ("logbase" + std::to_string(++counter));
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

    fs::path base;
};

struct NameCase
{
    std::wstring given;
    const char* environment; // GLOG_PRODUCT_NAME, or null for unset
    std::string folder;
};

class ProductNameTest : public InitLoggingTest, public ::testing::WithParamInterface<NameCase>
{
};

TEST_P(ProductNameTest, choosesTheLogFolderFromTheProductName)
{
    if (GetParam().environment)
        ::setenv("GLOG_PRODUCT_NAME", GetParam().environment, 1);
    ASSERT_TRUE(Kavrel::App::InitLogging(GetParam().given, 0, 10));
    const fs::path folder = LogFolder(GetParam().folder);
    EXPECT_TRUE(fs::is_directory(folder));
    ASSERT_NE(std::getenv("KavrelLogPath"), nullptr);
    EXPECT_EQ(std::string(std::getenv("KavrelLogPath")), folder.string() + "/");
}

INSTANTIATE_TEST_SUITE_P(Names, ProductNameTest,
                         ::testing::Values(NameCase{L"Player", nullptr, "Player"},
                                           NameCase{L"Плеер", nullptr, "Плеер"},
                                           NameCase{L"C:\\Programs\\Player", nullptr, "Player"},
                                           NameCase{L"a\\b/Player", nullptr, "Player"},
                                           NameCase{L"tools/Player", nullptr, "Player"},
                                           NameCase{L"", "FromEnvironment", "FromEnvironment"},
                                           NameCase{L"", nullptr, "UnknownProduct"}),
                         [](const ::testing::TestParamInfo<NameCase>& info)
                         {
                             return std::vector<std::string>({"plain", "cyrillic", "windows_path",
                                                              "mixed_separators", "unix_path",
                                                              "from_environment", "unknown"})[info.index];
                         });

TEST_F(InitLoggingTest, writesEachSeverityFromTheLowestToItsOwnFile)
{
    ASSERT_TRUE(Kavrel::App::InitLogging(L"Player", 2, 10));
    LOG(INFO) << "info line";
    LOG(WARNING) << "warning line";
    LOG(ERROR) << "error line";
    google::FlushLogFiles(google::GLOG_INFO);
    const fs::path folder = LogFolder("Player");
    const std::string prefix = std::string(EXECUTABLE) + ".tester.";
    EXPECT_FALSE(HasFileStartingWith(folder, prefix + "INFO."));
    EXPECT_FALSE(HasFileStartingWith(folder, prefix + "WARNING."));
    EXPECT_TRUE(HasFileStartingWith(folder, prefix + "ERROR."));
}

TEST_F(InitLoggingTest, withoutUserNameThePrefixEndsInADot)
{
    ::unsetenv("USERNAME");
    ::unsetenv("USER");
    ASSERT_TRUE(Kavrel::App::InitLogging(L"Player", 0, 10));
    LOG(INFO) << "x";
    google::FlushLogFiles(google::GLOG_INFO);
    EXPECT_TRUE(HasFileStartingWith(LogFolder("Player"), std::string(EXECUTABLE) + "..INFO."));
}

TEST_F(InitLoggingTest, sweepsOnlyThisExecutablesLogsOlderThanTheLimit)
{
    const fs::path folder = LogFolder("Player");
    fs::create_directories(folder);
    for (const char* name :
         {"LoggingTests.tester.INFO.old", "LoggingTests.x", "Other.tester.INFO.old", "notes.txt"})
        std::ofstream(folder / name) << "old";

    // Nine days on, nothing is old enough.
    ASSERT_TRUE(Kavrel::App::InitLogging(L"Player", 0, 10, system_clock::now() + hours(24 * 9)));
    google::ShutdownGoogleLogging();
    EXPECT_TRUE(fs::exists(folder / "LoggingTests.x"));

    // Ten days and a second on, this executable's files go; others stay.
    ASSERT_TRUE(
        Kavrel::App::InitLogging(L"Player", 0, 10, system_clock::now() + hours(24 * 10) + seconds(1)));
    EXPECT_FALSE(fs::exists(folder / "LoggingTests.tester.INFO.old"));
    EXPECT_FALSE(fs::exists(folder / "LoggingTests.x"));
    EXPECT_TRUE(fs::exists(folder / "Other.tester.INFO.old"));
    EXPECT_TRUE(fs::exists(folder / "notes.txt"));
}

TEST_F(InitLoggingTest, secondInitialisationWarnsAndChangesNothing)
{
    ASSERT_TRUE(Kavrel::App::InitLogging(L"Player", 0, 10));
    CapturingSink sink;
    google::AddLogSink(&sink);
    ::setenv("LOCALAPPDATA", (base / "elsewhere").c_str(), 1);
    EXPECT_FALSE(Kavrel::App::InitLogging(L"Other", 0, 10));
    google::RemoveLogSink(&sink);
    ASSERT_EQ(sink.lines.size(), 1u);
    EXPECT_EQ(sink.lines[0].first, google::GLOG_WARNING);
    EXPECT_EQ(sink.lines[0].second, "Attempt to re-initialize GLOG");
    EXPECT_FALSE(fs::exists(base / "elsewhere"));
}

TEST_F(InitLoggingTest, withoutAnyBaseFolderItFailsQuietly)
{
    for (const char* variable : {"LOCALAPPDATA", "USERPROFILE", "XDG_STATE_HOME", "HOME"})
        ::unsetenv(variable);
    EXPECT_FALSE(Kavrel::App::InitLogging(L"Player", 0, 10));
    EXPECT_FALSE(google::IsGoogleLoggingInitialized());
    ::setenv("HOME", (fs::path(Kavrel::Test::IsolatedRoot()) / "home").c_str(), 1);
}

TEST_F(InitLoggingTest, aBaseFolderThatCannotHoldFoldersFailsQuietly)
{
    const fs::path file = base / "a-file";
    std::ofstream(file) << "not a folder";
    ::setenv("LOCALAPPDATA", file.c_str(), 1);
    EXPECT_FALSE(Kavrel::App::InitLogging(L"Player", 0, 10));
    EXPECT_FALSE(google::IsGoogleLoggingInitialized());
}

TEST_F(InitLoggingTest, userProfileStandsInForLocalAppData)
{
    ::unsetenv("LOCALAPPDATA");
    ::setenv("USERPROFILE", base.c_str(), 1);
    ASSERT_TRUE(Kavrel::App::InitLogging(L"Player", 0, 10));
    ::unsetenv("USERPROFILE");
    EXPECT_TRUE(
        fs::is_directory(base / "Local settings" / "Application Data" / "Kavrel" / "Logs" / "Player"));
}

TEST(IsAcceptedQtMessage, dropsOnlyLowerCaseLibpngWarnings)
{
    EXPECT_FALSE(
        Kavrel::App::IsAcceptedQtMessage(QStringLiteral("libpng warning: iCCP: known incorrect sRGB")));
    EXPECT_TRUE(Kavrel::App::IsAcceptedQtMessage(QStringLiteral("LIBPNG WARNING: iCCP")));
    EXPECT_TRUE(Kavrel::App::IsAcceptedQtMessage(QStringLiteral("note: libpng warning")));
    EXPECT_TRUE(Kavrel::App::IsAcceptedQtMessage(QString()));
}
} // namespace
