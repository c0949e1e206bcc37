#include "TestEnvironment.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <stdexcept>
#include <sys/wait.h>

extern char** environ;

namespace Kavrel::Test
{

namespace
{
std::string root;
const uid_t NOBODY = 65534;

void RemoveRoot()
{
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
}
} // namespace

void PrepareIsolatedEnvironment()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/kavrel-test-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create the test folder");
    root = pattern;
    std::atexit(&RemoveRoot);
    std::istringstream folders(
        "HOME /home XDG_CONFIG_HOME /home/.config XDG_DATA_HOME /home/.local/share "
        "XDG_CACHE_HOME /home/.cache XDG_STATE_HOME /home/.local/state XDG_RUNTIME_DIR "
        "/runtime XDG_CONFIG_DIRS /etc-xdg LOCALAPPDATA /localappdata TMPDIR /tmp");
    for (std::string variable, folder; folders >> variable >> folder;)
    {
        std::filesystem::create_directories(root + folder);
        ::chmod((root + folder).c_str(), 0700);
        ::setenv(variable.c_str(), (root + folder).c_str(), 1);
    }
    for (const char* variable : {"USERPROFILE", "GLOG_PRODUCT_NAME", "KavrelLogPath"})
        ::unsetenv(variable);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QStandardPaths::setTestModeEnabled(true);
}

const std::string& IsolatedRoot() { return root; }

Child::Child(const std::vector<std::string>& arguments, const std::vector<std::string>& changes,
             bool unprivileged)
{
    // Everything the child needs is made before the fork: after it, only plain system calls.
    // The changes come first, where the child's getenv finds them.
    std::vector<std::string> environment = changes;
    for (char** entry = environ; *entry; ++entry)
        environment.emplace_back(*entry);
    std::vector<char*> argv, envp;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    for (const std::string& entry : environment)
        envp.push_back(const_cast<char*>(entry.c_str()));
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    int in[2], out[2];
    if (arguments.empty() || ::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0)
        throw std::runtime_error("cannot start a child");
    if ((pid = ::fork()) == 0)
    {
        ::dup2(in[0], STDIN_FILENO);
        ::dup2(out[1], STDOUT_FILENO);
        if (unprivileged && ::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(NOBODY) != 0 || ::setuid(NOBODY) != 0))
            ::_exit(126);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    input = in[1];
    output = out[0];
}

Child::~Child()
{
    if (Kill())
        ::waitpid(pid, nullptr, 0);
    CloseInput();
    ::close(output);
}

std::string Child::ReadLine()
{
    std::string line;
    for (char c; ::read(output, &c, 1) == 1 && c != '\n';)
        line += c;
    return line;
}

void Child::CloseInput()
{
    if (input >= 0)
        ::close(input);
    input = -1;
}

int Child::Wait()
{
    CloseInput();
    int status = 0;
    while (pid > 0 && ::waitpid(pid, &status, 0) < 0 && errno == EINTR)
    {
    }
    pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

bool Child::Kill()
{
    siginfo_t info{};
    return pid > 0 && ::kill(pid, SIGKILL) == 0 && ::waitid(P_PID, id_t(pid), &info, WEXITED | WNOWAIT) == 0;
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

std::string UnprivilegedFolder(const std::string& name)
{
    const std::string shared = root + "/shared", folder = shared + "/" + name;
    std::filesystem::create_directories(folder);
    ::chmod(root.c_str(), 0711); // others may pass, not look
    ::chmod(shared.c_str(), 0711);
    if (::geteuid() == 0 && ::chown(folder.c_str(), NOBODY, NOBODY) != 0)
        throw std::runtime_error("cannot hand " + folder + " to nobody");
    return folder;
}

} // namespace Kavrel::Test
