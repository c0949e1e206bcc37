// Child program of the operating-system layer's suite:
//   helper <mode> <result file> <stop file> <arguments...>
// Modes:
//   args          the command line as the layer reports it, each argument ended by a NUL
//   env <name>    the variable's value, or "(unset)"
//   cwd           the current folder
//   hold <name>   takes the named mutex, reports "held" or "free", runs until stopped
//   wait          reports "ready", runs until stopped
//   pipe <id>     opens the slave's ends of the pipe pair <id> and sends back what
//                 it reads until the master's end goes, then reports "closed"
#include <Kavrel/Platform/CommandLine.h>
#include <Kavrel/Platform/Environment.h>
#include <Kavrel/Platform/NamedMutex.h>
#include <Kavrel/Platform/NamedPipe.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using Kavrel::Platform::NamedPipe;

namespace
{
// Written aside and renamed, so the test never reads half a result.
void Report(const std::string& path, const std::string& text)
{
    const fs::path file = fs::u8path(path);
    fs::path part = file;
    part += ".part";
    std::ofstream(part, std::ios::binary) << text;
    fs::rename(part, file);
}

// Until the test asks, but never longer than a minute: no stray helpers.
void RunUntilStopped(const std::string& stop)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!fs::exists(fs::u8path(stop)) && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

std::string Echo(const std::string& id)
{
    NamedPipe input("\\\\.\\pipe\\KavrelIPCInput" + id, NamedPipe::Direction::Read, false);
    NamedPipe output("\\\\.\\pipe\\KavrelIPCOutput" + id, NamedPipe::Direction::Write, false);
    if (!input.IsValid() || !output.IsValid())
        return "cannot open";
    char buffer[4096];
    while (true)
    {
        size_t got = 0;
        const NamedPipe::Status read = input.Read(buffer, sizeof buffer, got);
        if (read == NamedPipe::Status::Closed)
            return "closed";
        if (read != NamedPipe::Status::Done || output.WriteAll(buffer, got) != NamedPipe::Status::Done)
            return "failed";
    }
}
} // namespace

int main()
{
    // UTF-8 on every system, where argv would be in Windows' ANSI code page.
    const std::vector<std::string> arguments = Kavrel::Platform::GetCommandLineArguments();
    if (arguments.size() < 4)
        return 2;
    const std::string mode = arguments[1], result = arguments[2], stop = arguments[3];
    const std::string argument = arguments.size() > 4 ? arguments[4] : "";
    if (mode == "args")
    {
        std::string block;
        for (const std::string& each : arguments)
            block += each + '\0';
        Report(result, block);
    }
    else if (mode == "env")
        Report(result, Kavrel::Platform::GetEnvironmentVariable(argument).value_or("(unset)"));
    else if (mode == "cwd")
        Report(result, fs::current_path().u8string());
    else if (mode == "hold")
    {
        Kavrel::Platform::NamedMutex mutex(argument);
        Report(result, mutex.IsHeld() ? "held" : "free");
        RunUntilStopped(stop);
    }
    else if (mode == "wait")
    {
        Report(result, "ready");
        RunUntilStopped(stop);
    }
    else if (mode == "pipe")
        Report(result, Echo(argument));
    else
        return 2;
    return 0;
}
