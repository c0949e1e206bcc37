#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <thread>
#include <tuple>
#include <unistd.h>
#include <utility>
#include <vector>

namespace Kavrel::Test
{

// Gives this test process its own HOME, XDG_* folders, LOCALAPPDATA and
// runtime folder under one temporary folder, removed at exit, and selects
// the offscreen platform. Call before any Qt object exists.
void PrepareIsolatedEnvironment();

// The temporary folder PrepareIsolatedEnvironment made.
const std::string& IsolatedRoot();

// Folder of the running test executable, where helper programs are built.
inline std::string TestBinaryFolder()
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string(".") : self.parent_path().string();
}

// A program started with raw byte arguments (no shell, no re-encoding), its
// standard input and output piped to the test; killed and reaped at the end.
// Environment changes are "NAME=value" entries.
// An unprivileged child of root runs as "nobody", for whom permission bits
// count (exit status 126 if it cannot become nobody).
class Child
{
public:
    explicit Child(const std::vector<std::string>& arguments,
                   const std::vector<std::string>& environment = {}, bool unprivileged = false);
    ~Child();

    // The next line it wrote, without the line end; "" once its output ended.
    std::string ReadLine();
    // Closes its input, which ends a program that waits for it.
    void CloseInput();
    // Closes its input and waits for its end: the exit status, or 128 + the signal.
    int Wait();
    // Kills it and waits until it ended, leaving it a zombie.
    bool Kill();

    pid_t pid = -1;

private:
    int input = -1, output = -1;
};

struct ProcessResult
{
    int exitCode; // or 128 + the signal that ended it
    std::string output;
};

inline ProcessResult RunProcess(const std::vector<std::string>& arguments,
                                const std::vector<std::string>& environment = {}, bool unprivileged = false)
{
    Child child(arguments, environment, unprivileged);
    std::string output;
    for (std::string line; !(line = child.ReadLine()).empty();)
        output += line + "\n";
    return {child.Wait(), output};
}

// A new folder under the isolated root that an unprivileged child owns and
// can reach; the rest of the root stays closed to it.
std::string UnprivilegedFolder(const std::string& name);

// Writes a file, making its folder first; returns its path.
inline std::string WriteFile(const std::string& path, const std::string& content)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

// Polls condition until it holds or the deadline passes, processing Qt
// events in between when an event loop exists. Returns the last result.
bool WaitFor(const std::function<bool()>& condition,
             std::chrono::milliseconds deadline = std::chrono::seconds(10));

// Runs work on its own thread and tells whether it finished in time, so that a
// deadlock fails the test instead of hanging it; exceptions are rethrown here.
// A timed-out thread is abandoned, so the work must own what it touches.
inline bool FinishesWithin(std::function<void()> work,
                           std::chrono::milliseconds limit = std::chrono::seconds(10))
{
    std::packaged_task<void()> task(std::move(work));
    std::future<void> finished = task.get_future();
    std::thread(std::move(task)).detach();
    if (finished.wait_for(limit) != std::future_status::ready)
        return false;
    finished.get();
    return true;
}

// Puts the listed environment variables back as they were, set or not.
class EnvironmentGuard
{
public:
    EnvironmentGuard(std::initializer_list<const char*> names)
    {
        for (const char* name : names)
            saved.emplace_back(name, std::getenv(name) ? std::optional<std::string>(std::getenv(name))
                                                       : std::nullopt);
    }
    ~EnvironmentGuard()
    {
        for (const auto& [name, value] : saved)
            value ? ::setenv(name.c_str(), value->c_str(), 1) : ::unsetenv(name.c_str());
    }
    EnvironmentGuard(const EnvironmentGuard&) = delete;
    EnvironmentGuard& operator=(const EnvironmentGuard&) = delete;

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};

} // namespace Kavrel::Test
