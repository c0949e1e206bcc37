// The operating-system layer's behaviour, the same on every backend. The
// cases where Windows differs are in Win32LayerTest.cpp, those only the
// POSIX backend has in PosixLayerTest.cpp.
#include "PlatformSupport.h"

#include <Kavrel/Platform/CommandLine.h>
#include <Kavrel/Platform/Environment.h>
#include <Kavrel/Platform/Event.h>
#include <Kavrel/Platform/FileSystem.h>
#include <Kavrel/Platform/FolderWatch.h>
#include <Kavrel/Platform/GestureApi.h>
#include <Kavrel/Platform/NamedMutex.h>
#include <Kavrel/Platform/NamedPipe.h>
#include <Kavrel/Platform/Process.h>
#include <Kavrel/Platform/ProcessList.h>
#include <Kavrel/Platform/ProcessStarter.h>
#include <Kavrel/Platform/RegistryStore.h>
#include <Kavrel/Platform/RuntimeFolder.h>
#include <Kavrel/Platform/Utf8.h>
#include <Kavrel/Platform/WindowActivation.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <thread>

using namespace std::string_literals;
using namespace Kavrel::PlatformTest;
namespace fs = std::filesystem;
namespace Platform = Kavrel::Platform;
using Platform::NamedMutex;
using Platform::NamedPipe;
using Strings = std::vector<std::string>;

namespace
{
const std::string R = "\xEF\xBF\xBD"; // U+FFFD

// U+FFFD, count times.
std::string Rs(int count) { return count > 0 ? R + Rs(count - 1) : ""; }

// Takes a name, as another process would, on a thread of its own: a holder
// that wrongly shuts others out fails the test instead of hanging it.
NamedMutex::Outcome TakeElsewhere(const std::string& name, NamedMutex::Mode mode)
{
    auto outcome = NamedMutex::Outcome::Failed;
    std::thread([&] { outcome = NamedMutex(name, mode).GetOutcome(); }).join();
    return outcome;
}

std::string ReadAll(NamedPipe& pipe, size_t size)
{
    std::string text(size, '\0');
    size_t done = 0, got = 0;
    while (done < size && pipe.Read(&text[done], size - done, got) == NamedPipe::Status::Done)
        done += got;
    text.resize(done);
    return text;
}
} // namespace

// ---------------------------------------------------------------- text

