#include "CrashSignals.h"

#include <glog/logging.h>

#include <array>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace Kavrel::App::CrashSignals
{

namespace
{
constexpr int FATAL_SIGNALS[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
constexpr int TERMINATION_SIGNALS[] = {SIGTERM, SIGHUP};
constexpr size_t STATE_BYTES = 16;

int sessionRecord = -1;
int terminationEvent = -1;
volatile sig_atomic_t terminationRequested = 0;
std::array<struct sigaction, NSIG> chained{};
// Precomputed: nothing may be built inside a handler.
char crashFilePath[4096] = {0};
int crashFile = -1;

// "<word> <number>" padded with spaces to the state field, line-ended.
void WriteState(const char* word, int number)
{
    if (sessionRecord < 0)
        return;
    char state[STATE_BYTES];
    std::memset(state, ' ', sizeof state);
    size_t at = 0;
    for (; word[at] && at < 8; ++at)
        state[at] = word[at];
    char digits[8];
    int count = 0;
    for (unsigned value = static_cast<unsigned>(number); count == 0 || value > 0; value /= 10)
        digits[count++] = static_cast<char>('0' + value % 10);
    state[at++] = ' ';
    while (count > 0 && at < STATE_BYTES - 1)
        state[at++] = digits[--count];
    state[STATE_BYTES - 1] = '\n';
    [[maybe_unused]] const ssize_t written = ::pwrite(sessionRecord, state, sizeof state, 0);
}

void ReraiseWithDefault(int signal)
{
    struct sigaction standard
    {
    };
    standard.sa_handler = SIG_DFL;
    ::sigaction(signal, &standard, nullptr);
    ::raise(signal); // delivered when the handler returns
}

void OnFatalSignal(int signal, siginfo_t* info, void* context)
{
    WriteState("crash", signal);
    const struct sigaction& previous = chained[static_cast<size_t>(signal)];
    if (previous.sa_flags & SA_SIGINFO)
        previous.sa_sigaction(signal, info, context);
    else if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN)
        previous.sa_handler(signal);
    else
        ReraiseWithDefault(signal);
}

void OnTerminationRequest(int signal)
{
    if (terminationRequested)
    {
        ReraiseWithDefault(signal); // asked twice: no more waiting
        return;
    }
    terminationRequested = 1;
    WriteState("term", signal);
    const std::uint64_t one = 1;
    if (terminationEvent >= 0)
    {
        [[maybe_unused]] const ssize_t written = ::write(terminationEvent, &one, sizeof one);
    }
}

bool IsOurs(const struct sigaction& action)
{
    return (action.sa_flags & SA_SIGINFO) ? action.sa_sigaction == &OnFatalSignal
                                          : action.sa_handler == &OnTerminationRequest;
}

bool IsDefault(const struct sigaction& action)
{
    return !(action.sa_flags & SA_SIGINFO) && action.sa_handler == SIG_DFL;
}

// glog's dump goes to standard error and into the log folder.
void WriteFailure(const char* data, size_t size)
{
    [[maybe_unused]] ssize_t written = ::write(STDERR_FILENO, data, size);
    if (crashFile < 0 && crashFilePath[0])
        crashFile = ::open(crashFilePath, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (crashFile >= 0)
        written = ::write(crashFile, data, size);
}
} // namespace

void SetSessionRecord(int fd) { sessionRecord = fd; }

void InstallSessionHandlers(int terminationFd)
{
    terminationEvent = terminationFd;
    for (const int signal : FATAL_SIGNALS)
    {
        struct sigaction current
        {
        };
        if (::sigaction(signal, nullptr, &current) != 0 || IsOurs(current))
            continue;
        chained[static_cast<size_t>(signal)] = current;
        struct sigaction ours
        {
        };
        ours.sa_sigaction = &OnFatalSignal;
        ours.sa_flags = SA_SIGINFO | SA_ONSTACK;
        sigemptyset(&ours.sa_mask);
        ::sigaction(signal, &ours, nullptr);
    }
    for (const int signal : TERMINATION_SIGNALS)
    {
        struct sigaction current
        {
        };
        // A product's own handling of termination is its own business.
        if (::sigaction(signal, nullptr, &current) != 0 || !IsDefault(current))
            continue;
        struct sigaction ours
        {
        };
        ours.sa_handler = &OnTerminationRequest;
        sigemptyset(&ours.sa_mask);
        ::sigaction(signal, &ours, nullptr);
    }
}

void InstallBacktraceWriter(const std::string& crashFileName)
{
    std::strncpy(crashFilePath, crashFileName.c_str(), sizeof crashFilePath - 1);
    std::array<struct sigaction, NSIG> before{};
    for (const int signal : FATAL_SIGNALS)
        ::sigaction(signal, nullptr, &before[static_cast<size_t>(signal)]);
    struct sigaction terminate
    {
    };
    ::sigaction(SIGTERM, nullptr, &terminate);

    google::InstallFailureWriter(&WriteFailure);
    google::InstallFailureSignalHandler();

    // glog takes every fatal signal and SIGTERM. Where we recorded over
    // the default, we now record over glog's writer; a handler of the
    // product's keeps its signal; termination requests stay as they were.
    for (const int signal : FATAL_SIGNALS)
    {
        const struct sigaction& earlier = before[static_cast<size_t>(signal)];
        struct sigaction glogs
        {
        };
        ::sigaction(signal, nullptr, &glogs);
        if (IsOurs(earlier))
        {
            if (IsDefault(chained[static_cast<size_t>(signal)]))
                chained[static_cast<size_t>(signal)] = glogs;
            ::sigaction(signal, &earlier, nullptr);
        }
        else if (!IsDefault(earlier))
            ::sigaction(signal, &earlier, nullptr);
    }
    ::sigaction(SIGTERM, &terminate, nullptr);
}

std::string SignalName(int signal)
{
    switch (signal)
    {
    case SIGSEGV:
        return "SIGSEGV";
    case SIGBUS:
        return "SIGBUS";
    case SIGILL:
        return "SIGILL";
    case SIGFPE:
        return "SIGFPE";
    case SIGABRT:
        return "SIGABRT";
    case SIGTERM:
        return "SIGTERM";
    case SIGHUP:
        return "SIGHUP";
    case SIGKILL:
        return "SIGKILL";
    default:
        return std::to_string(signal);
    }
}

} // namespace Kavrel::App::CrashSignals
