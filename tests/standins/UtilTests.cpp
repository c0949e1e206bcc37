// Tests of the Qt-side utilities: conversions, process queries and the
// routing of Qt's diagnostic messages into the log.
#include "StandinSupport.h"
#include "TestEnvironment.h"

#include <Kavrel/Platform/Process.h>
#include <Kavrel/Util/Process.h>
#include <Kavrel/Util/QtLogHandler.h>
#include <Kavrel/Util/StringConversions.h>

#include <gtest/gtest.h>

#include <glog/logging.h>

#include <QtDebug>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <unistd.h>

using namespace std::string_literals;
namespace fs = std::filesystem;
using namespace Kavrel::Util;

// ---------------------------------------------------------------- conversions

TEST(UtilStringConversions, Utf8AndQStringRoundTrip)
{
    const std::string text = "Привет 漢字 \xF0\x9F\x98\x80";
    const QString converted = Utf8ToQString(text);
    EXPECT_EQ(converted, QString::fromUtf16(u"Привет 漢字 \U0001F600"));
    EXPECT_EQ(converted.size(), 12); // the emoji takes two UTF-16 units
    EXPECT_EQ(QStringToUtf8(converted), text);

    const QString withNul = Utf8ToQString("a\0b"s);
    ASSERT_EQ(withNul.size(), 3);
    EXPECT_EQ(withNul.at(1), QChar(0));
    EXPECT_EQ(QStringToUtf8(withNul), "a\0b"s);
    EXPECT_EQ(Utf8ToQString("x\xFF"), QString::fromUtf16(u"x\uFFFD"));
}

TEST(UtilStringConversions, BytesAreCopiedExactly)
{
    std::vector<unsigned char> bytes;
    for (int value = 0; value < 256; ++value)
        bytes.push_back(static_cast<unsigned char>(value));
    bytes.insert(bytes.end(), {0, 0, 0x80, 0});
    const QByteArray array = VectorByteToQByteArray(bytes);
    ASSERT_EQ(array.size(), static_cast<int>(bytes.size()));
    EXPECT_EQ(std::memcmp(array.constData(), bytes.data(), bytes.size()), 0);
    EXPECT_EQ(QByteArrayToVectorByte(array), bytes);
    EXPECT_TRUE(VectorByteToQByteArray({}).isEmpty());
    EXPECT_TRUE(QByteArrayToVectorByte(QByteArray()).empty());
}

// ---------------------------------------------------------------- process

TEST(UtilProcess, OwnProcessAndExecutable)
{
    const unsigned long pid = CurrentProcessId();
    EXPECT_EQ(pid, static_cast<unsigned long>(::getpid()));
    const std::string self = Kavrel::Platform::GetExecutablePath();
    EXPECT_TRUE(IsProcessRunning(pid, QString::fromStdString(self)));

    const std::string folder = Kavrel::Test::IsolatedRoot() + "/util-process";
    fs::remove_all(folder);
    fs::create_directories(folder);
    fs::create_symlink(self, folder + "/plain-link");
    fs::create_symlink(self, folder + "/ссылка");
    EXPECT_TRUE(IsProcessRunning(pid, QString::fromStdString(folder + "/plain-link")));
    EXPECT_TRUE(IsProcessRunning(pid, QString::fromStdString(folder + "/ссылка")));
    EXPECT_FALSE(IsProcessRunning(pid, "/bin/sh"));
    EXPECT_FALSE(IsProcessRunning(0, QString::fromStdString(self)));
}

// ---------------------------------------------------------------- QtLogHandler

namespace
{
struct Entry
{
    google::LogSeverity severity;
    std::string text;
    bool operator==(const Entry& other) const { return severity == other.severity && text == other.text; }
    friend std::ostream& operator<<(std::ostream& out, const Entry& e)
    {
        return out << e.severity << ": " << e.text;
    }
};

class CapturingSink : public google::LogSink
{
public:
    void send(google::LogSeverity severity, const char*, const char*, int, const google::LogMessageTime&,
              const char* message, size_t length) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        entries.push_back({severity, std::string(message, length)});
    }

    std::vector<Entry> Take()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return std::exchange(entries, {});
    }

private:
    std::mutex mutex;
    std::vector<Entry> entries;
};

// A handler of the product's own, to see what Qt gives back after Uninstall.
std::vector<std::string> ownHandlerMessages;
void OwnHandler(QtMsgType, const QMessageLogContext&, const QString& message)
{
    ownHandlerMessages.push_back(message.toStdString());
}
} // namespace

class UtilQtLogHandler : public ::testing::Test
{
protected:
    QtLogHandler& handler = QtLogHandler::GetInstance();
    CapturingSink sink;
    QtMessageHandler original = nullptr;

    void SetUp() override
    {
        ownHandlerMessages.clear();
        original = qInstallMessageHandler(&OwnHandler);
        google::AddLogSink(&sink);
    }
    void TearDown() override
    {
        handler.Uninstall();
        google::RemoveLogSink(&sink);
        qInstallMessageHandler(original);
    }
};