TEST(PlatformMakeValidUtf8, keepsValidTextAndReplacesEachByteThatStartsNoValidSequence)
{
    // The first and last code point of each sequence length, and an embedded NUL.
    const std::string valid =
        "Привет 漢字 \xF0\x9F\x98\x80 \xC2\x80\xDF\xBF \xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80 "
        "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF a\0b"s;
    EXPECT_EQ(Platform::MakeValidUtf8(valid), valid);
    // One U+FFFD per bad byte keeps the damage visible and swallows no following character.
    const std::pair<std::string, std::string> damaged[] = {
        {"\xE6\xBCx\xF0\x9FЯ\xF0\x9F\x98", Rs(2) + "x" + Rs(2) + "Я" + Rs(3)}, // truncated sequences
        {"\xC0\xAF\xC1\xBF\xE0\x80\xAF\xF0\x80\x80\xAF", Rs(11)},              // overlong forms
        {"\xED\xA0\x80\xED\xBF\xBF\xF4\x90\x80\x80\xF5\x80\x80\x80", Rs(14)},  // surrogates, past U+10FFFF
        {"\x80z\xBFq\xFEr\xFFsПр\xFFивет", R + "z" + R + "q" + R + "r" + R + "sПр" + R + "ивет"}};
    for (const auto& [input, expected] : damaged)
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

TEST(PlatformUtf16, convertsBothWaysAndMakesWhatIsNoCharacterU_FFFD)
{
    const std::pair<std::string, std::u16string> same[] = {
        {"", u""}, {"Привет 漢字", u"Привет 漢字"}, {"\xF0\x9F\x98\x80", u"\U0001F600"}, {"a\0b"s, u"a\0b"s}};
    for (const auto& [utf8, utf16] : same)
    {
        EXPECT_EQ(Platform::Utf16FromUtf8(utf8), utf16) << utf8;
        EXPECT_EQ(Platform::Utf8FromUtf16(utf16), utf8) << utf8;
    }
    // One U+FFFD per unit or byte that is no character; nothing after it is lost.
    const std::pair<std::u16string, std::string> halves[] = {
        {{u'a', 0xD800, u'b'}, "a" + R + "b"},
        {{0xDC00, 0xD83D}, R + R},
        {{u'x', 0xD83D}, "x" + R},
        {{0xD83D, 0xD83D, 0xDE00}, R + "\xF0\x9F\x98\x80"}};
    for (const auto& [utf16, utf8] : halves)
        EXPECT_EQ(Platform::Utf8FromUtf16(utf16), utf8);
    EXPECT_EQ(Platform::Utf16FromUtf8("a\xFF\xC0\xAFz"),
              (std::u16string{u'a', 0xFFFD, 0xFFFD, 0xFFFD, u'z'}));
}

// ---------------------------------------------------------------- command line

TEST(PlatformCommandLine, aStartedProgramReceivesEveryArgumentExactlyAsUtf8)
{
    const Strings arguments = {"plain",         "two words",        "",
                               "tab\there",     "quote\"inside",    "\"quoted\"",
                               "trailing\\",    "spaced \\",        "slashes\\\\\"\\\\",
                               "C:\\A B\\",     "Привет",           "漢字 \xF0\x9F\x98\x80",
                               "--opt=a \"b\"", "\\\\server\\share"};
    Child child("args", arguments);
    ASSERT_TRUE(child.Started());
    ASSERT_TRUE(child.WaitForEnd());
    const Strings seen = Platform::SplitArgumentBlock(child.Result());
    ASSERT_EQ(seen.size(), arguments.size() + 4);
    EXPECT_EQ(ProgramName(seen[0]), "kavrel_platform_helper");
    EXPECT_EQ(Strings(seen.begin() + 4, seen.end()), arguments);
}

// ---------------------------------------------------------------- environment

TEST(PlatformEnvironment, aVariableReachesStartedProgramsAndAnEmptyValueRemovesIt)
{
    const std::string name = "KAVREL_PLATFORM_TEST_VARIABLE";
    VariableGuard guard{name.c_str()};
    Platform::SetEnvironmentVariable(name, "value Привет");
    EXPECT_EQ(Platform::GetEnvironmentVariable(name), "value Привет");
    EXPECT_EQ(Child("env", {name}).Result(), "value Привет");

    Platform::SetEnvironmentVariable(name, "");
    EXPECT_EQ(Platform::GetEnvironmentVariable(name), std::nullopt);
    EXPECT_EQ(Child("env", {name}).Result(), "(unset)");
    SetRawVariable(name, ""); // set but empty is not unset
    EXPECT_EQ(Platform::GetEnvironmentVariable(name), "");
}

TEST(PlatformEnvironment, userNameAndAppDataFolderPassOverEmptyAndUnsetVariables)
{
    VariableGuard guard{"USERNAME", "USER", "LOCALAPPDATA", "USERPROFILE", "XDG_STATE_HOME", "HOME"};
    SetRawVariable("USERNAME", "Пользователь");
    SetRawVariable("USER", "posix");
    EXPECT_EQ(Platform::GetUserName(), "Пользователь");
    SetRawVariable("USERNAME", "");
    EXPECT_EQ(Platform::GetUserName(), "posix");
    Platform::SetEnvironmentVariable("USERNAME", "");
    Platform::SetEnvironmentVariable("USER", "");
    EXPECT_EQ(Platform::GetUserName(), "");

    // Each step empties the variable that decided the one before; Linux
    // goes on to the XDG state folder.
    struct Step
    {
        const char *name, *value;
        std::string expected;
        bool everywhere;
    } const chain[] = {
        {"LOCALAPPDATA", "/l", "/l", true},
        {"USERPROFILE", "/p",
         WINDOWS ? "/p\\Local settings\\Application Data" : "/p/Local settings/Application Data", true},
        {"XDG_STATE_HOME", "/s/Состояние", "/s/Состояние", false},
        {"HOME", "/h", "/h/.local/state", false}};
    for (const Step& step : chain)
        SetRawVariable(step.name, step.value);
    for (const Step& step : chain)
    {
        if (step.everywhere || !WINDOWS)
        {
            EXPECT_EQ(Platform::GetLocalAppDataFolder(), step.expected) << step.name;
        }
        SetRawVariable(step.name, "");
    }
    EXPECT_EQ(Platform::GetLocalAppDataFolder(), std::nullopt);
}

// ---------------------------------------------------------------- file system

TEST(PlatformFileSystem, aNewFileWasCreatedNowAndAMissingOneHasNoTime)
{
    const std::string file = FreshFolder("creation") + "/новый.log";
    const auto before = std::chrono::system_clock::now();
    WriteFile(file, "x");
    const auto after = std::chrono::system_clock::now();
    const auto created = Platform::GetFileCreationTime(file);
    ASSERT_TRUE(created.has_value());
    // File times come from a coarse clock: a second either way.
    EXPECT_GE(*created, before - std::chrono::seconds(1));
    EXPECT_LE(*created, after + std::chrono::seconds(1));
    EXPECT_EQ(Platform::GetFileCreationTime(file + ".missing"), std::nullopt);
}

// The runtime folder, too, is one writable folder of this user.
TEST(PlatformFileSystem, onlyAnExistingFolderIsAWritableDirectory)
{
    const std::string folder = FreshFolder("writable папка");
    WriteFile(folder + "/file", "x");
    const std::pair<std::string, bool> cases[] = {{folder, true},
                                                  {folder + "/file", false},
                                                  {folder + "/missing", false},
                                                  {Platform::GetRuntimeFolder(), true},
                                                  {"", false}};
    for (const auto& [path, writable] : cases)
        EXPECT_EQ(Platform::IsWritableDirectory(path), writable) << path;
    EXPECT_EQ(std::distance(fs::directory_iterator(fs::u8path(folder)), {}), 1) << "no probe left behind";
}

// ---------------------------------------------------------------- folder watch

// Each kind of change to a watched folder is reported once, for that folder
// alone, and only until the folder is watched again; nothing is reported
// for a folder left alone, and a folder that is not there cannot be watched.
TEST(PlatformFolderWatch, eachChangeIsReportedOnceForItsFolder)
{
    const std::string root = FreshFolder("watch папка");
    const std::string quiet = root + "/quiet", busy = root + "/busy";
    fs::create_directories(fs::u8path(quiet));
    WriteFile(quiet + "/kept", "x");
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"made", [&] { WriteFile(busy + "/made", "x"); }},
        {"renamed", [&] { fs::rename(fs::u8path(busy + "/made"), fs::u8path(busy + "/renamed")); }},
        {"removed", [&] { fs::remove(fs::u8path(busy + "/renamed")); }},
        {"folder removed", [&] { fs::remove_all(fs::u8path(busy)); }},
    };
    Platform::FolderWatch watch;
    EXPECT_FALSE(watch.Watch(busy));
    EXPECT_FALSE(watch.Watch(""));
