// Tests of the stand-in libraries (Core, Util) and of the operating-system
// layer (Platform) under them, on its POSIX backend.
#include "LogCapture.h"
#include "TestEnvironment.h"

#include <Kavrel/Core/EventHandlerList.h>
#include <Kavrel/Core/SyncExecutePolicy.h>
#include <Kavrel/Core/Utf.h>
#include <Kavrel/Platform/Environment.h>
#include <Kavrel/Platform/FileSystem.h>
#include <Kavrel/Platform/NamedMutex.h>
#include <Kavrel/Platform/Process.h>
#include <Kavrel/Platform/ProcessStarter.h>
#include <Kavrel/Platform/RuntimeFolder.h>
#include <Kavrel/Platform/Utf8.h>
#include <Kavrel/Util/QtLogHandler.h>

#include <QtDebug>

#include <climits>
#include <poll.h>
#include <stdexcept>
#include <sys/statvfs.h>
#include <sys/syscall.h>

using namespace std::string_literals;
namespace fs = std::filesystem;
namespace Platform = Kavrel::Platform;
using Kavrel::Core::Utf8FromWstring;
using Kavrel::Core::WstringFromUtf8;
using Kavrel::Test::Child;
using Kavrel::Test::EnvironmentGuard;
using Kavrel::Test::RunProcess;
using Kavrel::Util::QtLogHandler;
using Platform::NamedMutex;
using Lines = std::vector<std::string>;

// ---------------------------------------------------------------- Platform

namespace
{
const std::string HELPER = KAVREL_TEST_HELPER;

// U+FFFD, count times.
std::string R(int count) { return count > 0 ? "\xEF\xBF\xBD" + R(count - 1) : ""; }

std::string FreshFolder(const std::string& name)
{
    const std::string folder = Kavrel::Test::IsolatedRoot() + "/" + name;
    fs::create_directories(folder);
    ::chmod(folder.c_str(), 0700);
    return folder;
}

std::string ReadWhole(const std::string& path)
{
    return std::string(std::istreambuf_iterator<char>(std::ifstream(path).rdbuf()), {});
}

// Holders share a name. Taking it on another thread makes a holder that wrongly
// shuts others out fail the test instead of blocking it.
bool CanTakeWithoutBlocking(const std::string& name)
{
    auto held = std::make_shared<std::atomic<bool>>(false);
    return Kavrel::Test::FinishesWithin([name, held] { *held = NamedMutex(name).IsHeld(); }) && *held;
}
} // namespace

TEST(PlatformMakeValidUtf8, KeepsValidTextAndReplacesEachByteThatStartsNoValidSequence)
{
    // The first and last code point of each sequence length, and an embedded NUL.
    const std::string valid =
        "Привет 漢字 \xF0\x9F\x98\x80 \xC2\x80\xDF\xBF \xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80 "
        "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF a\0b"s;
    EXPECT_EQ(Platform::MakeValidUtf8(valid), valid);
    // One U+FFFD per bad byte keeps the damage visible and swallows no following character.
    for (const auto& [input, expected] : std::initializer_list<std::pair<std::string, std::string>>{
             {"\xE6\xBCx\xF0\x9FЯ\xF0\x9F\x98", R(2) + "x" + R(2) + "Я" + R(3)},  // truncated sequences
             {"\xC0\xAF\xC1\xBF\xE0\x80\xAF\xF0\x80\x80\xAF", R(11)},             // overlong forms
             {"\xED\xA0\x80\xED\xBF\xBF\xF4\x90\x80\x80\xF5\x80\x80\x80", R(14)}, // surrogates, past U+10FFFF
             {"\x80z\xBFq\xFEr\xFFsПр\xFFивет",
              R(1) + "z" + R(1) + "q" + R(1) + "r" + R(1) + "sПр" + R(1) + "ивет"}})
        EXPECT_EQ(Platform::MakeValidUtf8(input), expected) << testing::PrintToString(input);
    // "Я" cannot be read as a continuation, so it must survive any pair before it.
    for (int pair = 0; pair < 0x10000; ++pair)
    {
        const std::string input = "a"s + static_cast<char>(pair >> 8) + static_cast<char>(pair) + "Я";
        const std::string output = Platform::MakeValidUtf8(input);
        ASSERT_TRUE(output.size() >= input.size() && output.front() == 'a' &&
                    output.substr(output.size() - 2) == "Я" && Platform::MakeValidUtf8(output) == output)
            << std::hex << pair;
    }
}

