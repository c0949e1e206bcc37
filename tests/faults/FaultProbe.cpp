// The program the fault tests run as a child, under injected faults or to be
// killed. Every log line of the library is also printed as "log=<text>";
// results are "name=value" lines on standard output.
//   start DIR          a product's start: application object, settings store
//                      DIR/store/Product.ini, Start(), launch type, quit;
//                      prints "started=1", "launch=", "previous=" (how the
//                      session before ended), "crash=<0|1>" (whether the
//                      crash records tell of a crash), then "ended=1"
//   save FILE KEY VAL  sets one value in the store FILE, prints "ended=1"
//   record             prints "file=<crash records file>", records this run in
//                      the crash records and removes it again, as a start and
//                      a quit do; prints "ended=1"
//   theme DIR NAME     a look-and-feel manager over DIR switches to the theme
//                      NAME; prints "theme=", "title=", "styled=<0|1>"
//   launch REPORT      starts "fault_probe echo REPORT" as a slave and sends
//                      it "ping"; prints "launched=<0|1>" or "exception=",
//                      then "reply=" or "reply-exception="
//   echo REPORT        the slave: answers every message with the message;
//                      appends "ended=<reason>" to REPORT when the channel ends
//   master REPORT      starts "fault_probe echo REPORT" as a slave, prints
//                      "slave=<pid>", then sends messages, one "round=N" per
//                      answer, until killed
//   save-loop FILE     saves generation after generation of two values into
//                      the store FILE, "saved=N" after each, until killed
//   save-abort FILE N  the same, while another thread aborts the process
//                      once N generations were saved
//   record-loop        records and removes this run again and again,
//                      "recorded=N" after each, until killed
//   product-loop DIR   a product (as start) whose event loop sets a new
//                      generation into its store at every turn, "saved=N",
//                      until asked to quit; prints "ended=1" after the
//                      application object is gone
//   wait               prints "pid=", runs until its input closes
#include "RecordingClient.h"
#include "TestApp.h"

#include <Kavrel/App/Application/Application.h>
#include <Kavrel/App/Application/CrashTracker.h>
#include <Kavrel/App/Application/IPCManager.h>
#include <Kavrel/App/Application/LookAndFeelManager.h>
#include <Kavrel/App/Application/SettingsManager.h>
#include <Kavrel/IO/IOException.h>

#include <QFile>
#include <QGuiApplication>
#include <QTimer>

#include <boost/make_shared.hpp>
#include <glog/logging.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>