#ifdef _WIN32
    EXPECT_FALSE(watch.Watch(quiet)) << "changes are reported late there: nothing is watched";
    return;
#endif
    for (const auto& [what, change] : changes)
    {
        fs::create_directories(fs::u8path(busy));
        ASSERT_TRUE(watch.Watch(quiet) && watch.Watch(busy)) << what;
        EXPECT_TRUE(watch.TakeChanges().folders.empty()) << what;
        change();
        const auto seen = watch.TakeChanges();
        EXPECT_FALSE(seen.all) << what;
        EXPECT_EQ(seen.folders, Strings{busy}) << what;
        fs::create_directories(fs::u8path(busy));
        WriteFile(busy + "/unwatched", "x"); // no longer watched: not reported
        EXPECT_TRUE(watch.TakeChanges().folders.empty()) << what;
        fs::remove(fs::u8path(busy + "/unwatched"));
    }
    // One folder under two names: a change is reported under both.
    const std::string alias = root + "/alias";
    fs::create_directory_symlink(fs::u8path(busy), fs::u8path(alias));
    ASSERT_TRUE(watch.Watch(busy) && watch.Watch(alias));
    WriteFile(busy + "/made", "x");
    auto both = watch.TakeChanges().folders;
    std::sort(both.begin(), both.end());
    EXPECT_EQ(both, (Strings{alias, busy}));
}

