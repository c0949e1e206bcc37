#include <Kavrel/Platform/Environment.h>
#include <Kavrel/Platform/Process.h>
#include <Kavrel/Platform/ProcessStarter.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace Kavrel::Platform
{

namespace
{
bool IsExecutableFile(const std::string& path)
{
    struct stat info
    {
    };
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// Resolved before forking: only async-signal-safe calls may follow a fork.
std::string ResolveProgram(const std::string& program)
{
    if (program.find('/') != std::string::npos)
    {
        // Taken from here, before the program changes to its own folder.
        char folder[4096];
        if (program[0] == '/' || !::getcwd(folder, sizeof folder))
            return program;
        return std::string(folder) + "/" + program;
    }
    const std::string path = GetEnvironmentVariable("PATH").value_or("/usr/local/bin:/usr/bin:/bin");
    size_t start = 0;
    while (start <= path.size())
    {
        size_t end = path.find(':', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string folder = path.substr(start, end - start);
        start = end + 1;
        // An empty or relative entry would run whatever sits in the current
        // folder under that name.
        if (folder.empty() || folder[0] != '/')
            continue;
        const std::string candidate = folder + "/" + program;
        if (IsExecutableFile(candidate))
            return candidate;
    }
    return {};
}

bool ReadAll(int fd, void* buffer, size_t size)
{
    auto* bytes = static_cast<char*>(buffer);
    size_t done = 0;
    while (done < size)
    {
        const ssize_t got = ::read(fd, bytes + done, size - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        done += static_cast<size_t>(got);
    }
    return true;
}

void WriteAll(int fd, const void* buffer, size_t size)
{
    const auto* bytes = static_cast<const char*>(buffer);
    while (size > 0)
    {
        const ssize_t put = ::write(fd, bytes, size);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return;
        bytes += put;
        size -= static_cast<size_t>(put);
    }
}
} // namespace

StartedProcess ProcessStarter::StartDetachedIn(const std::vector<std::string>& arguments,
                                               const std::string& workingFolder)
{
    StartedProcess result;
    if (arguments.empty())
        return result;
    const std::string program = ResolveProgram(arguments[0]);
    if (program.empty())
        return result;
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    // The intermediate child starts a new session and forks the program, so
    // the program is adopted by init and never becomes our zombie. The pipe
    // carries the program's pid, then the exec error if there was one.
    int channel[2];
    if (::pipe2(channel, O_CLOEXEC) != 0)
        return result;
    // A detached program reads nothing of ours.
    const int nothing = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    const pid_t middle = ::fork();
    if (middle < 0)
    {
        ::close(channel[0]);
        ::close(channel[1]);
        if (nothing >= 0)
            ::close(nothing);
        return result;
    }
    if (middle == 0)
    {
        ::close(channel[0]);
        ::setsid();
        const pid_t program_pid = ::fork();
        if (program_pid == 0)
        {
            if (nothing >= 0)
                ::dup2(nothing, STDIN_FILENO);
            // An ignored SIGPIPE would be inherited (the pipes ignore it).
            struct sigaction standard
            {
            };
            standard.sa_handler = SIG_DFL;
            ::sigaction(SIGPIPE, &standard, nullptr);
            if (workingFolder.empty() || ::chdir(workingFolder.c_str()) == 0)
                ::execve(program.c_str(), argv.data(), environ);
            const int error = errno;
            WriteAll(channel[1], &error, sizeof error);
            ::_exit(127);
        }
        WriteAll(channel[1], &program_pid, sizeof program_pid);
        ::_exit(program_pid > 0 ? 0 : 1);
    }
    ::close(channel[1]);
    if (nothing >= 0)
        ::close(nothing);
    int status = 0;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR)
    {
    }
    pid_t pid = -1;
    int execError = 0;
    if (ReadAll(channel[0], &pid, sizeof pid) && pid > 0 &&
        !ReadAll(channel[0], &execError, sizeof execError))
    {
        result.started = true;
        result.pid = static_cast<unsigned long>(pid);
        result.handle = OpenProcessHandle(result.pid);
    }
    ::close(channel[0]);
    return result;
}

StartedProcess ProcessStarter::OpenDocument(const std::string& path)
{
    struct stat info
    {
    };
    if (path.empty() || path[0] != '/' || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return {};
    return StartDetached({"xdg-open", path});
}

void CloseProcessHandle(int handle)
{
    if (handle >= 0)
        ::close(handle);
}

} // namespace Kavrel::Platform
