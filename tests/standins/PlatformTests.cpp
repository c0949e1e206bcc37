// Tests of the operating-system layer (Kavrel::Platform) on its POSIX backend.
#include "StandinSupport.h"
#include "TestEnvironment.h"

#include <Kavrel/Platform/CommandLine.h>
#include <Kavrel/Platform/Environment.h>
#include <Kavrel/Platform/FileSystem.h>
#include <Kavrel/Platform/NamedMutex.h>
#include <Kavrel/Platform/Process.h>
#include <Kavrel/Platform/ProcessStarter.h>
#include <Kavrel/Platform/RuntimeFolder.h>
#include <Kavrel/Platform/Utf8.h>

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace std::string_literals;
namespace fs = std::filesystem;
namespace Platform = Kavrel::Platform;
using Kavrel::Test::EnvironmentGuard;
using Platform::NamedMutex;
using Strings = std::vector<std::string>;

namespace
{
const std::string HELPER = KAVREL_STANDIN_HELPER;

// U+FFFD, count times.
std::string R(int count) { return count > 0 ? "\xEF\xBF\xBD" + R(count - 1) : ""; }

std::string FreshFolder(const std::string& name)
{
    const fs::path folder = fs::path(Kavrel::Test::IsolatedRoot()) / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    ::chmod(folder.c_str(), 0700);
    return folder.string();
}

std::string ReadWhole(const std::string& path)
{
    return std::string(std::istreambuf_iterator<char>(std::ifstream(path).rdbuf()), {});
}

void WriteScript(const std::string& path, const std::string& body)
{
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    ::chmod(path.c_str(), 0700);
}

// A helper child started with fork+exec; it is killed and reaped at the end.
class Child
{
public:
    explicit Child(Strings arguments)
    {
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        int out[2] = {-1, -1};
        if (::pipe2(out, O_CLOEXEC) == 0 && (pid = ::fork()) == 0)
        {
            ::dup2(out[1], STDOUT_FILENO);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        output = out[0];
    }
    ~Child()
    {
        ::close(output);
        if (Kill())
            ::waitpid(pid, nullptr, 0);
    }
    // The child's first line; "" when it died first (a failed exec included).
    std::string ReadLine()
    {
        std::string line;
        char c;
        while (::read(output, &c, 1) == 1 && c != '\n')
            line += c;
        return line;
    }
    // Kills the child and waits until it has ended, leaving it a zombie.
    bool Kill()
    {
        siginfo_t info{};
        return pid > 0 && ::kill(pid, SIGKILL) == 0 &&
               ::waitid(P_PID, id_t(pid), &info, WEXITED | WNOWAIT) == 0;
    }

    pid_t pid = -1;

private:
    int output = -1;
};

// Holders share a name. Taking it on another thread makes a holder that wrongly
// shuts others out fail the test instead of blocking it.
bool CanTakeWithoutBlocking(const std::string& name)
{
    auto held = std::make_shared<std::atomic<bool>>(false);
    return Kavrel::Test::FinishesWithin([name, held] { *held = NamedMutex(name).IsHeld(); }) && *held;
}
} // namespace

// ---------------------------------------------------------------- text and command lines

TEST(PlatformMakeValidUtf8, KeepsValidTextAndReplacesEachByteThatStartsNoValidSequence)
{
    // The first and last code point of each sequence length, and an embedded NUL.
    const std::string valid =
        "Привет 漢字 \xF0\x9F\x98\x80 \xC2\x80\xDF\xBF \xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80 "
        "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF a\0b"s;
    EXPECT_EQ(Platform::MakeValidUtf8(valid), valid);
    // One U+FFFD per bad byte keeps the damage visible and swallows no following character.
    const std::pair<std::string, std::string> bad[] = {
        {"\xE6\xBCx\xF0\x9FЯ\xF0\x9F\x98", R(2) + "x" + R(2) + "Я" + R(3)},  // truncated sequences
        {"\xC0\xAF\xC1\xBF\xE0\x80\xAF\xF0\x80\x80\xAF", R(11)},             // overlong forms
        {"\xED\xA0\x80\xED\xBF\xBF\xF4\x90\x80\x80\xF5\x80\x80\x80", R(14)}, // surrogates, past U+10FFFF
        {"\x80z\xBFq\xFEr\xFFsПр\xFFивет",
         R(1) + "z" + R(1) + "q" + R(1) + "r" + R(1) + "sПр" + R(1) + "ивет"},
    };
    for (const auto& [input, expected] : bad)
        EXPECT_EQ(Platform::MakeValidUtf8(input), expected) << testing::PrintToString(input);
}

TEST(PlatformMakeValidUtf8, EveryBytePairGivesValidTextAndDropsNothing)
{
    // "Я" cannot be read as a continuation, so it must survive any pair before it.
    for (int first = 0; first < 256; ++first)
        for (int second = 0; second < 256; ++second)
        {
            const std::string input = "a"s + static_cast<char>(first) + static_cast<char>(second) + "Я";
            const std::string output = Platform::MakeValidUtf8(input);
            ASSERT_GE(output.size(), input.size()) << first << " " << second;
            ASSERT_EQ(output.front(), 'a') << first << " " << second;
            ASSERT_EQ(output.substr(output.size() - 2), "Я") << first << " " << second;
            ASSERT_EQ(Platform::MakeValidUtf8(output), output) << first << " " << second;
        }
}

TEST(PlatformCommandLine, BlockSplitsAtEachNul)
{
    EXPECT_EQ(Platform::SplitArgumentBlock(""), Strings{});
    EXPECT_EQ(Platform::SplitArgumentBlock("\0"s), Strings{""});
    EXPECT_EQ(Platform::SplitArgumentBlock("prog\0-v"s), (Strings{"prog", "-v"}));
}

TEST(PlatformCommandLine, ChildSeesItsRawArgumentsAsValidUtf8)
{
    const auto result = Kavrel::Test::RunProcess({HELPER, "args", "Привет", "\xFFx", "", "a b"});
    ASSERT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output, "[" + HELPER + "]\n[args]\n[Привет]\n[" + R(1) + "x]\n[]\n[a b]\n");
}

