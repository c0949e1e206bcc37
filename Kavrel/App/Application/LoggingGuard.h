#pragma once

#include <functional>
#include <mutex>
#include <string>

namespace Kavrel::App
{

// InitLogging, with its sweep of old log files handed back in `sweep`
// instead of run (nothing when no sweep is due).
bool InitLoggingSweepingLater(const std::wstring& productName, int lowestFileSeverity, long long daysToKeep,
                              std::function<void()>& sweep);

// Starts logging once per process on first use and stops it at process exit:
// the logging library first, then the routing of Qt's messages.
class LoggingGuard
{
public:
    static LoggingGuard& Instance();
    bool IsStarted() const { return started; }
    // Deletes the old log files, once per process; from any thread.
    void SweepOldLogs();

private:
    LoggingGuard();
    ~LoggingGuard();

    std::function<void()> sweep;
    std::mutex sweeping;
    bool started = false;
};

} // namespace Kavrel::App
