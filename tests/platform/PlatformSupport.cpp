#include "PlatformSupport.h"

#include <Kavrel/Platform/Environment.h>
#include <Kavrel/Platform/Event.h>
#include <Kavrel/Platform/Process.h>
#include <Kavrel/Platform/ProcessStarter.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#undef GetEnvironmentVariable // the layer's, not the system's macros
#undef SetEnvironmentVariable
#endif

namespace fs = std::filesystem;

namespace Kavrel::PlatformTest
{

namespace
{
std::string root;

void RemoveRoot()
{
    std::error_code ignored;
    fs::remove_all(fs::u8path(root), ignored);
}
} // namespace

const std::string& Root() { return root; }

std::string FreshFolder(const std::string& name)
{
    const fs::path folder = fs::u8path(root) / fs::u8path(name);
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder.u8string();
}

std::string UniqueName(const std::string& stem)
{
    static std::atomic<int> counter{0};
    return "KavrelPlatformTest-" + stem + "-" + std::to_string(Kavrel::Platform::GetCurrentProcessId()) +
           "-" + std::to_string(counter++);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream file(fs::u8path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void WriteFile(const std::string& path, const std::string& content)
{
    std::ofstream(fs::u8path(path), std::ios::binary) << content;
}

bool SamePath(const std::string& first, const std::string& second)
{
    auto normal = [](const std::string& path)
    {
        std::string text = fs::u8path(path).lexically_normal().u8string();
        while (text.size() > 1 && (text.back() == '/' || text.back() == '\\'))
            text.pop_back();
        if (WINDOWS)
            for (char& c : text)
                c = c == '/' ? '\\' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
    };
    return normal(first) == normal(second);
}

std::string ProgramName(const std::string& path)
{
    std::string name = fs::u8path(path).filename().u8string();
    if (WINDOWS && name.size() > 4)
    {
        std::string extension = name.substr(name.size() - 4);
        std::transform(extension.begin(), extension.end(), extension.begin(), ::tolower);
        if (extension == ".exe")
            name.resize(name.size() - 4);
    }
    return name;
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds deadline)
{
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!condition())
    {
        if (std::chrono::steady_clock::now() >= end)
            return condition();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void SetRawVariable(const std::string& name, const std::string& value)
{
#ifdef _WIN32
    const std::wstring wideName = fs::u8path(name).wstring(), wideValue = fs::u8path(value).wstring();
    ::SetEnvironmentVariableW(wideName.c_str(), wideValue.c_str());
#else
    ::setenv(name.c_str(), value.c_str(), 1);
#endif
}

VariableGuard::VariableGuard(std::initializer_list<const char*> names)
{
    for (const char* name : names)
        saved.emplace_back(name, Kavrel::Platform::GetEnvironmentVariable(name));
}

VariableGuard::~VariableGuard()
{
    for (const auto& [name, value] : saved)
        value ? SetRawVariable(name, *value) : Kavrel::Platform::SetEnvironmentVariable(name, "");
}

std::string HelperPath()
{
    return Kavrel::Platform::GetApplicationFilePath(WINDOWS ? "kavrel_platform_helper.exe"
                                                            : "kavrel_platform_helper");
}

Child::Child(const std::string& mode, const std::vector<std::string>& arguments,
             const std::string& workingFolder)
{
    const std::string folder = FreshFolder(UniqueName("child"));
    result = folder + "/result";
    stop = folder + "/stop";
    std::vector<std::string> command{HelperPath(), mode, result, stop};
    command.insert(command.end(), arguments.begin(), arguments.end());
    const auto process = Kavrel::Platform::GetProcessStarter().StartDetachedIn(command, workingFolder);
    started = process.started;
    pid = process.pid;
    handle = process.handle;
}

Child::~Child()
{
    Stop();
    WaitForEnd();
    Kavrel::Platform::CloseProcessHandle(handle);
}

// Every result says something; until it does, the child may still be
// moving it into place (Windows does not let it be read meanwhile).
std::string Child::Result()
{
    std::string text;
    WaitFor([&] { return !(text = ReadFile(result)).empty(); });
    return text;
}

void Child::Stop() { WriteFile(stop, "stop"); }

bool Child::WaitForEnd() { return Kavrel::Platform::WaitForAny({handle}, 20000) == 0; }

} // namespace Kavrel::PlatformTest

// Each test process gets a folder of its own; on Linux the runtime folder
// of lock files and pipes is a private one inside it.
int main(int argc, char** argv)
{
    using namespace Kavrel::PlatformTest;
    testing::InitGoogleTest(&argc, argv);
    const fs::path folder = fs::temp_directory_path() /
                            ("kavrel-platform-" + std::to_string(Kavrel::Platform::GetCurrentProcessId()) +
                             "-" + std::to_string(std::random_device()()));
    fs::create_directories(folder);
    root = folder.u8string();
    std::atexit(&RemoveRoot);
    if (!WINDOWS)
    {
        const std::string runtime = FreshFolder("runtime");
        fs::permissions(fs::u8path(runtime), fs::perms::owner_all, fs::perm_options::replace);
        Kavrel::Platform::SetEnvironmentVariable("XDG_RUNTIME_DIR", runtime);
    }
    return RUN_ALL_TESTS();
}