// ---------------------------------------------------------------- environment

TEST(PlatformEnvironment, SetReachesChildrenAndEmptyValueRemoves)
{
    EnvironmentGuard guard{"KAVREL_STANDIN_VARIABLE"};
    Platform::SetEnvironmentVariable("KAVREL_STANDIN_VARIABLE", "value Привет");
    EXPECT_EQ(Platform::GetEnvironmentVariable("KAVREL_STANDIN_VARIABLE"), "value Привет");
    EXPECT_NE(
        Kavrel::Test::RunProcess({"/usr/bin/env"}).output.find("\nKAVREL_STANDIN_VARIABLE=value Привет\n"),
        std::string::npos);

    Platform::SetEnvironmentVariable("KAVREL_STANDIN_VARIABLE", "");
    EXPECT_EQ(Platform::GetEnvironmentVariable("KAVREL_STANDIN_VARIABLE"), std::nullopt);
    ::setenv("KAVREL_STANDIN_VARIABLE", "", 1); // set but empty is not unset
    EXPECT_EQ(Platform::GetEnvironmentVariable("KAVREL_STANDIN_VARIABLE"), "");
}

TEST(PlatformEnvironment, UserNameAndAppDataFolderSkipEmptyAndUnsetVariables)
{
    EnvironmentGuard guard{"USERNAME", "USER", "LOCALAPPDATA", "USERPROFILE", "XDG_STATE_HOME", "HOME"};
    ::setenv("USERNAME", "Пользователь", 1);
    ::setenv("USER", "posix", 1);
    EXPECT_EQ(Platform::GetUserName(), "Пользователь");
    ::setenv("USERNAME", "", 1);
    EXPECT_EQ(Platform::GetUserName(), "posix");
    ::unsetenv("USERNAME");
    ::unsetenv("USER");
    EXPECT_EQ(Platform::GetUserName(), "");

    // Each step empties the variable that decided the step before.
    struct Step
    {
        const char *name, *value;
        std::string expected;
    } const chain[] = {{"LOCALAPPDATA", "/l", "/l"},
                       {"USERPROFILE", "/p", "/p/Local settings/Application Data"},
                       {"XDG_STATE_HOME", "/s/Состояние", "/s/Состояние"},
                       {"HOME", "/h", "/h/.local/state"}};
    for (const Step& step : chain)
        ::setenv(step.name, step.value, 1);
    for (const Step& step : chain)
    {
        EXPECT_EQ(Platform::GetLocalAppDataFolder(), step.expected) << step.name;
        ::setenv(step.name, "", 1);
    }
    EXPECT_EQ(Platform::GetLocalAppDataFolder(), std::nullopt);
    for (const Step& step : chain)
        ::unsetenv(step.name);
    EXPECT_EQ(Platform::GetLocalAppDataFolder(), std::nullopt);
}