TEST(PlatformEnvironment, UserNameAndAppDataFolderSkipEmptyAndUnsetVariables)
{
    EnvironmentGuard guard{"USERNAME", "USER", "LOCALAPPDATA", "USERPROFILE", "XDG_STATE_HOME", "HOME"};
    ::setenv("USERNAME", "", 1);
    ::setenv("USER", "posix", 1);
    EXPECT_EQ(Platform::GetUserName(), "posix");
    // Each step empties the variable that decided the step before.
    const std::tuple<const char*, const char*, std::string> chain[] = {
        {"LOCALAPPDATA", "/l", "/l"},
        {"USERPROFILE", "/p", "/p/Local settings/Application Data"},
        {"XDG_STATE_HOME", "/s/Состояние", "/s/Состояние"},
        {"HOME", "/h", "/h/.local/state"}};
    for (const auto& [name, value, expected] : chain)
        ::setenv(name, value, 1);
    for (const auto& [name, value, expected] : chain)
    {
        EXPECT_EQ(Platform::GetLocalAppDataFolder(), expected) << name;
        ::setenv(name, "", 1);
    }
    EXPECT_EQ(Platform::GetLocalAppDataFolder(), std::nullopt);
}

TEST(PlatformFileSystem, WritableDirectory)
{
    const std::string folder = FreshFolder("writable");
    std::ofstream(folder + "/file") << "x";
    fs::create_directory_symlink(folder, folder + "/link");
    EXPECT_TRUE(Platform::IsWritableDirectory(folder) && Platform::IsWritableDirectory(folder + "/link"));
    EXPECT_FALSE(Platform::IsWritableDirectory(folder + "/file") ||
                 Platform::IsWritableDirectory(folder + "/missing"));
}

// Asked by an unprivileged child that owns the folder: root may write anywhere.
TEST(PlatformFileSystem, ReadOnlyDirectoryIsNotWritable)
{
    const std::string folder = Kavrel::Test::UnprivilegedFolder("read-only");
    for (const auto& [mode, answer] : {std::pair(0700, "writable\n"), std::pair(0500, "not writable\n")})
    {
        ASSERT_EQ(::chmod(folder.c_str(), mode), 0);
        EXPECT_EQ(RunProcess({HELPER, "writable", folder}, {}, true).output, answer) << std::oct << mode;
    }
}

