#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace Kavrel::Test
{

// Gives this test process its own HOME, XDG_* folders, LOCALAPPDATA and
// runtime folder under one temporary folder, removed at exit, and selects
// the offscreen platform. Call before any Qt object exists.
void PrepareIsolatedEnvironment();

// The temporary folder PrepareIsolatedEnvironment made.
const std::string& IsolatedRoot();

struct ProcessResult
{
    int exitCode = -1;  // exit status, or -1 when it did not exit normally
    int signal = 0;     // the signal that ended it, if any
    std::string output; // everything it wrote to standard output
};

// Runs a program with raw byte arguments (no shell, no re-encoding) and
// waits for it. extraEnvironment entries are "NAME=value"; "NAME=" alone
// removes the variable.
ProcessResult RunProcess(const std::vector<std::string>& arguments,
                         const std::vector<std::string>& extraEnvironment = {});

// Polls condition until it holds or the deadline passes, processing Qt
// events in between when an event loop exists. Returns the last result.
bool WaitFor(const std::function<bool()>& condition,
             std::chrono::milliseconds deadline = std::chrono::seconds(10));

// Folder of the running test executable, where helper programs are built.
std::string TestBinaryFolder();

} // namespace Kavrel::Test
