#pragma once

#include "TestEnvironment.h"

#include <QDir>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace Kavrel::Test
{

// One running app_probe instance, with the "name=value" lines it reported.
class ProbeProcess
{
public:
    explicit ProbeProcess(const QProcessEnvironment& environment)
    {
        process.setProcessEnvironment(environment);
    }
    ~ProbeProcess()
    {
        if (process.state() != QProcess::NotRunning)
        {
            process.kill();
            process.waitForFinished(5000);
        }
    }

    // Starts the probe and waits until it has reported the given key.
    bool Start(const QStringList& arguments, const QString& untilKey)
    {
        process.start(QString::fromStdString(TestBinaryFolder() + "/app_probe"), arguments);
        return process.waitForStarted(10000) && ReadUntil(untilKey);
    }

    // Runs the probe to its end; true when it exited normally with status 0.
    bool Run(const QStringList& arguments)
    {
        process.start(QString::fromStdString(TestBinaryFolder() + "/app_probe"), arguments);
        if (!process.waitForFinished(30000))
            return false;
        Parse(process.readAllStandardOutput());
        return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }

    // Closes the probe's standard input, which makes a waiting probe quit.
    bool QuitNormally()
    {
        process.closeWriteChannel();
        return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit;
    }

    bool Kill()
    {
        process.kill();
        return process.waitForFinished(30000);
    }

    QString Value(const QString& key) const { return values.value(key); }
    QStringList Values(const QString& key) const { return values.values(key); }

private:
    bool ReadUntil(const QString& key)
    {
        return WaitFor(
                   [&]
                   {
                       if (process.waitForReadyRead(50))
                           Parse(process.readAllStandardOutput());
                       return values.contains(key) || process.state() == QProcess::NotRunning;
                   }) &&
               values.contains(key);
    }

    void Parse(const QByteArray& output)
    {
        pending += QString::fromUtf8(output);
        int end;
        while ((end = pending.indexOf(QLatin1Char('\n'))) >= 0)
        {
            const QString line = pending.left(end);
            pending.remove(0, end + 1);
            const int equals = line.indexOf(QLatin1Char('='));
            values.insert(equals < 0 ? line : line.left(equals),
                          equals < 0 ? QString() : line.mid(equals + 1));
        }
    }

    QProcess process;
    QString pending;
    QMultiMap<QString, QString> values;
};

// An environment whose data and config folders are new and empty.
inline QProcessEnvironment FreshEnvironment(const QTemporaryDir& folder)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), folder.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.filePath(QStringLiteral("config")));
    return environment;
}

} // namespace Kavrel::Test
