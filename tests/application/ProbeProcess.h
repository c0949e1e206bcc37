#pragma once

#include "TestEnvironment.h"

#include <QMultiMap>
#include <QStringList>
#include <QTemporaryDir>

namespace Kavrel::Test
{

// One helper instance (see TestHelper.cpp) whose data and settings folders lie in `home`, with
// the "name=value" lines it reported.
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
        child =
            std::make_unique<Child>(command, std::vector<std::string>{"XDG_DATA_HOME=" + home + "/data",
                                                                      "XDG_CONFIG_HOME=" + home + "/config"});
        return ReadUpTo(key);
    }
    // Runs the probe to its end; true when it exited with status 0.
    bool Run(const QStringList& arguments) { return Start(arguments, "pid") && QuitNormally(); }
    // Closes the probe's input, which makes it quit, and reads the rest of its report.
    bool QuitNormally()
    {
        child->CloseInput();
        ReadUpTo(QString());
        return child->Wait() == 0;
    }
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
