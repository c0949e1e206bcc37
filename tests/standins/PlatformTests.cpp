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

namespace
{
const std::string R = "\xEF\xBF\xBD"; // U+FFFD
const std::string HELPER = KAVREL_STANDIN_HELPER;

std::string FreshFolder(const std::string& name)
{
    const fs::path folder = fs::path(Kavrel::Test::IsolatedRoot()) / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    ::chmod(folder.c_str(), 0700);
    return folder.string();
}

// A helper child started with fork+exec; whatever still runs at the end is killed and reaped.
class Child
{
public:
    explicit Child(const std::vector<std::string>& arguments)
    {
        std::vector<char*> argv;
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0)
            return;
        pid = ::fork();
        if (pid == 0)
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
        if (pid > 0 && !reaped)
        {
            ::kill(pid, SIGKILL);
            Reap();
        }
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
    // Blocks until the child has ended, leaving it a zombie.
    bool WaitUnreaped()
    {
        siginfo_t info{};
        return ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT) == 0;
    }
    int Reap()
    {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR)
        {
        }
        reaped = true;
        return status;
    }

    pid_t pid = -1;

private:
    int output = -1;
    bool reaped = false;
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

struct Utf8Case
{
    const char* name;
    std::string input, expected;
    friend std::ostream& operator<<(std::ostream& out, const Utf8Case& c) { return out << c.name; }
};

class PlatformMakeValidUtf8 : public ::testing::TestWithParam<Utf8Case>
{
};

TEST_P(PlatformMakeValidUtf8, ReplacesEachBadByteAndKeepsTheRest)
{
    EXPECT_EQ(Platform::MakeValidUtf8(GetParam().input), GetParam().expected);
}