// ---------------------------------------------------------------- file system

TEST(PlatformFileSystem, CreationTimeIsTheBirthTimeWhereRecordedElseTheModificationTime)
{
    const std::string file = FreshFolder("creation-time") + "/новый.log";
    const auto before = std::chrono::system_clock::now();
    std::ofstream(file) << "x";
    const auto after = std::chrono::system_clock::now();
    const auto created = Platform::GetFileCreationTime(file);
    ASSERT_TRUE(created.has_value());
    // File times come from a coarse clock: allow a second either way.
    EXPECT_GE(*created, before - std::chrono::seconds(1));
    EXPECT_LE(*created, after + std::chrono::seconds(1));
    EXPECT_EQ(Platform::GetFileCreationTime(file + ".missing"), std::nullopt);

    // Aging the modification time must not age a file whose birth time is recorded.
    const timespec y2001[2] = {{978307200, 0}, {978307200, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), y2001, 0), 0);
    struct statx info
    {
    };
    ASSERT_EQ(::statx(AT_FDCWD, file.c_str(), 0, STATX_BTIME, &info), 0);
    EXPECT_EQ(Platform::GetFileCreationTime(file),
              info.stx_mask & STATX_BTIME ? *created : std::chrono::system_clock::from_time_t(978307200));
}

TEST(PlatformFileSystem, WritableDirectory)
{
    const std::string folder = FreshFolder("writable");
    std::ofstream(folder + "/file") << "x";
    fs::create_directory_symlink(folder, folder + "/link");
    EXPECT_TRUE(Platform::IsWritableDirectory(folder));
    EXPECT_TRUE(Platform::IsWritableDirectory(folder + "/link"));
    EXPECT_FALSE(Platform::IsWritableDirectory(folder + "/file"));
    EXPECT_FALSE(Platform::IsWritableDirectory(folder + "/missing"));
}

TEST(PlatformFileSystem, ReadOnlyDirectoryIsNotWritable)
{
    const std::string folder = FreshFolder("read-only");
    ASSERT_EQ(::chmod(folder.c_str(), 0500), 0);
    if (::geteuid() == 0)
        GTEST_SKIP() << "running as root: a 0500 folder is writable anyway";
    EXPECT_FALSE(Platform::IsWritableDirectory(folder));
}

// ---------------------------------------------------------------- runtime folder

class PlatformRuntimeFolder : public ::testing::Test
{
protected:
    EnvironmentGuard guard{"XDG_RUNTIME_DIR", "TMPDIR"};
    const std::string temp = FreshFolder("runtime-temp");
    const std::string fallback = temp + "/kavrel-" + std::to_string(::getuid());
    void SetUp() override { ::setenv("TMPDIR", temp.c_str(), 1); }
};