namespace
{
class EchoLog : public google::LogSink
{
public:
    void send(google::LogSeverity, const char*, const char*, int, const google::LogMessageTime&,
              const char* message, size_t length) override
    {
        std::printf("log=%.*s\n", static_cast<int>(length), message);
        std::fflush(stdout);
    }
};

void Print(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

void Append(const std::string& file, const std::string& line) { std::ofstream(file, std::ios::app) << line << "\n"; }

std::string Payload(int generation) { return std::string(2000, static_cast<char>('a' + generation % 26)); }

// One whole generation: two values that must always be found together.
void SaveGeneration(const QString& file, int generation)
{
    Kavrel::App::SettingsManager store(file, QSettings::IniFormat);
    store.SetInt("generation", generation);
    store.SetString("payload", Payload(generation));
}

std::string Exchange(Kavrel::Core::IDataChannel& channel, const std::string& message)
{
    channel.Write(message.data(), static_cast<std::int64_t>(message.size()));
    std::string reply(static_cast<size_t>(channel.GetNextMessageLength()), '\0');
    channel.Read(reply.data(), static_cast<std::int64_t>(reply.size()));
    return reply;
}

// The pid behind a process handle (a pidfd).
std::string PidOf(int handle)
{
    std::ifstream info("/proc/self/fdinfo/" + std::to_string(handle));
    for (std::string line; std::getline(info, line);)
        if (line.rfind("Pid:", 0) == 0)
            return line.substr(line.find_first_not_of(" \t", 4));
    return "?";
}

const char* Ending(Kavrel::App::SessionHistory::Ending ending)
{
    using H = Kavrel::App::SessionHistory;
    switch (ending)
    {
    case H::NormalQuit:
        return "quit";
    case H::Crash:
        return "crash";
    case H::TerminationRequest:
        return "term";
    case H::Unknown:
        return "unknown";
    default:
        return "none";
    }
}

int RunProduct(int argc, char** argv, bool loop)
{
    const QString folder = QString::fromLocal8Bit(argv[2]);
    {
        Kavrel::App::Application app(argc, argv);
        app.SetCustomizationManager(Kavrel::Test::MakeProduct());
        const auto store =
            boost::make_shared<Kavrel::App::SettingsManager>(folder + QStringLiteral("/store/Product.ini"),
                                                             QSettings::IniFormat);
        app.SetSettingsManager(store);
        app.Start();
        Print("started=1");
        Print("launch=" + std::to_string(app.GetLaunchType()));
        Print(std::string("previous=") + Ending(app.GetPreviousSessionEnd().ending));
        Print(std::string("crash=") + (app.HasUnreportedCrash() ? "1" : "0"));
        int generation = store->GetInt("generation", 0);
        QTimer turn;
        QObject::connect(&turn, &QTimer::timeout, &app,
                         [&]
                         {
                             ++generation;
                             store->SetInt("generation", generation);
                             store->SetString("payload", Payload(generation));
                             Print("saved=" + std::to_string(generation));
                         });
        if (loop)
            turn.start(0);
        else
            QTimer::singleShot(0, &app, &QCoreApplication::quit);
        app.exec();
    }
    Print("ended=1");
    return 0;
}

int Echo(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const std::string report = argv[2];
    Kavrel::Test::RecordingClient client;
    if (!Kavrel::App::IPCManager::SetUpSlaveClient(client, false))
    {
        Append(report, "ended=no master");
        return 1;
    }
    Append(report, "pid=" + std::to_string(::getpid()));
    try
    {
        for (;;)
        {
            std::string message(static_cast<size_t>(client.channel->GetNextMessageLength()), '\0');
            client.channel->Read(message.data(), static_cast<std::int64_t>(message.size()));
            client.channel->Write(message.data(), static_cast<std::int64_t>(message.size()));
        }
    }
    catch (const Kavrel::Core::IOException& error)
    {
        Append(report, std::string("ended=") + error.what());
    }
    return 0;
}

int Launch(int argc, char** argv, bool endless)
{
    QCoreApplication app(argc, argv);
    Kavrel::Test::RecordingClient client;
    bool launched = false;
    try
    {
        launched = Kavrel::App::IPCManager::LaunchSlave(
            client, QCoreApplication::applicationFilePath(),
            QStringLiteral("echo ") + QString::fromLocal8Bit(argv[2]), false);
    }
    catch (const Kavrel::Core::IOException& error)
    {
        Print(std::string("exception=") + error.what());
        return 0;
    }
    Print("launched=" + std::to_string(launched ? 1 : 0));
    if (!launched)
        return 0;
    Print("slave=" + PidOf(client.handle));
    try
    {
        if (!endless)
        {
            client.channel->SetTimeout(20000);
            Print("reply=" + Exchange(*client.channel, "ping"));
            return 0;
        }
        for (int round = 1;; ++round)
            if (Exchange(*client.channel, std::string(1 + round % 3000, 'm')).size() == size_t(1 + round % 3000))
                Print("round=" + std::to_string(round));
    }
    catch (const Kavrel::Core::IOException& error)
    {
        Print(std::string("reply-exception=") + error.what());
    }
    return 0;
}

int SaveLoop(const QString& file, int abortAfter)
{
    std::mutex mutex;
    std::condition_variable saved;
    int count = 0;
    std::thread aborter;
    if (abortAfter > 0)
        aborter = std::thread(
            [&]
            {
                std::unique_lock<std::mutex> lock(mutex);
                saved.wait(lock, [&] { return count >= abortAfter; });
                std::abort(); // wherever the main thread is now
            });
    for (int generation = 1;; ++generation)
    {
        SaveGeneration(file, generation);
        Print("saved=" + std::to_string(generation));
        {
            std::lock_guard<std::mutex> lock(mutex);
            count = generation;
        }
        saved.notify_one();
    }
}
} // namespace

int main(int argc, char** argv)
{
    // A test that reads the results after the end gives a file for them. A
    // slave never writes to its master's output, which it would hold open.
    const std::string mode = argc > 1 ? argv[1] : "";
    if (const char* output = std::getenv("KAVREL_PROBE_OUTPUT"); output && *output && mode != "echo")
        std::freopen(output, "w", stdout);
    else if (mode == "echo")
        std::freopen("/dev/null", "w", stdout);
    EchoLog echo;
    google::AddLogSink(&echo);
    if (mode == "start" && argc > 2)
        return RunProduct(argc, argv, false);
    if (mode == "product-loop" && argc > 2)
        return RunProduct(argc, argv, true);
    if (mode == "save" && argc > 4)
    {
        {
            Kavrel::App::SettingsManager store(QString::fromLocal8Bit(argv[2]), QSettings::IniFormat);
            store.SetString(argv[3], argv[4]);
        }
        Print("ended=1");
        return 0;
    }
    if (mode == "record" || mode == "record-loop")
    {
        QCoreApplication app(argc, argv);
        Print("file=" + Kavrel::App::CrashTracker::TrackerFilePath().toStdString());
        for (int round = 1;; ++round)
        {
            {
                Kavrel::App::CrashTracker tracker;
                tracker.StopSession();
            }
            if (mode == "record")
                break;
            Print("recorded=" + std::to_string(round));
        }
        Print("ended=1");
        return 0;
    }
    if (mode == "theme" && argc > 3)
    {
        QGuiApplication app(argc, argv);
        Kavrel::App::LookAndFeelManager manager(argv[2], "theme.json", {});
        manager.SetLocale("en_US");
        manager.SetTheme(argv[3]);
        Print("theme=" + manager.GetCurrentTheme());
        Print("title=" + manager.GetLocalizedThemeName(argv[3]));
        Print(std::string("styled=") +
              (manager.GetUnitedStylesheet().find("fault-probe-style") != std::string::npos ? "1" : "0"));
        manager.SetTheme("");
        return 0;
    }
    if ((mode == "launch" || mode == "master") && argc > 2)
        return Launch(argc, argv, mode == "master");
    if (mode == "echo" && argc > 2)
        return Echo(argc, argv);
    if (mode == "save-loop" && argc > 2)
        return SaveLoop(QString::fromLocal8Bit(argv[2]), 0);
    if (mode == "save-abort" && argc > 3)
        return SaveLoop(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]));
    if (mode == "wait")
    {
        Print("pid=" + std::to_string(::getpid()));
        char buffer[64];
        while (::read(STDIN_FILENO, buffer, sizeof buffer) > 0)
        {
        }
        return 0;
    }
    return 2;
}