// ---------------------------------------------------------------- named mutex

TEST(PlatformNamedMutex, holdersShareANameThatACheckSeesAndCannotTake)
{
    const std::string name = UniqueName("shared");
    EXPECT_FALSE(NamedMutex::IsHeldByAnyone(name));
    {
        NamedMutex first(name);
        ASSERT_TRUE(first.IsHeld());
        EXPECT_TRUE(NamedMutex::IsHeldByAnyone(name));
        EXPECT_EQ(TakeElsewhere(name, NamedMutex::Mode::Hold), NamedMutex::Outcome::Held);
        EXPECT_EQ(TakeElsewhere(name, NamedMutex::Mode::HoldIfFree), NamedMutex::Outcome::HeldByOther);
        EXPECT_TRUE(NamedMutex::IsHeldByAnyone(name)) << "others letting go keep the first holder's hold";
    }
    EXPECT_FALSE(NamedMutex::IsHeldByAnyone(name));
    EXPECT_EQ(TakeElsewhere(name, NamedMutex::Mode::HoldIfFree), NamedMutex::Outcome::Held);
    EXPECT_FALSE(NamedMutex::IsHeldByAnyone(name));
}

TEST(PlatformNamedMutex, aChildsHoldIsSeenUntilItEndsAndAHoldIsNotInherited)
{
    const std::string name = UniqueName("child");
    {
        Child holder("hold", {name});
        ASSERT_EQ(holder.Result(), "held");
        EXPECT_TRUE(NamedMutex::IsHeldByAnyone(name));
        EXPECT_EQ(TakeElsewhere(name, NamedMutex::Mode::HoldIfFree), NamedMutex::Outcome::HeldByOther);
        holder.Stop();
        ASSERT_TRUE(holder.WaitForEnd());
        EXPECT_FALSE(NamedMutex::IsHeldByAnyone(name));
    }
    auto mutex = std::make_unique<NamedMutex>(name);
    Child started("wait"); // a program the holder started, such as a browser
    ASSERT_EQ(started.Result(), "ready");
    mutex.reset();
    EXPECT_FALSE(NamedMutex::IsHeldByAnyone(name));
}

// ---------------------------------------------------------------- processes

TEST(PlatformProcess, theRunningProcessIsKnownByItsIdAndOnlyItsOwnExecutable)
{
    const std::string self = Platform::GetExecutablePath();
    const unsigned long pid = Platform::GetCurrentProcessId();
    EXPECT_EQ(ProgramName(self), "PlatformLayerTests");
    EXPECT_TRUE(Platform::IsProcessRunning(pid, self));
    const std::pair<unsigned long, std::string> not_running[] = {
        {pid, HelperPath()}, {pid, self + ".missing"}, {pid, ""}, {0, self}};
    for (const auto& [id, executable] : not_running)
        EXPECT_FALSE(Platform::IsProcessRunning(id, executable)) << id << " " << executable;
}