struct SeverityCase
{
    const char* name;
    void (*produce)(const char* text);
    google::LogSeverity expected;
    friend std::ostream& operator<<(std::ostream& out, const SeverityCase& c) { return out << c.name; }
};

class UtilQtLogHandlerSeverity : public UtilQtLogHandler, public ::testing::WithParamInterface<SeverityCase>
{
};

TEST_P(UtilQtLogHandlerSeverity, MessageReachesTheLogWithItsSeverity)
{
    handler.Install();
    const std::string text = "Сообщение " + std::string(GetParam().name);
    GetParam().produce(text.c_str());
    EXPECT_EQ(sink.Take(), (std::vector<Entry>{{GetParam().expected, text}}));
    EXPECT_TRUE(ownHandlerMessages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, UtilQtLogHandlerSeverity,
    ::testing::Values(
        SeverityCase{"Debug", [](const char* text) { qDebug("%s", text); }, google::GLOG_INFO},
        SeverityCase{"Info", [](const char* text) { qInfo("%s", text); }, google::GLOG_INFO},
        SeverityCase{"Warning", [](const char* text) { qWarning("%s", text); }, google::GLOG_WARNING},
        SeverityCase{"Critical", [](const char* text) { qCritical("%s", text); }, google::GLOG_ERROR}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(UtilQtLogHandler, FiltersDropMessages)
{
    handler.Install();
    std::vector<std::string> seen;
    handler.AddFilter(
        [&seen](const QString& message)
        {
            seen.push_back(message.toStdString());
            return !message.contains("secret");
        });
    handler.AddFilter(QtLogHandler::Filter()); // an empty filter is skipped
    handler.AddFilter([](const QString& message) { return !message.startsWith("noise"); });
    qWarning("public");
    qWarning("the secret");
    qWarning("noise here");
    EXPECT_EQ(sink.Take(), (std::vector<Entry>{{google::GLOG_WARNING, "public"}}));
    EXPECT_EQ(seen, (std::vector<std::string>{"public", "the secret", "noise here"}));
}

TEST_F(UtilQtLogHandler, UninstallRestoresThePreviousHandlerAndDropsFilters)
{
    handler.Install();
    EXPECT_TRUE(handler.IsInstalled());
    handler.AddFilter([](const QString&) { return false; });
    handler.Uninstall();
    EXPECT_FALSE(handler.IsInstalled());
    qWarning("to our own handler");
    EXPECT_TRUE(sink.Take().empty());
    EXPECT_EQ(ownHandlerMessages, std::vector<std::string>{"to our own handler"});

    handler.Install();
    qInfo("filters are gone");
    EXPECT_EQ(sink.Take(), (std::vector<Entry>{{google::GLOG_INFO, "filters are gone"}}));
    handler.Uninstall();
    EXPECT_EQ(qInstallMessageHandler(&OwnHandler), &OwnHandler);
}

TEST_F(UtilQtLogHandler, InstallingTwiceIsHarmless)
{
    handler.Install();
    handler.Install();
    qWarning("once");
    EXPECT_EQ(sink.Take(), (std::vector<Entry>{{google::GLOG_WARNING, "once"}}));

    // The second Install must not have taken itself for the previous handler.
    handler.Uninstall();
    qWarning("back home");
    EXPECT_TRUE(sink.Take().empty());
    EXPECT_EQ(ownHandlerMessages, std::vector<std::string>{"back home"});
}

TEST_F(UtilQtLogHandler, FilterMayLogAndAddFilters)
{
    handler.Install();
    auto added = std::make_shared<std::atomic<bool>>(false);
    handler.AddFilter(
        [added](const QString&)
        {
            if (!added->exchange(true))
            {
                LOG(INFO) << "from the filter";
                QtLogHandler::GetInstance().AddFilter([](const QString&) { return true; });
            }
            return true;
        });
    if (!Kavrel::Test::FinishesWithin([] { qWarning("after the filter"); }))
    {
        // The handler's lock is stuck: any further use of it, TearDown included, would hang.
        ADD_FAILURE() << "a filter deadlocked the handler";
        std::fflush(stdout);
        std::_Exit(1);
    }
    EXPECT_EQ(sink.Take(), (std::vector<Entry>{{google::GLOG_INFO, "from the filter"},
                                               {google::GLOG_WARNING, "after the filter"}}));
}

using UtilQtLogHandlerDeathTest = UtilQtLogHandler;

TEST_F(UtilQtLogHandlerDeathTest, FatalIsLoggedAsAnErrorBeforeQtAborts)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // Qt's own handler would print the bare text; the log line carries glog's
    // "E<date> <time> <thread> <file>:<line>]" prefix.
    EXPECT_DEATH(
        {
            qInstallMessageHandler(nullptr);
            QtLogHandler::GetInstance().Install();
            qFatal("fatal %s", "marker");
        },
        "E[0-9]+ [^\n]*\\] fatal marker");
}
