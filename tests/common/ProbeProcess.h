#pragma once

#include "TestEnvironment.h"

#include <QMultiMap>
#include <QStringList>
#include <QTemporaryDir>

namespace Kavrel::Test
{

// One helper instance (see TestHelper.cpp) whose data, settings and log folders lie in `home`,
// with the "name=value" lines it reported (a line without "=" is a name with an empty value).
class ProbeProcess
{
public:
    explicit ProbeProcess(const QTemporaryDir& home) : home(home.path().toStdString()) {}

    // Starts the probe and reads its report up to the key.
    bool Start(const QStringList& arguments, const QString& key = "file")
    {
        std::vector<std::string> command{KAVREL_TEST_HELPER};
        for (const QString& argument : arguments)
            command.push_back(argument.toStdString());
        std::vector<std::string> environment{"XDG_DATA_HOME=" + home + "/data",
                                             "XDG_CONFIG_HOME=" + home + "/config",
                                             "LOCALAPPDATA=" + home + "/local", "HOME=" + home};
        // Under AddressSanitizer a probe's fatal signals must reach the library's handlers, not
        // the sanitizer's own.
        if (const char* asan = std::getenv("ASAN_OPTIONS"))
            environment.push_back(
                std::string("ASAN_OPTIONS=") + asan +
                ":handle_segv=0:handle_sigbus=0:handle_sigfpe=0:handle_sigill=0:handle_abort=0");
        child = std::make_unique<Child>(command, environment);
        return ReadUpTo(key);
    }
    // Runs the probe to its end; true when it exited with status 0.
    bool Run(const QStringList& arguments) { return Start(arguments, "pid") && Finish() == 0; }
    // Closes the probe's input, which makes an "app" probe quit, reads the rest of its report
    // and waits for its end: the exit status, or 128 + the signal that ended it.
    int Finish()
    {
        child->CloseInput();
        ReadUpTo(QString());
        return child->Wait();
    }
    bool QuitNormally() { return Finish() == 0; }
    pid_t Pid() const { return child->pid; }
    bool Has(const QString& key) const { return values.contains(key); }
    QString Value(const QString& key) const { return values.value(key); }
    QStringList Values(const QString& key) const { return values.values(key); }

private:
    // Reads report lines until the key has come, or to the end for none.
    bool ReadUpTo(const QString& key)
    {
        for (std::string line;
             (key.isEmpty() || !values.contains(key)) && !(line = child->ReadLine()).empty();)
            values.insert(QString::fromStdString(line).section('=', 0, 0),
                          QString::fromStdString(line).section('=', 1));
        return values.contains(key);
    }

    std::string home;
    std::unique_ptr<Child> child;
    QMultiMap<QString, QString> values;
};

} // namespace Kavrel::Test