TEST(PlatformProcess, aChildRunsItsProgramIsListedUnderItsNameAndItsHandlesTellTheEnd)
{
    Child child("wait");
    ASSERT_EQ(child.Result(), "ready");
    EXPECT_TRUE(Platform::IsProcessRunning(child.Pid(), HelperPath()));
    EXPECT_FALSE(Platform::IsProcessRunning(child.Pid(), Platform::GetExecutablePath()));
    const Strings running = Platform::ListRunningExecutables();
    for (const std::string& program : {HelperPath(), Platform::GetExecutablePath()})
        EXPECT_TRUE(std::any_of(running.begin(), running.end(),
                                [&](const std::string& path) { return SamePath(path, program); }))
            << program;

    const int opened = Platform::OpenProcessHandle(child.Pid());
    ASSERT_GE(opened, 0);
    ASSERT_GE(child.Handle(), 0);
    EXPECT_EQ(Platform::WaitForAny({child.Handle(), opened}, 0), -1) << "still running";
    child.Stop();
    EXPECT_EQ(Platform::WaitForAny({-1, opened}, 20000), 1);
    EXPECT_EQ(Platform::WaitForAny({child.Handle()}, 20000), 0);
    EXPECT_FALSE(Platform::IsProcessRunning(child.Pid(), HelperPath()));
    Platform::CloseProcessHandle(opened);
    EXPECT_EQ(Platform::OpenProcessHandle(0), -1);
}

// ---------------------------------------------------------------- events

TEST(PlatformEvent, aSetEventWakesEveryWaiterAndStaysSetAndAWaitEndsAtItsTimeOutOrWithNothingToWaitFor)
{
    Platform::Event event;
    ASSERT_GE(event.Handle(), 0);
    EXPECT_FALSE(event.IsSet());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Platform::WaitForAny({event.Handle()}, 50), -1);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(40));
    EXPECT_EQ(Platform::WaitForAny({}, -1), -1);
    EXPECT_EQ(Platform::WaitForAny({-1, -1}, -1), -1);
    int woken[2] = {-2, -2};
    std::thread first([&] { woken[0] = Platform::WaitForAny({-1, event.Handle()}, 20000); });
    std::thread second([&] { woken[1] = Platform::WaitForAny({event.Handle()}, 20000); });
    event.Set();
    first.join();
    second.join();
    EXPECT_EQ(std::make_pair(woken[0], woken[1]), std::make_pair(1, 0));
    EXPECT_TRUE(event.IsSet());
}

// ---------------------------------------------------------------- starting programs

TEST(PlatformProcessStarter, aProgramStartsInTheGivenFolderAndWhatIsNoProgramDoesNot)
{
    const std::string folder = FreshFolder("рабочая папка");
    EXPECT_TRUE(SamePath(Child("cwd", {}, folder).Result(), folder));

    WriteFile(folder + "/plain.exe", "not a program");
    const Strings refused[] = {{}, {"no-such-program-anywhere"}, {folder + "/plain.exe"}, {folder}};
    for (const Strings& arguments : refused)
    {
        const auto started = Platform::GetProcessStarter().StartDetached(arguments);
        EXPECT_FALSE(started.started) << (arguments.empty() ? "(none)" : arguments[0]);
        EXPECT_EQ(started.handle, -1);
    }
    EXPECT_FALSE(
        Platform::GetProcessStarter().StartDetachedIn({HelperPath(), "wait"}, folder + "/missing").started);
}

