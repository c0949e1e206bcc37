#include <Kavrel/App/Application/Logging.h>
#include <Kavrel/Core/Utf.h>
#include <Kavrel/Platform/Environment.h>
#include <Kavrel/Platform/FileSystem.h>
#include <Kavrel/Platform/Process.h>

#include "LoggingGuard.h"

#include <glog/logging.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <system_error>

namespace fs = std::filesystem;

namespace Kavrel::App
{

namespace
{
const char UNKNOWN_PRODUCT[] = "UnknownProduct";
const char UNKNOWN_USER[] = "UnknownUser";
// Far beyond any real name, short enough that a log file name stays within
// the file system's limit.
constexpr size_t MAX_USER_NAME_BYTES = 64;
// The old-log threshold stays representable (about a century back).
constexpr long long MAX_DAYS_TO_KEEP = 36500;

std::string LogProductName(const std::wstring& productName)
{
    std::string name = Kavrel::Core::Utf8FromWstring(productName);
    if (name.empty())
        name = Kavrel::Platform::GetEnvironmentVariable("GLOG_PRODUCT_NAME").value_or(UNKNOWN_PRODUCT);
    if (const auto slash = name.rfind('\\'); slash != std::string::npos)
        name.erase(0, slash + 1);
    if (const auto slash = name.rfind('/'); slash != std::string::npos)
        name.erase(0, slash + 1);
    // The name is a folder of its own under Logs/, never the folder itself
    // or the one above it.
    if (name.empty() || name == "." || name == "..")
        name = UNKNOWN_PRODUCT;
    return name;
}

// The user part of the log file names: one harmless piece of a file name,
// whatever the environment says.
std::string LogUserName()
{
    std::string name = Kavrel::Platform::GetUserName();
    for (char& c : name)
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20)
            c = '_';
    if (name.size() > MAX_USER_NAME_BYTES)
    {
        size_t cut = MAX_USER_NAME_BYTES;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut; // not inside a UTF-8 sequence
        name.resize(cut);
    }
    return name.empty() ? UNKNOWN_USER : name;
}

// The running executable's file name cut at its last dot.
std::string ExecutableName()
{
    std::string name = fs::u8path(Kavrel::Platform::GetExecutablePath()).filename().u8string();
    if (const auto dot = name.rfind('.'); dot != std::string::npos)
        name.erase(dot);
    return name;
}

// Deletes this executable's log files created before the threshold; files
// of other programs in the same folder are never touched.
void SweepOldLogs(const std::string& folder, const std::string& executableName,
                  std::chrono::system_clock::time_point threshold)
{
    const std::string prefix = executableName + ".";
    std::error_code error;
    for (fs::directory_iterator it(fs::u8path(folder), error), end; !error && it != end; it.increment(error))
    {
        const std::string fileName = it->path().filename().u8string();
        if (fileName.compare(0, prefix.size(), prefix) != 0 || it->is_directory(error))
            continue;
        const auto created = Kavrel::Platform::GetFileCreationTime(it->path().u8string());
        if (created && *created < threshold)
        {
            std::error_code ignored;
            fs::remove(it->path(), ignored);
        }
    }
}
} // namespace

namespace
{
// `sweepLater`: the sweep of old logs is handed back instead of run, for a
// caller that runs it off the path to the first window.
bool StartLogging(const std::wstring& productName, int lowestFileSeverity, long long daysToKeep,
                  std::chrono::system_clock::time_point now, std::function<void()>* sweepLater)
{
    if (google::IsGoogleLoggingInitialized())
    {
        LOG(WARNING) << "Attempt to re-initialize GLOG";
        return false;
    }

    // glog keeps the pointer it is given as the program name.
    static std::string programName;
    const std::string name = LogProductName(productName);

    const auto base = Kavrel::Platform::GetLocalAppDataFolder();
    if (!base)
        return false;
    const std::string folder = *base + "/Kavrel/Logs/" + name + "/";
    std::error_code error;
    fs::create_directories(fs::u8path(folder), error);
    if (!Kavrel::Platform::IsWritableDirectory(folder))
        return false;

    const std::string executableName = ExecutableName();
    // A negative count means nothing sensible: better keep every log. The
    // limit is taken now, before this run's own files exist.
    if (daysToKeep >= 0)
    {
        auto sweep = [folder, executableName,
                      threshold = now - std::chrono::hours(24) * std::min(daysToKeep, MAX_DAYS_TO_KEEP)]
        { SweepOldLogs(folder, executableName, threshold); };
        if (sweepLater)
            *sweepLater = std::move(sweep);
        else
            sweep();
    }

    Kavrel::Platform::SetEnvironmentVariable("KavrelLogPath", folder);

    // The program name is given first: glog names each file's "latest"
    // link after it when the destination is set.
    programName = name;
    google::InitGoogleLogging(programName.c_str());

    const std::string prefix = folder + executableName + "." + LogUserName();
    for (int severity = google::GLOG_INFO; severity < google::NUM_SEVERITIES; ++severity)
    {
        const std::string destination = severity < lowestFileSeverity
                                            ? std::string()
                                            : prefix + "." + google::GetLogSeverityName(severity) + ".";
        google::SetLogDestination(severity, destination.c_str());
    }
    return true;
}
} // namespace

bool InitLogging(const std::wstring& productName, int lowestFileSeverity, long long daysToKeep)
{
    return StartLogging(productName, lowestFileSeverity, daysToKeep, std::chrono::system_clock::now(),
                        nullptr);
}

bool InitLogging(const std::wstring& productName, int lowestFileSeverity, long long daysToKeep,
                 std::chrono::system_clock::time_point now)
{
    return StartLogging(productName, lowestFileSeverity, daysToKeep, now, nullptr);
}

bool InitLoggingSweepingLater(const std::wstring& productName, int lowestFileSeverity, long long daysToKeep,
                              std::function<void()>& sweep)
{
    return StartLogging(productName, lowestFileSeverity, daysToKeep, std::chrono::system_clock::now(),
                        &sweep);
}

bool IsAcceptedQtMessage(const QString& message)
{
    return !message.startsWith(QLatin1String("libpng warning"), Qt::CaseSensitive);
}

} // namespace Kavrel::App