TEST(PlatformRuntimeFolder, PrivateXdgFolderElsePrivateTempFolderElseNothing)
{
    EnvironmentGuard guard{"XDG_RUNTIME_DIR", "TMPDIR"};
    const std::string temp = FreshFolder("runtime-temp"), runtime = FreshFolder("runtime-xdg");
    const std::string fallback = temp + "/kavrel-" + std::to_string(::getuid());
    ::setenv("TMPDIR", temp.c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    EXPECT_EQ(Platform::GetRuntimeFolder(), runtime);
    EXPECT_FALSE(fs::exists(fallback));
    ::chmod(runtime.c_str(), 0750); // others may look in: not private
    EXPECT_EQ(Platform::GetRuntimeFolder(), fallback);
    EXPECT_EQ(fs::symlink_status(fallback).permissions(), fs::perms::owner_all);
    ::chmod(fallback.c_str(), 0777);
    EXPECT_EQ(Platform::GetRuntimeFolder(), "") << "a folder others can write into";
    fs::remove(fallback);
    fs::create_directory_symlink(FreshFolder("runtime-elsewhere"), fallback);
    EXPECT_EQ(Platform::GetRuntimeFolder(), "") << "a link planted in its place";
    ::setenv("TMPDIR", (temp + "/does/not/exist").c_str(), 1);
    EXPECT_EQ(Platform::GetRuntimeFolder() + NamedMutex::LockFilePath("name"), "");
    EXPECT_FALSE(NamedMutex("name").IsHeld() || NamedMutex::IsHeldByAnyone("name"));
}

TEST(PlatformNamedMutex, HoldersShareANameInsideTheRuntimeFolderWhichAChildSeesButDoesNotInherit)
{
    const std::string folder = Platform::GetRuntimeFolder();
    EXPECT_EQ(NamedMutex::LockFilePath("App/Instance\\1"), folder + "/App_Instance_1.lock");
    EXPECT_EQ(fs::path(NamedMutex::LockFilePath("../../etc/passwd")).parent_path(), fs::path(folder));
    EXPECT_EQ(NamedMutex::LockFilePath(""), "");
    // Checking must leave the name free for holders, and a hold must not shut out other holders.
    EXPECT_FALSE(NamedMutex::IsHeldByAnyone("shared"));
    ASSERT_TRUE(CanTakeWithoutBlocking("shared"));
    EXPECT_EQ(RunProcess({HELPER, "probe", "shared"}).output, "free\n");
    auto mutex = std::make_unique<NamedMutex>("shared");
    ASSERT_TRUE(mutex->IsHeld());
    EXPECT_TRUE(CanTakeWithoutBlocking("shared"));
    // Letting go of another holder's file must not drop this hold.
    EXPECT_EQ(RunProcess({HELPER, "probe", "shared"}).output, "held\n");
    Child started({HELPER, "wait"}); // a program the product started, such as a browser
    ASSERT_EQ(started.ReadLine(), "ready");
    mutex.reset();
    EXPECT_FALSE(NamedMutex::IsHeldByAnyone("shared"));

    Child holder({HELPER, "hold", "child-holds"});
    ASSERT_EQ(holder.ReadLine(), "held=1");
    EXPECT_TRUE(NamedMutex::IsHeldByAnyone("child-holds") && CanTakeWithoutBlocking("child-holds"));
    ASSERT_TRUE(holder.Kill());
    EXPECT_FALSE(NamedMutex::IsHeldByAnyone("child-holds"));
}

TEST(PlatformProcess, AnIdCountsAsRunningItsExecutableUntilItEndsEvenWhenTheFileIsRemoved)
{
    const std::string self = Platform::GetExecutablePath(), folder = FreshFolder("own process");
    const unsigned long pid = Platform::GetCurrentProcessId();
    EXPECT_EQ(pid, static_cast<unsigned long>(::getpid()));
    fs::create_symlink(self, folder + "/ссылка");
    EXPECT_TRUE(Platform::IsProcessRunning(pid, self) &&
                Platform::IsProcessRunning(pid, folder + "/../own process/ссылка"));
    for (const std::string& other : {HELPER, folder + "/missing", ""s})
        EXPECT_FALSE(Platform::IsProcessRunning(pid, other)) << other;
    // Ids that are no process, or that a narrower id type would wrap to this one or to "all".
    for (unsigned long impossible : {0ul, ULONG_MAX, pid + (1ul << 32)})
        EXPECT_FALSE(Platform::IsProcessRunning(impossible, self)) << impossible;

    struct statvfs volume
    {
    };
    if (::statvfs(folder.c_str(), &volume) == 0 && (volume.f_flag & ST_NOEXEC))
        GTEST_SKIP() << "the temporary folder does not allow running programs";
    const std::string copy = folder + "/helper copy";
    fs::copy_file(HELPER, copy);
    Child child({copy, "wait"});
    ASSERT_EQ(child.ReadLine(), "ready"); // past exec: the id now runs the copy
    const auto childId = static_cast<unsigned long>(child.pid);
    EXPECT_FALSE(Platform::IsProcessRunning(childId, HELPER)) << "same contents, another file";
    fs::remove(copy); // as an update does
    EXPECT_TRUE(Platform::IsProcessRunning(childId, copy));
    ASSERT_TRUE(child.Kill());
    EXPECT_FALSE(Platform::IsProcessRunning(childId, copy)) << "a zombie does not run";
}

TEST(PlatformProcessStarter, StartsDetachedInASessionOfItsOwnAndNeverExecutesADocument)
{
    const std::string folder = FreshFolder("starter"), report = folder + "/report";
    // The helper and a stand-in desktop handler recording what it was asked to open, found on PATH.
    fs::create_symlink(HELPER, folder + "/kavrel-helper");
    for (const auto& [script, body] : {std::pair("/xdg-open", "echo \"$1\" > '" + folder + "/opened'"),
                                       std::pair("/Script.sh", "echo ran > '" + folder + "/ran'")})
        fs::permissions(Kavrel::Test::WriteFile(folder + script, "#!/bin/sh\n" + body + "\n"),
                        fs::perms::owner_all);
    EnvironmentGuard guard{"PATH"};
    ::setenv("PATH", folder.c_str(), 1);
    auto started = Platform::GetProcessStarter().StartDetached({"kavrel-helper", "session", report});
    ASSERT_TRUE(started.started && started.handle >= 0);
    ASSERT_TRUE(Kavrel::Test::WaitFor([&] { return ReadWhole(report).find('\n') != std::string::npos; }));
    unsigned long pid = 0, session = 0;
    std::istringstream(ReadWhole(report)) >> pid >> session;
    EXPECT_EQ(pid, started.pid);
    EXPECT_NE(session, static_cast<unsigned long>(::getsid(0))) << "the program runs in a session of its own";
    pollfd ended{started.handle, POLLIN, 0};
    EXPECT_EQ(::poll(&ended, 1, 0), 0) << "still running";
    ::kill(static_cast<pid_t>(pid), SIGKILL);
    EXPECT_EQ(::poll(&ended, 1, 10000), 1) << "the handle becomes readable at the end";
    Platform::CloseProcessHandle(started.handle);
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{}, {"no-such-program"}, {report}})
        EXPECT_FALSE(Platform::GetProcessStarter().StartDetached(arguments).started) << arguments.size();

    // A document only ever goes to the desktop handler, whatever its mode, and only by an
    // absolute path of a regular file; a handler on a relative PATH entry is never used.
    const fs::path previous = fs::current_path();
    fs::current_path(folder);
    ::setenv("PATH", ".", 1);
    EXPECT_FALSE(Platform::GetProcessStarter().OpenDocument(folder + "/Script.sh").started);
    ::setenv("PATH", folder.c_str(), 1);
    for (const std::string& refused : {std::string("Script.sh"), folder})
        EXPECT_FALSE(Platform::GetProcessStarter().OpenDocument(refused).started) << refused;
    auto opened = Platform::GetProcessStarter().OpenDocument(folder + "/Script.sh");
    fs::current_path(previous);
    EXPECT_TRUE(opened.started);
    EXPECT_TRUE(
        Kavrel::Test::WaitFor([&] { return ReadWhole(folder + "/opened") == folder + "/Script.sh\n"; }));
    EXPECT_FALSE(fs::exists(folder + "/ran"));
    Platform::CloseProcessHandle(opened.handle);
}