// Every byte that cannot start a valid sequence becomes one U+FFFD, so the
// damage stays visible and no following character is swallowed.
INSTANTIATE_TEST_SUITE_P(
    Table, PlatformMakeValidUtf8,
    ::testing::Values(
        Utf8Case{"Cyrillic", "Привет, мир", "Привет, мир"}, Utf8Case{"Cjk", "漢字とかな", "漢字とかな"},
        Utf8Case{"Emoji", "\xF0\x9F\x98\x80\xF0\x9F\x8E\x89", "\xF0\x9F\x98\x80\xF0\x9F\x8E\x89"},
        Utf8Case{"RangeEdges",
                 "\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xF0\x90\x80\x80\xF4\x8F\xBF\xBF",
                 "\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"},
        Utf8Case{"EmbeddedNul", "a\0b"s, "a\0b"s}, Utf8Case{"TruncatedAtEnd", "ab\xD0", "ab" + R},
        Utf8Case{"TruncatedBeforeAscii", "\xE6\xBCx", R + R + "x"},
        Utf8Case{"TruncatedEmoji", "\xF0\x9F\x98", R + R + R},
        Utf8Case{"TruncatedBeforeCyrillic", "\xF0\x9FЯ", R + R + "Я"},
        Utf8Case{"LoneContinuations", "\x80z\xBF", R + "z" + R}, Utf8Case{"OverlongC0", "\xC0\xAF", R + R},
        Utf8Case{"OverlongC1", "\xC1\xBF", R + R}, Utf8Case{"OverlongE0", "\xE0\x80\xAF", R + R + R},
        Utf8Case{"OverlongF0", "\xF0\x80\x80\xAF", R + R + R + R},
        Utf8Case{"HighSurrogate", "\xED\xA0\x80", R + R + R},
        Utf8Case{"LowSurrogate", "\xED\xBF\xBF", R + R + R},
        Utf8Case{"PastU10FFFF", "\xF4\x90\x80\x80", R + R + R + R},
        Utf8Case{"LeadF5", "\xF5\x80\x80\x80", R + R + R + R},
        Utf8Case{"BytesFeFf", "q\xFEr\xFFs", "q" + R + "r" + R + "s"},
        Utf8Case{"BadByteInsideCyrillic", "Пр\xFFивет", "Пр" + R + "ивет"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PlatformMakeValidUtf8Exhaustive, EveryBytePairGivesValidTextAndDropsNothing)
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

struct SplitCase
{
    const char* name;
    std::string block;
    std::vector<std::string> expected;
    friend std::ostream& operator<<(std::ostream& out, const SplitCase& c) { return out << c.name; }
};

class PlatformSplitArgumentBlock : public ::testing::TestWithParam<SplitCase>
{
};

TEST_P(PlatformSplitArgumentBlock, Splits)
{
    EXPECT_EQ(Platform::SplitArgumentBlock(GetParam().block), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PlatformSplitArgumentBlock,
    ::testing::Values(SplitCase{"Empty", "", {}}, SplitCase{"OnlyAnEmptyArgument", "\0"s, {""}},
                      SplitCase{"NoTrailingNul", "prog\0-v"s, {"prog", "-v"}},
                      SplitCase{"EmptyArgumentKept", "prog\0\0last\0"s, {"prog", "", "last"}},
                      SplitCase{"NonAscii", "Привет\0漢字\0"s, {"Привет", "漢字"}},
                      SplitCase{"InvalidBytes", "prog\0\xFFx\0"s, {"prog", R + "x"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PlatformCommandLine, ChildSeesItsRawArgumentsAsValidUtf8)
{
    const auto result = Kavrel::Test::RunProcess({HELPER, "args", "Привет", "\xFFx", "", "a b"});
    ASSERT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output, "[" + HELPER + "]\n[args]\n[Привет]\n[" + R + "x]\n[]\n[a b]\n");
}

// ---------------------------------------------------------------- environment

TEST(PlatformEnvironment, SetReachesChildrenAndEmptyValueRemoves)
{
    EnvironmentGuard guard{"KAVREL_STANDIN_VARIABLE"};
    const auto childSees = [] { return Kavrel::Test::RunProcess({"/usr/bin/env"}).output; };
    Platform::SetEnvironmentVariable("KAVREL_STANDIN_VARIABLE", "value Привет");
    EXPECT_EQ(Platform::GetEnvironmentVariable("KAVREL_STANDIN_VARIABLE"), "value Привет");
    EXPECT_NE(childSees().find("\nKAVREL_STANDIN_VARIABLE=value Привет\n"), std::string::npos);

    Platform::SetEnvironmentVariable("KAVREL_STANDIN_VARIABLE", "");
    EXPECT_EQ(Platform::GetEnvironmentVariable("KAVREL_STANDIN_VARIABLE"), std::nullopt);
    EXPECT_EQ(childSees().find("KAVREL_STANDIN_VARIABLE="), std::string::npos);
    ::setenv("KAVREL_STANDIN_VARIABLE", "", 1); // set but empty is not unset
    EXPECT_EQ(Platform::GetEnvironmentVariable("KAVREL_STANDIN_VARIABLE"), "");
}

// In these tables nullptr means "not set".
struct UserCase
{
    const char *name, *username, *user, *expected;
    friend std::ostream& operator<<(std::ostream& out, const UserCase& c) { return out << c.name; }
};

class PlatformGetUserName : public ::testing::TestWithParam<UserCase>
{
};

TEST_P(PlatformGetUserName, PrefersUsernameThenUser)
{
    EnvironmentGuard guard{"USERNAME", "USER"};
    EnvironmentGuard::Set("USERNAME", GetParam().username);
    EnvironmentGuard::Set("USER", GetParam().user);
    EXPECT_EQ(Platform::GetUserName(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, PlatformGetUserName,
                         ::testing::Values(UserCase{"Both", "win", "posix", "win"},
                                           UserCase{"OnlyUser", nullptr, "posix", "posix"},
                                           UserCase{"OnlyUsername", "Пользователь", nullptr, "Пользователь"},
                                           UserCase{"EmptyUsernameSkipped", "", "posix", "posix"},
                                           UserCase{"Neither", nullptr, nullptr, ""}),
                         [](const auto& info) { return std::string(info.param.name); });

struct AppDataCase
{
    const char *name, *localAppData, *userProfile, *stateHome, *home;
    std::optional<std::string> expected;
    friend std::ostream& operator<<(std::ostream& out, const AppDataCase& c) { return out << c.name; }
};

class PlatformLocalAppDataFolder : public ::testing::TestWithParam<AppDataCase>
{
};

TEST_P(PlatformLocalAppDataFolder, FollowsTheFallbackChain)
{
    EnvironmentGuard guard{"LOCALAPPDATA", "USERPROFILE", "XDG_STATE_HOME", "HOME"};
    EnvironmentGuard::Set("LOCALAPPDATA", GetParam().localAppData);
    EnvironmentGuard::Set("USERPROFILE", GetParam().userProfile);
    EnvironmentGuard::Set("XDG_STATE_HOME", GetParam().stateHome);
    EnvironmentGuard::Set("HOME", GetParam().home);
    EXPECT_EQ(Platform::GetLocalAppDataFolder(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PlatformLocalAppDataFolder,
    ::testing::Values(
        AppDataCase{"LocalAppDataFirst", "/l", "/p", "/s", "/h", "/l"},
        AppDataCase{"UserProfile", nullptr, "/p", "/s", "/h", "/p/Local settings/Application Data"},
        AppDataCase{"EmptyLocalAppDataSkipped", "", "/p", "/s", "/h", "/p/Local settings/Application Data"},
        AppDataCase{"EmptyUserProfileSkipped", nullptr, "", "/s", "/h", "/s"},
        AppDataCase{"StateHome", nullptr, nullptr, "/s/Состояние", "/h", "/s/Состояние"},
        AppDataCase{"EmptyStateHomeSkipped", nullptr, nullptr, "", "/h", "/h/.local/state"},
        AppDataCase{"Home", nullptr, nullptr, nullptr, "/h", "/h/.local/state"},
        AppDataCase{"EmptyHome", nullptr, nullptr, nullptr, "", std::nullopt},
        AppDataCase{"Nothing", nullptr, nullptr, nullptr, nullptr, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- file system

TEST(PlatformFileSystem, CreationTime)
{
    const std::string folder = FreshFolder("creation-time");
    const auto before = std::chrono::system_clock::now();
    std::ofstream(folder + "/новый.log") << "x";
    const auto after = std::chrono::system_clock::now();
    const auto created = Platform::GetFileCreationTime(folder + "/новый.log");
    ASSERT_TRUE(created.has_value());
    // File times come from a coarse clock: allow a second either way.
    EXPECT_GE(*created, before - std::chrono::seconds(1));
    EXPECT_LE(*created, after + std::chrono::seconds(1));
    EXPECT_EQ(Platform::GetFileCreationTime(folder + "/missing.log"), std::nullopt);
    EXPECT_EQ(Platform::GetFileCreationTime(""), std::nullopt);

    // Aging the modification time must not age a file whose birth time is recorded.
    const timespec y2001[2] = {{978307200, 0}, {978307200, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (folder + "/новый.log").c_str(), y2001, 0), 0);
    struct statx info
    {
    };
    ASSERT_EQ(::statx(AT_FDCWD, (folder + "/новый.log").c_str(), 0, STATX_BTIME, &info), 0);
    const auto aged = Platform::GetFileCreationTime(folder + "/новый.log");
    ASSERT_TRUE(aged.has_value());
    if (info.stx_mask & STATX_BTIME)
        EXPECT_GE(*aged, before - std::chrono::seconds(1));
    else
        EXPECT_EQ(*aged, std::chrono::system_clock::from_time_t(978307200));
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
    EXPECT_FALSE(Platform::IsWritableDirectory(""));
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
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(Platform::GetRuntimeFolder(), fallback);
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
    EXPECT_TRUE(NamedMutex::IsHeldByAnyone("child-holds"));
    ASSERT_EQ(::kill(child.pid, SIGKILL), 0);
    EXPECT_EQ(WTERMSIG(child.Reap()), SIGKILL);
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
    EXPECT_EQ(fs::path(self).filename(), "kavrel_standin_platform_tests");
    const unsigned long pid = Platform::GetCurrentProcessId();
    EXPECT_EQ(pid, static_cast<unsigned long>(::getpid()));
    EXPECT_TRUE(Platform::IsProcessRunning(pid, self));

    const std::string folder = FreshFolder("own-process");
    fs::create_symlink(self, folder + "/ссылка");
    EXPECT_TRUE(Platform::IsProcessRunning(pid, folder + "/ссылка"));
    EXPECT_TRUE(Platform::IsProcessRunning(pid, folder + "/../own-process/ссылка"));
    EXPECT_FALSE(Platform::IsProcessRunning(pid, HELPER));
    EXPECT_FALSE(Platform::IsProcessRunning(pid, folder + "/missing"));
    EXPECT_FALSE(Platform::IsProcessRunning(pid, ""));

    unsigned long pidMax = 0;
    std::ifstream("/proc/sys/kernel/pid_max") >> pidMax;
    ASSERT_GT(pidMax, 0u);
    for (unsigned long impossible : {0ul, pidMax, static_cast<unsigned long>(INT_MAX) + 1, ULONG_MAX})
        EXPECT_FALSE(Platform::IsProcessRunning(impossible, self)) << impossible;
}

TEST(PlatformProcess, ChildRunningAnotherProgramUntilItEnds)
{
    Child child({HELPER, "wait"});
    ASSERT_EQ(child.ReadLine(), "ready"); // past exec: the id now runs the helper
    const auto pid = static_cast<unsigned long>(child.pid);
    EXPECT_TRUE(Platform::IsProcessRunning(pid, HELPER));
    EXPECT_FALSE(Platform::IsProcessRunning(pid, Platform::GetExecutablePath()));

    ::kill(child.pid, SIGKILL);
    ASSERT_TRUE(child.WaitUnreaped());
    EXPECT_FALSE(Platform::IsProcessRunning(pid, HELPER)) << "a zombie does not run";
    child.Reap();
    EXPECT_FALSE(Platform::IsProcessRunning(pid, HELPER));
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
    EXPECT_TRUE(Platform::IsProcessRunning(pid, copy));
    EXPECT_FALSE(Platform::IsProcessRunning(pid, HELPER)) << "same contents, another file";
    fs::remove(copy); // as an update does
    EXPECT_TRUE(Platform::IsProcessRunning(pid, copy));
}

// ---------------------------------------------------------------- process starter

namespace
{
std::string ReadWhole(const std::string& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteScript(const std::string& path, const std::string& body)
{
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    ::chmod(path.c_str(), 0700);
}
} // namespace

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
    std::istringstream ids(ReadWhole(marker));
    unsigned long pid = 0, session = 0;
    ids >> pid >> session;
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
    for (const std::vector<std::string>& arguments : {std::vector<std::string>{},
                                                      {"no-such-program-anywhere"},
                                                      {folder + "/missing"},
                                                      {folder + "/plain"}})
    {
        const auto started = Platform::GetProcessStarter().StartDetached(arguments);
        EXPECT_FALSE(started.started) << (arguments.empty() ? "(none)" : arguments[0]);
        EXPECT_EQ(started.handle, -1);
    }
}

TEST(PlatformProcessStarter, DocumentsRunWhenExecutableElseGoToTheDesktopHandler)
{
    const std::string folder = FreshFolder("documents");
    const std::string record = folder + "/opened";
    // A stand-in desktop handler on PATH records what it was asked to open.
    fs::create_directories(folder + "/bin");
    WriteScript(folder + "/bin/xdg-open", "echo \"$1\" > '" + record + "'");
    WriteScript(folder + "/Script.sh", "echo ran > '" + folder + "/ran'");
    std::ofstream(folder + "/Notes.txt") << "notes";
    EnvironmentGuard guard{"PATH"};
    ::setenv("PATH", (folder + "/bin:/usr/bin:/bin").c_str(), 1);
    const fs::path previous = fs::current_path();
    fs::current_path(folder); // relative names are taken from here

    auto script = Platform::GetProcessStarter().OpenDocument("Script.sh");
    auto notes = Platform::GetProcessStarter().OpenDocument("Notes.txt");
    fs::current_path(previous);
    EXPECT_TRUE(script.started);
    EXPECT_TRUE(notes.started);
    EXPECT_TRUE(Kavrel::Test::WaitFor([&] { return ReadWhole(folder + "/ran") == "ran\n"; }));
    EXPECT_TRUE(Kavrel::Test::WaitFor([&] { return ReadWhole(record) == folder + "/Notes.txt\n"; }));
    Platform::CloseProcessHandle(script.handle);
    Platform::CloseProcessHandle(notes.handle);
}

TEST(PlatformProcessStarter, AReplacementSeesEveryStartUntilRestored)
{
    struct Recorder : Platform::ProcessStarter
    {
        Platform::StartedProcess StartDetached(const std::vector<std::string>& arguments) override
        {
            seen = arguments;
            return {};
        }
        std::vector<std::string> seen;
    } recorder;
    Platform::ProcessStarter* system = Platform::SetProcessStarter(&recorder);
    Platform::GetProcessStarter().StartDetached({"program", "argument with spaces"});
    EXPECT_EQ(recorder.seen, (std::vector<std::string>{"program", "argument with spaces"}));
    Platform::SetProcessStarter(system);
    EXPECT_NE(&Platform::GetProcessStarter(), &recorder);
}
