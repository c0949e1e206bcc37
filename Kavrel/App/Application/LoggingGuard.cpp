#include "LoggingGuard.h"

#include <Kavrel/App/Application/Logging.h>
#include <Kavrel/Util/QtLogHandler.h>

#include "CrashSignals.h"

#include <Kavrel/Platform/Environment.h>
#include <Kavrel/Platform/Process.h>

#include <glog/logging.h>

#include <filesystem>
#include <utility>

namespace Kavrel::App
{

LoggingGuard& LoggingGuard::Instance()
{
    static LoggingGuard guard;
    return guard;
}

LoggingGuard::LoggingGuard() : started(InitLoggingSweepingLater(std::wstring(), 0, 10, sweep))
{
    if (started)
    {
        auto& handler = Kavrel::Util::QtLogHandler::GetInstance();
        handler.Install();
        handler.AddFilter(&IsAcceptedQtMessage);
        // A fatal signal leaves its backtrace in the log folder.
        const std::string folder =
            Kavrel::Platform::GetEnvironmentVariable("KavrelLogPath").value_or(std::string());
        const std::string executable =
            std::filesystem::u8path(Kavrel::Platform::GetExecutablePath()).stem().u8string();
        CrashSignals::InstallBacktraceWriter(folder + executable + ".CRASH." +
                                             std::to_string(Kavrel::Platform::GetCurrentProcessId()));
    }
}

void LoggingGuard::SweepOldLogs()
{
    const std::lock_guard<std::mutex> lock(sweeping);
    if (sweep)
        std::exchange(sweep, nullptr)();
}

LoggingGuard::~LoggingGuard()
{
    if (!started)
        return;
    google::ShutdownGoogleLogging();
    Kavrel::Util::QtLogHandler::GetInstance().Uninstall();
}

} // namespace Kavrel::App