// The installer's message script is a companion of the program: it is found
// beside the executable, and a file of that name in the current folder (the
// user's downloads, say) is never looked at, not even by the starter.
TEST(PlatformProcessStarter, companionsAreFoundBesideTheExecutableNeverInTheCurrentFolder)
{
    const std::string planted = FreshFolder("planted");
    WriteFile(planted + "/InstallerMessage.vbs", "planted");
    const fs::path previous = fs::current_path();
    fs::current_path(fs::u8path(planted));
    const std::string script = Platform::GetApplicationFilePath("InstallerMessage.vbs");
    const auto relative = Platform::GetProcessStarter().OpenDocument("InstallerMessage.vbs");
    fs::current_path(previous);

    EXPECT_TRUE(SamePath(fs::u8path(script).parent_path().u8string(),
                         fs::u8path(Platform::GetExecutablePath()).parent_path().u8string()));
    EXPECT_EQ(fs::u8path(script).filename().u8string(), "InstallerMessage.vbs");
    EXPECT_FALSE(relative.started);
    for (const char* name : {"", ".", "..", "a/InstallerMessage.vbs", "a\\InstallerMessage.vbs"})
        EXPECT_EQ(Platform::GetApplicationFilePath(name), "") << name;
    for (const std::string& path : {planted, planted + "/missing.vbs"})
        EXPECT_FALSE(Platform::GetProcessStarter().OpenDocument(path).started) << path;
}

// ---------------------------------------------------------------- named pipes

TEST(PlatformNamedPipe, namesInTheWindowsSpellingOrBareStandForTheSamePipe)
{
    const std::string pipe = NamedPipe::PathFor("\\\\.\\pipe\\KavrelIPCInput7");
    ASSERT_FALSE(pipe.empty());
    EXPECT_EQ(pipe, NamedPipe::PathFor("KavrelIPCInput7"));
    EXPECT_EQ(fs::u8path(pipe).filename().u8string(), "KavrelIPCInput7");
    if (WINDOWS)
    {
        EXPECT_EQ(pipe, "\\\\.\\pipe\\KavrelIPCInput7");
    }
    for (const char* name : {"", "\\\\.\\pipe\\", ".", "..", "a/b", "\\\\.\\pipe\\a\\b"})
        EXPECT_EQ(NamedPipe::PathFor(name), "") << name;
}

// The master's side of a slave's pipe pair, the slave a real process.
TEST(PlatformNamedPipe, aPairConnectsBothWaysAndThePeerGoingAwayEndsIt)
{
    const std::string id = std::to_string(Platform::GetCurrentProcessId()) + "0";
    auto reading =
        std::make_unique<NamedPipe>("\\\\.\\pipe\\KavrelIPCOutput" + id, NamedPipe::Direction::Read, true);
    auto writing =
        std::make_unique<NamedPipe>("\\\\.\\pipe\\KavrelIPCInput" + id, NamedPipe::Direction::Write, true);
    ASSERT_TRUE(reading->IsValid() && writing->IsValid());
    EXPECT_TRUE(NamedPipe::Exists("\\\\.\\pipe\\KavrelIPCInput" + id));
    reading->SetTimeout(20000);
    writing->SetTimeout(20000);
    Child slave("pipe", {id});

    // A short message, then one past the pipes' buffers, each way: the
    // slave sends back what it reads while we still write.
    for (std::string message : {"ping Привет"s, std::string(300 * 1024, 'x')})
    {
        message.back() = '!';
        auto written = NamedPipe::Status::Failed;
        std::thread writer([&] { written = writing->WriteAll(message.data(), message.size()); });
        EXPECT_EQ(ReadAll(*reading, message.size()), message) << message.size();
        writer.join();
        ASSERT_EQ(written, NamedPipe::Status::Done);
    }
    writing.reset();
    EXPECT_EQ(slave.Result(), "closed");
    char byte;
    size_t got = 0;
    EXPECT_EQ(reading->Read(&byte, 1, got), NamedPipe::Status::Closed);
    reading.reset();
    EXPECT_FALSE(NamedPipe::Exists("\\\\.\\pipe\\KavrelIPCInput" + id));
}