// ---------------------------------------------------------------- Core

TEST(CoreUtf, EveryCodePointRoundTripsThroughValidUtf8AndInvalidInputBecomesReplacementCharacters)
{
    EXPECT_EQ(Utf8FromWstring(L"a\0Я漢\U0001F600\U0010FFFF"s), "a\0Я漢\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF"s);
    EXPECT_EQ(WstringFromUtf8(Utf8FromWstring(L"")), L"");
    std::wstring all;
    for (char32_t c = 0; c <= 0x10FFFF; ++c)
        if (c < 0xD800 || c > 0xDFFF)
            all += static_cast<wchar_t>(c);
    const std::string utf8 = Utf8FromWstring(all);
    EXPECT_EQ(utf8.size(), 0x80 * 1 + (0x800 - 0x80) * 2 + (0x10000 - 0x800 - 0x800) * 3 + 0x100000 * 4);
    EXPECT_TRUE(Kavrel::Platform::MakeValidUtf8(utf8) == utf8 && WstringFromUtf8(utf8) == all);

    EXPECT_EQ(WstringFromUtf8("q\xFFz"), L"q\uFFFDz");
    EXPECT_EQ(WstringFromUtf8("\xF0\x9F\x98"), L"\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(WstringFromUtf8("\xED\xA0\x80Я"), L"\uFFFD\uFFFD\uFFFDЯ");
    EXPECT_EQ(Utf8FromWstring({L'a', wchar_t(0xD800), wchar_t(0x110000), wchar_t(-1), L'z'}),
              "a\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBDz");
}

namespace
{
struct IListener
{
    virtual void OnEvent(int value) = 0;
    virtual ~IListener() = default;
};

using Listeners = Kavrel::Core::EventHandlerList<IListener, Kavrel::Core::SyncExecutePolicy>;

void Send(Listeners& listeners, int value)
{
    listeners.Notify([value](IListener* listener) { listener->OnEvent(value); });
}

// Writes "<id><value>" to the log, then runs its action.
struct Recorder : IListener
{
    Recorder(const char* id, Lines& log) : id(id), log(log) {}
    void OnEvent(int value) override
    {
        log.push_back(id + std::to_string(value));
        if (action)
            action(value);
    }
    std::string id;
    Lines& log;
    std::function<void(int)> action;
};

// Shared, so that a delivery FinishesWithin abandons after a deadlock stays valid.
struct ListState
{
    Listeners listeners;
    Lines log;
    Recorder a{"a", log}, b{"b", log}, c{"c", log};
    Lines Deliver(int value)
    {
        log.clear();
        Send(listeners, value);
        return log;
    }
};

// True once the thread sleeps in the kernel (waiting on a lock).
bool IsSleeping(long tid)
{
    std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const auto end = line.rfind(')');
    return end != std::string::npos && end + 2 < line.size() && line[end + 2] == 'S';
}
} // namespace

TEST(CoreEventHandlerList, NestedNotifyCompletesFirstAndAnExceptionLeavesTheListUsable)
{
    auto state = std::make_shared<ListState>();
    state->a.action = [raw = state.get()](int value)
    {
        if (value == 1)
            Send(raw->listeners, 2);
    };
    state->b.action = [](int value)
    {
        if (value == 3)
            throw std::runtime_error("observer failed");
    };
    for (IListener* listener : {&state->a, &state->b, &state->c})
        state->listeners.Subscribe(listener);
    ASSERT_TRUE(Kavrel::Test::FinishesWithin([state] { Send(state->listeners, 1); })) << "deadlock";
    EXPECT_EQ(state->log, (Lines{"a1", "a2", "b2", "c2", "b1", "c1"}));
    EXPECT_THROW(state->Deliver(3), std::runtime_error);
    EXPECT_EQ(state->log, (Lines{"a3", "b3"}));
    // Another thread must be able to deliver: the exception released the delivery lock.
    ASSERT_TRUE(Kavrel::Test::FinishesWithin([state] { state->Deliver(4); })) << "lock left held";
    EXPECT_EQ(state->log, (Lines{"a4", "b4", "c4"}));
}

TEST(CoreEventHandlerList, ADeliveryWaitingForAnotherSeesTheListThatOneLeft)
{
    // While delivery 1 runs, a second thread starts delivery 2 and waits; an
    // observer subscribed meanwhile must hear delivery 2.
    ListState s;
    std::thread second;
    std::atomic<long> secondTid{0};
    s.listeners.Subscribe(&s.a);
    s.a.action = [&](int value)
    {
        if (value != 1)
            return;
        second = std::thread(
            [&]
            {
                secondTid = ::syscall(SYS_gettid);
                Send(s.listeners, 2);
            });
        ASSERT_TRUE(Kavrel::Test::WaitFor([&] { return secondTid && IsSleeping(secondTid); }));
        s.listeners.Subscribe(&s.b);
    };
    Send(s.listeners, 1);
    second.join();
    EXPECT_EQ(s.log, (Lines{"a1", "a2", "b2"}));
}

// ---------------------------------------------------------------- Util

namespace
{
// A handler of the product's own, to see what Qt gives back after Uninstall.
Lines ownHandlerMessages;
void OwnHandler(QtMsgType, const QMessageLogContext&, const QString& message)
{
    ownHandlerMessages.push_back(message.toStdString());
}

bool RejectAll(const QString&) { return false; }

class UtilQtLogHandler : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ownHandlerMessages.clear();
        original = qInstallMessageHandler(&OwnHandler);
    }
    void TearDown() override
    {
        handler.Uninstall();
        qInstallMessageHandler(original);
    }

    QtLogHandler& handler = QtLogHandler::GetInstance();
    Kavrel::Test::LogCapture log;
    QtMessageHandler original = nullptr;
};
} // namespace

