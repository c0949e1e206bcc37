// Running the helper program as a child with a deadline, under injected faults.
#pragma once

#include "TestEnvironment.h"

#include <Kavrel/Platform/Event.h>
#include <Kavrel/Platform/Process.h>
#include <Kavrel/Platform/ProcessStarter.h>

#include <QSettings>

namespace Kavrel::Test
{

inline std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Waits for the child's end, at most the deadline; a child that is late is
// killed, and that is a hang.
inline bool EndsWithin(Child& child, std::chrono::milliseconds deadline)
{
    const int handle = Kavrel::Platform::OpenProcessHandle(static_cast<unsigned long>(child.pid));
    const bool ended =
        handle >= 0 && Kavrel::Platform::WaitForAny({handle}, static_cast<int>(deadline.count())) == 0;
    Kavrel::Platform::CloseProcessHandle(handle);
    if (!ended)
        child.Kill();
    return ended;
}

// What a fault does to the child: the calls, the error, where, and when.
struct Fault
{
    std::string call;
    std::string error;
    std::string path;
    int after = 0;
    int times = -1;
};

struct ProbeRun
{
    bool ended = false;
    int status = -1;
    std::vector<std::string> lines;
    std::vector<std::string> faults; // one line per failure the library made

    bool Has(const std::string& line) const
    {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    bool Logged(const std::string& text) const
    {
        return std::any_of(lines.begin(), lines.end(),
                           [&](const std::string& line)
                           { return line.rfind("log=", 0) == 0 && line.find(text) != std::string::npos; });
    }
};

// Runs the helper with the arguments, under the fault if one is given, its
// output going to a file that is read once it ended.
inline ProbeRun RunProbe(const std::vector<std::string>& arguments, const std::string& folder,
                         const std::optional<Fault>& fault = std::nullopt,
                         std::chrono::milliseconds deadline = std::chrono::seconds(60))
{
    static int count = 0;
    const std::string output = folder + "/probe-output-" + std::to_string(++count);
    const std::string faults = folder + "/probe-faults-" + std::to_string(count);
    std::vector<std::string> environment{"KAVREL_PROBE_OUTPUT=" + output};
    if (fault)
    {
        std::string asan = "ASAN_OPTIONS=verify_asan_link_order=0";
        if (const char* options = std::getenv("ASAN_OPTIONS"))
            asan += std::string(":") + options;
        environment.insert(environment.end(),
                           {"LD_PRELOAD=" KAVREL_FAULT_LIBRARY, asan, "KAVREL_FAULT_CALL=" + fault->call,
                            "KAVREL_FAULT_ERRNO=" + fault->error, "KAVREL_FAULT_PATH=" + fault->path,
                            "KAVREL_FAULT_AFTER=" + std::to_string(fault->after),
                            "KAVREL_FAULT_TIMES=" + std::to_string(fault->times),
                            "KAVREL_FAULT_LOG=" + faults});
    }
    std::vector<std::string> command{KAVREL_TEST_HELPER};
    command.insert(command.end(), arguments.begin(), arguments.end());
    ProbeRun run;
    Child child(command, environment);
    run.ended = EndsWithin(child, deadline);
    run.status = child.Wait();
    run.lines = Lines(ReadAll(output));
    run.faults = Lines(ReadAll(faults));
    return run;
}

// Another live instance (a waiting helper) with its record in the crash
// records, which nothing may take away.
struct LiveRecord
{
    explicit LiveRecord(const std::string& folder)
    {
        const ProbeRun where = RunProbe({"record"}, folder);
        file = where.lines.empty() ? "" : where.lines.front().substr(5);
        WriteFile(file, "[General]\n" + pid + "=true\n");
    }
    // The records file reads and still holds the record.
    bool Kept() const
    {
        QSettings records(QString::fromStdString(file), QSettings::IniFormat);
        return records.status() == QSettings::NoError && records.contains(QString::fromStdString(pid));
    }

    Child instance{{KAVREL_TEST_HELPER, "wait"}};
    const std::string pid = instance.ReadLine().substr(4);
    std::string file;
};

} // namespace Kavrel::Test