TEST(PlatformNamedPipe, aWaitEndsAtTheTimeOutOrAtStopFromAnotherThread)
{
    NamedPipe reader(UniqueName("waits"), NamedPipe::Direction::Read, true);
    NamedPipe writer(UniqueName("waits"), NamedPipe::Direction::Write, true);
    ASSERT_TRUE(reader.IsValid() && writer.IsValid());
    char byte;
    size_t got = 0;
    reader.SetTimeout(50);
    writer.SetTimeout(50);
    EXPECT_EQ(reader.Read(&byte, 1, got), NamedPipe::Status::TimedOut) << "no writer came";
    EXPECT_EQ(writer.WriteAll("x", 1), NamedPipe::Status::TimedOut) << "no reader came";

    reader.SetTimeout(-1);
    std::thread stopper(
        [&]
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            reader.Stop();
        });
    EXPECT_EQ(reader.Read(&byte, 1, got), NamedPipe::Status::Stopped);
    stopper.join();
    EXPECT_EQ(reader.Read(&byte, 1, got), NamedPipe::Status::Stopped) << "and every later wait";
}

// Writing after the reader went away is "closed", not a crash.
TEST(PlatformNamedPipe, aNameInUseOrWithoutACreatorIsRefusedAndAGoneReaderClosesThePipe)
{
    const std::string name = UniqueName("taken");
    NamedPipe writer(name, NamedPipe::Direction::Write, true);
    ASSERT_TRUE(writer.IsValid());
    // Not valid, with the system's reason.
    NamedPipe second(name, NamedPipe::Direction::Read, true);
    EXPECT_EQ(std::make_pair(second.IsValid(), second.Error() != 0), std::make_pair(false, true));
    NamedPipe nobody(UniqueName("nobody"), NamedPipe::Direction::Write, false);
    EXPECT_EQ(std::make_pair(nobody.IsValid(), nobody.Error() != 0), std::make_pair(false, true));
    {
        NamedPipe reader(name, NamedPipe::Direction::Read, false);
        ASSERT_TRUE(reader.IsValid());
        ASSERT_EQ(writer.WriteAll("a", 1), NamedPipe::Status::Done);
    }
    EXPECT_EQ(writer.WriteAll("b", 1), NamedPipe::Status::Closed);
}

// ---------------------------------------------------------------- replaceable facilities

TEST(PlatformReplacements, replacementsServeUntilRestoredAndCallsLeftOutStayTheSystems)
{
    void* asked = nullptr;
    Platform::GestureApi replacement;
    replacement.getParent = [&](void* window) -> void*
    {
        asked = window;
        return &asked;
    };
    const Platform::GestureApi previous = Platform::SetGestureApi(replacement);
    EXPECT_EQ(Platform::GetGestureApi().getParent(&replacement), &asked);
    EXPECT_EQ(asked, &replacement);
    int x = 1, y = 2;
    EXPECT_FALSE(Platform::GetGestureApi().screenToClient(nullptr, x, y)) << "the system's: no such window";
    Platform::SetGestureApi(previous);
    EXPECT_EQ(Platform::GetGestureApi().getParent(nullptr), nullptr);

    std::vector<unsigned long> activated;
    auto system = Platform::SetWindowActivator(
        [&](unsigned long window)
        {
            activated.push_back(window);
            return true;
        });
    EXPECT_TRUE(Platform::ActivateWindow(42));
    Platform::SetWindowActivator(system);
    EXPECT_EQ(activated, std::vector<unsigned long>{42});
    EXPECT_FALSE(Platform::ActivateWindow(0));

    auto lister = Platform::SetExecutableLister([] { return Strings{"C:\\fixed\\firefox.exe"}; });
    EXPECT_EQ(Platform::ListRunningExecutables(), Strings{"C:\\fixed\\firefox.exe"});
    Platform::SetExecutableLister(lister);
    EXPECT_NE(Platform::ListRunningExecutables(), Strings{"C:\\fixed\\firefox.exe"});

    // The registry is the system's on Windows; elsewhere the Qt side supplies one (replacing
    // it is tested with the migration's store).
    EXPECT_EQ(Platform::GetRegistryStore() != nullptr, WINDOWS);
}
