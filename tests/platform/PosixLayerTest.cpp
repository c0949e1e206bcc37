// What only the POSIX backend has to get right: the runtime folder's
// permissions, lock files, executables removed or linked while they run,
// sessions, and documents that only the desktop's handler may open.
#include "PlatformSupport.h"

#include <Kavrel/Platform/Environment.h>
#include <Kavrel/Platform/Event.h>
#include <Kavrel/Platform/FileSystem.h>
#include <Kavrel/Platform/NamedMutex.h>
#include <Kavrel/Platform/Process.h>
#include <Kavrel/Platform/ProcessStarter.h>
#include <Kavrel/Platform/RuntimeFolder.h>
#include <Kavrel/Platform/WindowActivation.h>

#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <filesystem>
#include <grp.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Kavrel::PlatformTest;
namespace fs = std::filesystem;
namespace Platform = Kavrel::Platform;
using Platform::NamedMutex;

namespace
{
const uid_t NOBODY = 65534;

// A folder only its owner may use, as a runtime folder must be.
std::string PrivateFolder(const std::string& name)
{
    const std::string folder = FreshFolder(name);
    ::chmod(folder.c_str(), 0700);
    return folder;
}

// Asked by a child of ours that root first turns into nobody, for whom permission bits count.
bool WritableForNobody(const std::string& path)
{
    const pid_t pid = ::fork();
    if (pid == 0)
    {
        const bool nobody = ::geteuid() != 0 ||
                            (::setgroups(0, nullptr) == 0 && ::setgid(NOBODY) == 0 && ::setuid(NOBODY) == 0);
        ::_exit(nobody && Platform::IsWritableDirectory(path) ? 0 : 1);
    }
    int status = 1;
    return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
} // namespace

TEST(PosixRuntimeFolder, privateXdgFolderElsePrivateTempFolderElseNothing)
{
    VariableGuard guard{"XDG_RUNTIME_DIR", "TMPDIR"};
    const std::string temp = PrivateFolder("runtime-temp"), runtime = PrivateFolder("runtime-xdg");
    const std::string fallback = temp + "/kavrel-" + std::to_string(::getuid());
    SetRawVariable("TMPDIR", temp);
    SetRawVariable("XDG_RUNTIME_DIR", runtime);
    EXPECT_EQ(Platform::GetRuntimeFolder(), runtime);
    EXPECT_FALSE(fs::exists(fallback));
    ::chmod(runtime.c_str(), 0750); // others may look in: not private
    EXPECT_EQ(Platform::GetRuntimeFolder(), fallback);
    EXPECT_EQ(fs::symlink_status(fallback).permissions(), fs::perms::owner_all);
    ::chmod(fallback.c_str(), 0777);
    EXPECT_EQ(Platform::GetRuntimeFolder(), "") << "a folder others can write into";
    fs::remove(fallback);
    fs::create_directory_symlink(PrivateFolder("runtime-elsewhere"), fallback);
    EXPECT_EQ(Platform::GetRuntimeFolder(), "") << "a link planted in its place";
    SetRawVariable("TMPDIR", temp + "/does/not/exist");
    EXPECT_EQ(Platform::GetRuntimeFolder() + NamedMutex::LockFilePath("name"), "");
    EXPECT_FALSE(NamedMutex("name").IsHeld() || NamedMutex::IsHeldByAnyone("name"));
}

TEST(PosixFileSystem, aFolderIsWritableWithItsWriteBitAlsoThroughALink)
{
    const std::string folder = FreshFolder("read-only"), link = Root() + "/read-only link";
    fs::create_directory_symlink(folder, link);
    ::chmod(Root().c_str(), 0711); // others may pass, not look
    ASSERT_TRUE(::geteuid() != 0 || ::chown(folder.c_str(), NOBODY, NOBODY) == 0);
    for (const auto& [mode, writable] : {std::pair(0700, true), std::pair(0500, false)})
    {
        ASSERT_EQ(::chmod(folder.c_str(), static_cast<mode_t>(mode)), 0);
        EXPECT_EQ(WritableForNobody(folder), writable) << std::oct << mode;
        EXPECT_EQ(WritableForNobody(link), writable) << std::oct << mode;
    }
}

TEST(PosixNamedMutex, lockFilesStayInTheRuntimeFolderAndAKilledHolderLeavesTheNameFree)
{
    const std::string folder = Platform::GetRuntimeFolder();
    EXPECT_EQ(NamedMutex::LockFilePath("App/Instance\\1"), folder + "/App_Instance_1.lock");
    EXPECT_EQ(fs::path(NamedMutex::LockFilePath("../../etc/passwd")).parent_path(), fs::path(folder));
    EXPECT_EQ(NamedMutex::LockFilePath(""), "");
    const std::string name = UniqueName("killed");
    Child holder("hold", {name});
    ASSERT_EQ(holder.Result(), "held");
    EXPECT_TRUE(NamedMutex::IsHeldByAnyone(name));
    ASSERT_EQ(::kill(static_cast<pid_t>(holder.Pid()), SIGKILL), 0);
    ASSERT_TRUE(holder.WaitForEnd());
    EXPECT_FALSE(NamedMutex::IsHeldByAnyone(name));
}

// An update replaces the file under a running program; a link or a detour
// names the same file.
TEST(PosixProcess, anIdRunsTheFileItStartedFromUntilItEndsEvenWhenTheFileIsRemoved)
{
    const std::string self = Platform::GetExecutablePath(), folder = FreshFolder("own process");
    const unsigned long pid = Platform::GetCurrentProcessId();
    EXPECT_EQ(pid, static_cast<unsigned long>(::getpid()));
    fs::create_symlink(self, folder + "/ссылка");
    EXPECT_TRUE(Platform::IsProcessRunning(pid, folder + "/../own process/ссылка"));
    // Ids that a narrower id type would wrap to this one or to "all".
    for (unsigned long impossible : {ULONG_MAX, pid + (1ul << 32)})
        EXPECT_FALSE(Platform::IsProcessRunning(impossible, self)) << impossible;

    struct statvfs volume
    {
    };
    if (::statvfs(folder.c_str(), &volume) == 0 && (volume.f_flag & ST_NOEXEC))
        GTEST_SKIP() << "the temporary folder does not allow running programs";
    const std::string copy = folder + "/helper copy", result = folder + "/result";
    fs::copy_file(HelperPath(), copy);
    const std::string stop = folder + "/stop";
    const pid_t child = ::fork(); // ours, so that it stays a zombie until we reap it
    if (child == 0)
    {
        ::execl(copy.c_str(), copy.c_str(), "wait", result.c_str(), stop.c_str(), nullptr);
        ::_exit(127);
    }
    ASSERT_TRUE(WaitFor([&] { return ReadFile(result) == "ready"; }));
    const auto id = static_cast<unsigned long>(child);
    EXPECT_FALSE(Platform::IsProcessRunning(id, HelperPath())) << "same contents, another file";
    fs::remove(copy);
    EXPECT_TRUE(Platform::IsProcessRunning(id, copy));
    ::kill(child, SIGKILL);
    siginfo_t ended{};
    ASSERT_EQ(::waitid(P_PID, static_cast<id_t>(child), &ended, WEXITED | WNOWAIT), 0);
    EXPECT_FALSE(Platform::IsProcessRunning(id, copy)) << "a zombie does not run";
    ::waitpid(child, nullptr, 0);
}

// A program is looked up on the absolute entries of PATH; a document only
// ever goes to the desktop handler, whatever its mode, never from a relative
// PATH entry.
TEST(PosixProcessStarter, startsAProgramFromThePathInASessionOfItsOwnAndNeverExecutesADocument)
{
    const std::string folder = FreshFolder("starter");
    fs::create_symlink(HelperPath(), folder + "/platform-helper");
    for (const auto& [script, body] : {std::pair("/xdg-open", "echo \"$1\" > '" + folder + "/opened'"),
                                       std::pair("/Script.sh", "echo ran > '" + folder + "/ran'")})
    {
        WriteFile(folder + script, "#!/bin/sh\n" + body + "\n");
        fs::permissions(folder + script, fs::perms::owner_all);
    }
    VariableGuard guard{"PATH"};
    SetRawVariable("PATH", folder);
    const auto started = Platform::GetProcessStarter().StartDetached(
        {"platform-helper", "wait", folder + "/result", folder + "/stop"});
    ASSERT_TRUE(started.started);
    EXPECT_TRUE(WaitFor([&] { return ReadFile(folder + "/result") == "ready"; }));
    EXPECT_TRUE(Platform::IsProcessRunning(started.pid, HelperPath())) << "the id is the program's";
    EXPECT_NE(::getsid(static_cast<pid_t>(started.pid)), ::getsid(0));
    WriteFile(folder + "/stop", "stop");
    EXPECT_EQ(Platform::WaitForAny({started.handle}, 20000), 0);
    Platform::CloseProcessHandle(started.handle);

    const fs::path previous = fs::current_path();
    fs::current_path(folder);
    SetRawVariable("PATH", ".");
    EXPECT_FALSE(Platform::GetProcessStarter().OpenDocument(folder + "/Script.sh").started);
    SetRawVariable("PATH", folder);
    const auto opened = Platform::GetProcessStarter().OpenDocument(folder + "/Script.sh");
    fs::current_path(previous);
    ASSERT_TRUE(opened.started);
    EXPECT_TRUE(WaitFor([&] { return ReadFile(folder + "/opened") == folder + "/Script.sh\n"; }));
    EXPECT_FALSE(fs::exists(folder + "/ran"));
    Platform::CloseProcessHandle(opened.handle);
}

// Window activation reaches the X server that DISPLAY names, through libxcb
// loaded on first use, and fails without one.
TEST(PosixWindowActivation, aRequestReachesTheServerThatDisplayNames)
{
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const std::string fd = std::to_string(ready[1]);
    const char* arguments[] = {"Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", nullptr};
    pid_t server = 0;
    const int spawned =
        ::posix_spawnp(&server, "Xvfb", nullptr, nullptr, const_cast<char**>(arguments), environ);
    ::close(ready[1]);
    if (spawned != 0)
    {
        ::close(ready[0]);
        GTEST_SKIP() << "no Xvfb to talk to";
    }
    // The server writes its display number once it takes connections.
    char number[16] = {};
    pollfd wait{ready[0], POLLIN, 0};
    const bool up = ::poll(&wait, 1, 10000) == 1 && ::read(ready[0], number, sizeof number - 1) > 0;
    ::close(ready[0]);
    VariableGuard guard({"DISPLAY"});
    Platform::SetEnvironmentVariable("DISPLAY", ":" + std::to_string(std::atoi(number)));
    EXPECT_TRUE(up && Platform::ActivateWindow(0x200001));
    ::kill(server, SIGTERM);
    ::waitpid(server, nullptr, 0);
    EXPECT_FALSE(Platform::ActivateWindow(0x200001)) << "the server is gone";
}
