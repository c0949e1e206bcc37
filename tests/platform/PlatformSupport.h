#pragma once

// What the operating-system layer's suite needs on every backend: a private
// folder, helper children, files and names of its own. Built on the layer
// itself and the standard library only, so the suite also runs under Wine.

#include <chrono>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace Kavrel::PlatformTest
{

#ifdef _WIN32
constexpr bool WINDOWS = true;
#else
constexpr bool WINDOWS = false;
#endif

// The temporary folder of this test process, removed at its end.
const std::string& Root();
// An empty folder "name" under Root(), UTF-8.
std::string FreshFolder(const std::string& name);
// A name no other test process uses, for the system-wide namespaces.
std::string UniqueName(const std::string& stem);

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);
// The same file system path, as the system compares them (case-blind on Windows).
bool SamePath(const std::string& first, const std::string& second);
// The last part of a path, without ".exe" on Windows.
std::string ProgramName(const std::string& path);

// Polls until the condition holds or the deadline passes.
bool WaitFor(const std::function<bool()>& condition,
             std::chrono::milliseconds deadline = std::chrono::seconds(20));

// Sets a variable as the system keeps it, an empty value included.
void SetRawVariable(const std::string& name, const std::string& value);

// Puts the listed variables back as they were, set or not.
class VariableGuard
{
public:
    VariableGuard(std::initializer_list<const char*> names);
    ~VariableGuard();
    VariableGuard(const VariableGuard&) = delete;
    VariableGuard& operator=(const VariableGuard&) = delete;

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};

// The helper program beside the tests.
std::string HelperPath();

// The suite's own child, not tests/common's: under Wine there is no Qt and no fork.
// A helper child started with the layer's starter:
//   helper <mode> <result file> <stop file> <arguments...>
// It writes its result, then (modes "hold", "wait", "pipe") runs until
// Stop() or its own end. The destructor stops it and waits for its end.
class Child
{
public:
    Child(const std::string& mode, const std::vector<std::string>& arguments = {},
          const std::string& workingFolder = {});
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool Started() const { return started; }
    unsigned long Pid() const { return pid; }
    int Handle() const { return handle; }
    // The result, once written (never empty); empty when none came in time.
    std::string Result();
    void Stop();
    bool WaitForEnd();

private:
    std::string result, stop;
    bool started = false;
    unsigned long pid = 0;
    int handle = -1;
};

} // namespace Kavrel::PlatformTest
