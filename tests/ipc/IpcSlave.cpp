// A slave program for the IPC tests. Started as "ipc_slave MODE REPORT ...",
// it appends "name=value" lines to the file REPORT (it has no standard input:
// slaves are started detached).
//   focus    connect the focus transferer, hand the focus back twice, report
//            the windows it asked to activate
//   watch    connect, then report "master=gone" once the master has ended
//   setup    report what SetUpSlaveClient gave a client
//   args     report the arguments and the working folder
//   master   launch "ipc_slave watch SLAVE_REPORT" as our slave, then wait
//            to be killed
//   sigpipe  with a SIGPIPE handler of its own, write to a pipe whose reader
//            went away; report whether the write failed and the handler ran
#include <Kavrel/App/Application/IPCFocusTransfererSlave.h>
#include <Kavrel/App/Application/IPCManager.h>
#include <Kavrel/IO/DataOutputPipe.h>
#include <Kavrel/IO/IOException.h>
#include <Kavrel/Platform/NamedPipe.h>
#include <Kavrel/Platform/ProcessStarter.h>
#include <Kavrel/Platform/WindowActivation.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTimer>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace
{
QString reportFile;
volatile sig_atomic_t handlerRan = 0;

void Report(const QString& line)
{
    QFile file(reportFile);
    if (file.open(QIODevice::Append))
        file.write(line.toUtf8() + '\n');
}

class RecordingClient : public Kavrel::App::IIPCClient
{
public:
    void SetCommunicationChannel(boost::intrusive_ptr<Kavrel::Core::IDataChannel> newChannel) override
    {
        channel = newChannel;
    }
    void SetAppHandler(int newHandle) override { handle = newHandle; }
    void ChannelClosed() override { channel.reset(); }
    boost::intrusive_ptr<Kavrel::Core::IDataChannel> channel;
    int handle = -2; // never given
};
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const QString mode = arguments.value(1);
    reportFile = arguments.value(2);
    using Kavrel::App::IPCFocusTransfererSlave;

    if (mode == QLatin1String("focus"))
    {
        QStringList activated;
        Kavrel::Platform::SetWindowActivator(
            [&](unsigned long window)
            {
                activated << QString::number(window);
                return true;
            });
        IPCFocusTransfererSlave& slave = IPCFocusTransfererSlave::Instance();
        Report(QStringLiteral("connected=%1").arg(slave.IsConnected()));
        slave.GiveFocusToParent();
        slave.GiveFocusToParent();
        Report(QStringLiteral("activated=") + activated.join(QLatin1Char(',')));
        Report(QStringLiteral("done"));
        return 0;
    }
    if (mode == QLatin1String("watch"))
    {
        IPCFocusTransfererSlave& slave = IPCFocusTransfererSlave::Instance();
        Report(QStringLiteral("connected=%1").arg(slave.IsConnected()));
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &app,
                         [&]
                         {
                             if (slave.IsMasterAlive())
                                 return;
                             Report(QStringLiteral("master=gone"));
                             app.quit();
                         });
        poll.start(10);
        QTimer::singleShot(60000, &app, &QCoreApplication::quit); // the test has long failed by then
        return app.exec();
    }
    if (mode == QLatin1String("setup"))
    {
        RecordingClient client;
        const bool connected = Kavrel::App::IPCManager::SetUpSlaveClient(client, false);
        Report(QStringLiteral("setup=%1 channel=%2 handle=%3")
                   .arg(connected)
                   .arg(client.channel ? 1 : 0)
                   .arg(client.handle >= 0 ? QStringLiteral("valid") : QString::number(client.handle)));
        Kavrel::Platform::CloseProcessHandle(client.handle);
        return 0;
    }
    if (mode == QLatin1String("args"))
    {
        Report(QStringLiteral("cwd=") + QDir::currentPath());
        for (const QString& argument : arguments.mid(1))
            Report(QStringLiteral("arg=") + argument);
        return 0;
    }
    if (mode == QLatin1String("master"))
    {
        RecordingClient client;
        const bool launched = Kavrel::App::IPCManager::LaunchSlave(
            client, QStringLiteral("ipc_slave"), QStringLiteral("watch ") + arguments.value(3), false);
        Report(QStringLiteral("launched=%1").arg(launched));
        while (true)
            ::pause();
    }
    if (mode == QLatin1String("sigpipe"))
    {
        std::signal(SIGPIPE, [](int) { handlerRan = 1; });
        const std::string name = "SigpipeProbe" + std::to_string(::getpid());
        const auto output = Kavrel::Core::DataOutputPipe::Create(name, true);
        const int reader =
            ::open(Kavrel::Platform::NamedPipe::PathFor(name).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        output->Write("x", 1);
        ::close(reader);
        bool failed = false;
        try
        {
            output->Write("y", 1);
        }
        catch (const Kavrel::Core::IOException&)
        {
            failed = true;
        }
        Report(QStringLiteral("failed=%1 handler=%2").arg(failed).arg(int(handlerRan)));
        return 0;
    }
    return 2;
}
