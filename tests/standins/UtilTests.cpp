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
#include <filesystem>
#include <mutex>
#include <numeric>
#include <unistd.h>

using namespace std::string_literals;
namespace fs = std::filesystem;
using namespace Kavrel::Util;

// ---------------------------------------------------------------- conversions

TEST(UtilStringConversions, Utf8AndQStringRoundTrip)
{
    const std::string text = "Привет 漢字 \xF0\x9F\x98\x80 a\0b"s;
    EXPECT_EQ(Utf8ToQString(text), QString::fromUtf16(u"Привет 漢字 \U0001F600 a\0b", 16));
    EXPECT_EQ(QStringToUtf8(Utf8ToQString(text)), text);
    EXPECT_EQ(Utf8ToQString("x\xFF"), QString::fromUtf16(u"x\uFFFD"));
}

TEST(UtilStringConversions, BytesAreCopiedExactly)
{
    std::vector<unsigned char> bytes(256);
    std::iota(bytes.begin(), bytes.end(), 0);
    const QByteArray array = VectorByteToQByteArray(bytes);
    EXPECT_EQ(array, QByteArray(reinterpret_cast<const char*>(bytes.data()), 256));
    EXPECT_EQ(QByteArrayToVectorByte(array), bytes);
    EXPECT_TRUE(QByteArrayToVectorByte(VectorByteToQByteArray({})).empty());
}

// ---------------------------------------------------------------- process

TEST(UtilProcess, OwnProcessUnderANonAsciiLinkToItsExecutable)
{
    const unsigned long pid = CurrentProcessId();
    EXPECT_EQ(pid, static_cast<unsigned long>(::getpid()));
    const std::string link = Kavrel::Test::IsolatedRoot() + "/util-process-ссылка";
    fs::remove(link);
    fs::create_symlink(Kavrel::Platform::GetExecutablePath(), link);
    EXPECT_TRUE(IsProcessRunning(pid, QString::fromStdString(link)));
    EXPECT_FALSE(IsProcessRunning(pid, "/bin/sh"));
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
using Entries = std::vector<Entry>;

class CapturingSink : public google::LogSink
{
public:
    void send(google::LogSeverity severity, const char*, const char*, int, const google::LogMessageTime&,
              const char* message, size_t length) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        entries.push_back({severity, std::string(message, length)});
    }
    Entries Take()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return std::exchange(entries, {});
    }

private:
    std::mutex mutex;
    Entries entries;
};

// A handler of the product's own, to see what Qt gives back after Uninstall.
std::vector<std::string> ownHandlerMessages;
void OwnHandler(QtMsgType, const QMessageLogContext&, const QString& message)
{
    ownHandlerMessages.push_back(message.toStdString());
}

bool RejectAll(const QString&) { return false; }
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

TEST_F(UtilQtLogHandler, EachMessageReachesTheLogWithItsSeverity)
{
    handler.Install();
    qDebug("debug");
    qInfo("info");
    qWarning("Предупреждение");
    qCritical("critical");
    EXPECT_EQ(sink.Take(), (Entries{{google::GLOG_INFO, "debug"},
                                    {google::GLOG_INFO, "info"},
                                    {google::GLOG_WARNING, "Предупреждение"},
                                    {google::GLOG_ERROR, "critical"}}));
    EXPECT_TRUE(ownHandlerMessages.empty());
}

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
    EXPECT_EQ(sink.Take(), (Entries{{google::GLOG_WARNING, "public"}}));
    EXPECT_EQ(seen, (std::vector<std::string>{"public", "the secret", "noise here"}));
}

TEST_F(UtilQtLogHandler, UninstallRestoresThePreviousHandlerAndDropsFilters)
{
    handler.AddFilter(&RejectAll);
    handler.Uninstall(); // drops the filter though the handler was not installed
    handler.Install();
    EXPECT_TRUE(handler.IsInstalled());
    qInfo("no filter yet");
    handler.AddFilter(&RejectAll);
    handler.Uninstall();
    EXPECT_FALSE(handler.IsInstalled());
    qWarning("to our own handler");
    EXPECT_EQ(ownHandlerMessages, std::vector<std::string>{"to our own handler"});

    handler.Install();
    qInfo("filters are gone");
    EXPECT_EQ(sink.Take(),
              (Entries{{google::GLOG_INFO, "no filter yet"}, {google::GLOG_INFO, "filters are gone"}}));
    handler.Uninstall();
    EXPECT_EQ(qInstallMessageHandler(&OwnHandler), &OwnHandler);
}

TEST_F(UtilQtLogHandler, InstallingTwiceIsHarmless)
{
    handler.Install();
    handler.Install();
    qWarning("once");
    EXPECT_EQ(sink.Take(), (Entries{{google::GLOG_WARNING, "once"}}));

    // The second Install must not have taken itself for the previous handler.
    handler.Uninstall();
    qWarning("back home");
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
    EXPECT_EQ(sink.Take(),
              (Entries{{google::GLOG_INFO, "from the filter"}, {google::GLOG_WARNING, "after the filter"}}));
}

using UtilQtLogHandlerDeathTest = UtilQtLogHandler;

TEST_F(UtilQtLogHandlerDeathTest, FatalIsLoggedAsAnErrorBeforeQtAbortsWhateverTheFilters)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // Qt's own handler would print the bare text; the log line carries glog's
    // "E<date> <time> <thread> <file>:<line>]" prefix.
    EXPECT_DEATH(
        {
            qInstallMessageHandler(nullptr);
            QtLogHandler::GetInstance().Install();
            QtLogHandler::GetInstance().AddFilter(&RejectAll);
            qFatal("fatal %s", "marker");
        },
        "E[0-9]+ [^\n]*\\] fatal marker");
}