TEST_F(PlatformRuntimeFolder, PrivateXdgFolderElsePrivateTempFolder)
{
    const std::string runtime = FreshFolder("runtime-xdg");
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    EXPECT_EQ(Platform::GetRuntimeFolder(), runtime);
    EXPECT_FALSE(fs::exists(fallback));

    ::chmod(runtime.c_str(), 0755); // others may look in: not private
    EXPECT_EQ(Platform::GetRuntimeFolder(), fallback);
    struct stat info
    {
    };
    ASSERT_EQ(::lstat(fallback.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode, S_IFDIR | 0700u);
}

TEST_F(PlatformRuntimeFolder, UnsafeOrImpossibleFallbackGivesNothing)
{
    ::unsetenv("XDG_RUNTIME_DIR");
    fs::create_directory(fallback);
    ::chmod(fallback.c_str(), 0777);
    EXPECT_EQ(Platform::GetRuntimeFolder(), "") << "a folder others can write into";

    fs::remove(fallback);
    fs::create_directory_symlink(FreshFolder("runtime-elsewhere"), fallback);
    EXPECT_EQ(Platform::GetRuntimeFolder(), "") << "a link planted in its place";

    ::setenv("TMPDIR", (temp + "/does/not/exist").c_str(), 1);
    EXPECT_EQ(Platform::GetRuntimeFolder(), "");
    EXPECT_EQ(NamedMutex::LockFilePath("name"), "");
    EXPECT_FALSE(NamedMutex("name").IsHeld());
    EXPECT_FALSE(NamedMutex::IsHeldByAnyone("name"));
}

// ---------------------------------------------------------------- named mutex

TEST(PlatformNamedMutex, LockFileStaysInsideTheRuntimeFolder)
{
    const std::string folder = Platform::GetRuntimeFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(NamedMutex::LockFilePath("App/Instance\\1"), folder + "/App_Instance_1.lock");
    EXPECT_EQ(fs::path(NamedMutex::LockFilePath("../../etc/passwd")).parent_path(), fs::path(folder));
    EXPECT_EQ(NamedMutex::LockFilePath(""), "");
}

TEST(PlatformNamedMutex, HoldersInOneProcessShareTheName)
{
    EXPECT_FALSE(NamedMutex::IsHeldByAnyone("same-process"));
    // Checking must leave the name free for holders.
    ASSERT_TRUE(CanTakeWithoutBlocking("same-process"));
    EXPECT_FALSE(NamedMutex::IsHeldByAnyone("same-process"));
    {
        NamedMutex first("same-process");
        ASSERT_TRUE(first.IsHeld());
        EXPECT_TRUE(NamedMutex::IsHeldByAnyone("same-process"));
        EXPECT_TRUE(CanTakeWithoutBlocking("same-process"));
        // Letting go of one holder's file must not drop another's hold.
        EXPECT_TRUE(NamedMutex::IsHeldByAnyone("same-process"));
    }
    EXPECT_FALSE(NamedMutex::IsHeldByAnyone("same-process"));
}

TEST(PlatformNamedMutex, HeldByAChildUntilTheKernelDropsItsLock)
{
    Child child({HELPER, "hold", "child-holds"});
    ASSERT_EQ(child.ReadLine(), "held");
    EXPECT_TRUE(NamedMutex::IsHeldByAnyone("child-holds"));
    EXPECT_TRUE(CanTakeWithoutBlocking("child-holds"));
    ASSERT_TRUE(child.Kill());
    EXPECT_FALSE(NamedMutex::IsHeldByAnyone("child-holds"));
}

TEST(PlatformNamedMutex, ChildSeesTheParentsHoldButDoesNotInheritIt)
{
    EXPECT_EQ(Kavrel::Test::RunProcess({HELPER, "probe", "parent-holds"}).output, "free\n");
    auto mutex = std::make_unique<NamedMutex>("parent-holds");
    ASSERT_TRUE(mutex->IsHeld());
    EXPECT_EQ(Kavrel::Test::RunProcess({HELPER, "probe", "parent-holds"}).output, "held\n");

    Child child({HELPER, "wait"}); // a program the product started, such as a browser
    ASSERT_EQ(child.ReadLine(), "ready");
    mutex.reset();
    EXPECT_FALSE(NamedMutex::IsHeldByAnyone("parent-holds"));
}

// ---------------------------------------------------------------- processes

TEST(PlatformProcess, OwnProcessMatchesOnlyItsOwnExecutable)
{
    const std::string self = Platform::GetExecutablePath();
    const unsigned long pid = Platform::GetCurrentProcessId();
    EXPECT_EQ(pid, static_cast<unsigned long>(::getpid()));
    EXPECT_TRUE(Platform::IsProcessRunning(pid, self));

    const std::string folder = FreshFolder("own-process");
    fs::create_symlink(self, folder + "/ссылка");
    EXPECT_TRUE(Platform::IsProcessRunning(pid, folder + "/../own-process/ссылка"));
    EXPECT_FALSE(Platform::IsProcessRunning(pid, HELPER));
    EXPECT_FALSE(Platform::IsProcessRunning(pid, folder + "/missing"));
    EXPECT_FALSE(Platform::IsProcessRunning(pid, ""));
    // Ids that are no process, or that a narrower id type would wrap to this one or to "all".
    for (unsigned long impossible : {0ul, ULONG_MAX, pid + (1ul << 32)})
        EXPECT_FALSE(Platform::IsProcessRunning(impossible, self)) << impossible;
}

TEST(PlatformProcess, ChildRunningAnotherProgramUntilItEnds)
{
    Child child({HELPER, "wait"});
    ASSERT_EQ(child.ReadLine(), "ready"); // past exec: the id now runs the helper
    const auto pid = static_cast<unsigned long>(child.pid);
    EXPECT_TRUE(Platform::IsProcessRunning(pid, HELPER));
    EXPECT_FALSE(Platform::IsProcessRunning(pid, Platform::GetExecutablePath()));

    ASSERT_TRUE(child.Kill());
    EXPECT_FALSE(Platform::IsProcessRunning(pid, HELPER)) << "a zombie does not run";
}

TEST(PlatformProcess, ExecutableRemovedFromDiskStillCounts)
{
    const std::string folder = FreshFolder("replaced binary");
    struct statvfs volume
    {
    };
    if (::statvfs(folder.c_str(), &volume) == 0 && (volume.f_flag & ST_NOEXEC))
        GTEST_SKIP() << "the temporary folder does not allow running programs";
    const std::string copy = folder + "/helper copy";
    fs::copy_file(HELPER, copy);
    ::chmod(copy.c_str(), 0700);

    Child child({copy, "wait"});
    ASSERT_EQ(child.ReadLine(), "ready");
    const auto pid = static_cast<unsigned long>(child.pid);
    EXPECT_FALSE(Platform::IsProcessRunning(pid, HELPER)) << "same contents, another file";
    fs::remove(copy); // as an update does
    EXPECT_TRUE(Platform::IsProcessRunning(pid, copy));
}

// ---------------------------------------------------------------- process starter

TEST(PlatformProcessStarter, StartsDetachedInASessionOfItsOwnWithAHandleThatTellsTheEnd)
{
    const std::string folder = FreshFolder("starter");
    const std::string marker = folder + "/pid";
    // Looked up in PATH; writes its pid and session id, then waits for "go".
    auto started = Platform::GetProcessStarter().StartDetached({"sh", "-c",
                                                                "echo $$ $(cut -d' ' -f6 /proc/$$/stat) > '" +
                                                                    marker + "'; while [ ! -e '" + folder +
                                                                    "/go' ]; do sleep 0.01; done"});
    ASSERT_TRUE(started.started);
    ASSERT_TRUE(Kavrel::Test::WaitFor([&] { return ReadWhole(marker).find('\n') != std::string::npos; }));
    unsigned long pid = 0, session = 0;
    std::istringstream(ReadWhole(marker)) >> pid >> session;
    EXPECT_EQ(pid, started.pid);
    EXPECT_NE(session, static_cast<unsigned long>(::getsid(0))) << "the program runs in a session of its own";

    ASSERT_GE(started.handle, 0);
    pollfd ended{started.handle, POLLIN, 0};
    EXPECT_EQ(::poll(&ended, 1, 0), 0) << "still running";
    std::ofstream(folder + "/go") << "";
    EXPECT_EQ(::poll(&ended, 1, 10000), 1) << "the handle becomes readable at the end";
    Platform::CloseProcessHandle(started.handle);
}

TEST(PlatformProcessStarter, MissingOrNonExecutableProgramsDoNotStart)
{
    const std::string folder = FreshFolder("not-executable");
    std::ofstream(folder + "/plain") << "text";
    for (const Strings& arguments : {Strings{}, {"no-such-program-anywhere"}, {folder + "/plain"}})
    {
        const auto started = Platform::GetProcessStarter().StartDetached(arguments);
        EXPECT_FALSE(started.started) << (arguments.empty() ? "(none)" : arguments[0]);
        EXPECT_EQ(started.handle, -1);
    }
}

// A document is never executed, whatever its mode: an executable planted
// where a document is expected must not run. Only absolute paths of regular
// files reach the handler, and the handler is never taken from the current
// folder.
TEST(PlatformProcessStarter, DocumentsOnlyEverGoToTheDesktopHandler)
{
    const std::string folder = FreshFolder("documents");
    fs::create_directories(folder + "/bin");
    WriteScript(folder + "/bin/xdg-open", "echo \"$1\" >> '" + folder + "/opened'");
    WriteScript(folder + "/Planted.vbs", "echo ran > '" + folder + "/ran'");
    EnvironmentGuard guard{"PATH"};
    const fs::path previous = fs::current_path();
    fs::current_path(folder);
    ::setenv("PATH", "bin", 1); // relative: the current folder's bin/xdg-open
    EXPECT_FALSE(Platform::GetProcessStarter().OpenDocument(folder + "/Planted.vbs").started);
    ::setenv("PATH", (folder + "/bin:/usr/bin:/bin").c_str(), 1);
    EXPECT_FALSE(Platform::GetProcessStarter().OpenDocument("Planted.vbs").started);
    EXPECT_FALSE(Platform::GetProcessStarter().OpenDocument(folder + "/bin").started);
    auto opened = Platform::GetProcessStarter().OpenDocument(folder + "/Planted.vbs");
    fs::current_path(previous);
    EXPECT_TRUE(opened.started);
    EXPECT_TRUE(
        Kavrel::Test::WaitFor([&] { return ReadWhole(folder + "/opened") == folder + "/Planted.vbs\n"; }));
    EXPECT_FALSE(fs::exists(folder + "/ran"));
    Platform::CloseProcessHandle(opened.handle);
}

TEST(PlatformProcessStarter, AReplacementSeesEveryStartUntilRestored)
{
    struct Recorder : Platform::ProcessStarter
    {
        Platform::StartedProcess StartDetached(const Strings& arguments) override
        {
            seen = arguments;
            return {};
        }
        Strings seen;
    } recorder;
    Platform::ProcessStarter* system = Platform::SetProcessStarter(&recorder);
    Platform::GetProcessStarter().StartDetached({"program", "argument with spaces"});
    EXPECT_EQ(recorder.seen, (Strings{"program", "argument with spaces"}));
    Platform::SetProcessStarter(system);
    EXPECT_NE(&Platform::GetProcessStarter(), &recorder);
}
