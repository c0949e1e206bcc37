#include "TestEnvironment.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <QThread>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace Kavrel::Test
{

namespace
{
std::string root;

void RemoveRoot()
{
    std::error_code ignored;
    if (!root.empty())
        std::filesystem::remove_all(root, ignored);
}

void MakeFolder(const std::string& path, const char* variable)
{
    std::filesystem::create_directories(path);
    ::chmod(path.c_str(), 0700);
    if (variable)
        ::setenv(variable, path.c_str(), 1);
}
} // namespace

void PrepareIsolatedEnvironment()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/kavrel-test-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!::mkdtemp(buffer.data()))
        throw std::runtime_error("cannot create the test folder");
    root = buffer.data();
    std::atexit(&RemoveRoot);

    MakeFolder(root + "/home", "HOME");
    MakeFolder(root + "/home/.config", "XDG_CONFIG_HOME");
    MakeFolder(root + "/home/.local/share", "XDG_DATA_HOME");
    MakeFolder(root + "/home/.cache", "XDG_CACHE_HOME");
    MakeFolder(root + "/home/.local/state", "XDG_STATE_HOME");
    MakeFolder(root + "/runtime", "XDG_RUNTIME_DIR");
    MakeFolder(root + "/etc-xdg", "XDG_CONFIG_DIRS");
    MakeFolder(root + "/localappdata", "LOCALAPPDATA");
    MakeFolder(root + "/tmp", "TMPDIR");
    ::unsetenv("USERPROFILE");
    ::unsetenv("GLOG_PRODUCT_NAME");
    ::unsetenv("KavrelLogPath");
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QStandardPaths::setTestModeEnabled(true);
}

const std::string& IsolatedRoot() { return root; }

ProcessResult RunProcess(const std::vector<std::string>& arguments,
                         const std::vector<std::string>& extraEnvironment)
{
    ProcessResult result;
    int pipeFds[2];
    if (arguments.empty() || ::pipe(pipeFds) != 0)
        return result;
    const pid_t pid = ::fork();
    if (pid == 0)
    {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        for (const std::string& entry : extraEnvironment)
        {
            const auto equals = entry.find('=');
            const std::string name = entry.substr(0, equals);
            const std::string value = equals == std::string::npos ? std::string() : entry.substr(equals + 1);
            if (value.empty())
                ::unsetenv(name.c_str());
            else
                ::setenv(name.c_str(), value.c_str(), 1);
        }
        std::vector<char*> argv;
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    char chunk[4096];
    ssize_t got;
    while ((got = ::read(pipeFds[0], chunk, sizeof chunk)) > 0 || (got < 0 && errno == EINTR))
        if (got > 0)
            result.output.append(chunk, static_cast<size_t>(got));
    ::close(pipeFds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR)
    {
    }
    if (WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.signal = WTERMSIG(status);
    return result;
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds deadline)
{
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!condition())
    {
        if (std::chrono::steady_clock::now() >= end)
            return condition();
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        else
            QThread::msleep(5);
    }
    return true;
}

std::string TestBinaryFolder()
{
    char buffer[4096];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0)
        return ".";
    return std::filesystem::path(std::string(buffer, static_cast<size_t>(length))).parent_path().string();
}

} // namespace Kavrel::Test