TEST_F(UtilQtLogHandler, MessagesReachTheLogThroughTheFiltersUntilUninstallRestoresThePreviousHandler)
{
    handler.AddFilter(&RejectAll);
    handler.Uninstall(); // drops the filter though the handler was not installed
    handler.Install();
    handler.Install(); // the second must not take itself for the previous handler
    EXPECT_TRUE(handler.IsInstalled());
    qDebug("debug");
    qInfo("info");
    qWarning("Предупреждение");
    qCritical("critical");
    EXPECT_EQ(log.Take(), (Lines{"INFO: debug", "INFO: info", "WARNING: Предупреждение", "ERROR: critical"}));
    // Each filter sees each message until one drops it; an empty filter is skipped.
    Lines seen;
    handler.AddFilter(
        [&seen](const QString& message)
        {
            seen.push_back(message.toStdString());
            return !message.contains("secret");
        });
    handler.AddFilter(QtLogHandler::Filter());
    handler.AddFilter([](const QString& message) { return !message.startsWith("noise"); });
    for (const char* message : {"public", "the secret", "noise here"})
        qWarning("%s", message);
    EXPECT_EQ(log.Take(), Lines{"WARNING: public"});
    EXPECT_EQ(seen, (Lines{"public", "the secret", "noise here"}));
    handler.AddFilter(&RejectAll);
    handler.Uninstall();
    EXPECT_FALSE(handler.IsInstalled());
    qWarning("to our own handler");
    EXPECT_EQ(ownHandlerMessages, Lines{"to our own handler"});
    handler.Install();
    qInfo("filters are gone");
    EXPECT_EQ(log.Take(), Lines{"INFO: filters are gone"});
    handler.Uninstall();
    EXPECT_EQ(qInstallMessageHandler(&OwnHandler), &OwnHandler);
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
