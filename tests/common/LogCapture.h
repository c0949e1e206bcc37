#pragma once

#include "TestEnvironment.h"

#include <glog/logging.h>

#include <mutex>

namespace Kavrel::Test
{

// Collects every log line written while it lives, as "SEVERITY: text".
class LogCapture : public google::LogSink
{
public:
    LogCapture() { google::AddLogSink(this); }
    ~LogCapture() override { google::RemoveLogSink(this); }
    void send(google::LogSeverity severity, const char*, const char*, int, const google::LogMessageTime&,
              const char* message, size_t length) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        lines.push_back(std::string(google::GetLogSeverityName(severity)) + ": " +
                        std::string(message, length));
    }
    std::vector<std::string> Take()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return std::exchange(lines, {});
    }
    // How many lines hold the text.
    int CountMentioning(const std::string& text)
    {
        std::lock_guard<std::mutex> lock(mutex);
        return static_cast<int>(std::count_if(lines.begin(), lines.end(),
                                              [&](const std::string& line)
                                              { return line.find(text) != std::string::npos; }));
    }

    std::vector<std::string> lines;

private:
    std::mutex mutex;
};

} // namespace Kavrel::Test
