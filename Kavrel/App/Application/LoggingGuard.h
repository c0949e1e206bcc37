#pragma once

namespace Kavrel::App
{

// Starts logging once per process on first use and stops it at process exit:
// the logging library first, then the routing of Qt's messages.
class LoggingGuard
{
public:
    static LoggingGuard& Instance();
    bool IsStarted() const { return started; }

private:
    LoggingGuard();
    ~LoggingGuard();

    bool started = false;
};

} // namespace Kavrel::App
