// The helper program tests start as a child, the fault tests under injected faults or to be
// killed. Results are "name=value" lines on standard output; with KAVREL_PROBE_OUTPUT set they
// go to that file, which a test reads once the helper ended, with every log line of the library
// as "log=<text>". Modes:
//   entry ...        prints what EntryWrapper hands to main: "argc=N", one "arg=<hex bytes>"
//                    per argument, then "layout=ok" when the arguments follow each other in
//                    one buffer, each ending in a zero byte, with one more zero byte at the end
//   wait             prints "pid=", runs until its input closes
//   hold NAME        takes the named mutex, prints "held=<0|1>", runs until its input closes
//   grab FILE        locks FILE exclusively every way (record lock and flock), as a hostile
//                    process of the same user could, prints "grabbed=<0|1>", runs until its
//                    input closes
//   set FILE K=V...  writes each value as text through a settings store on the INI file,
//                    which saves it when the store ends; prints "ended=1"
//   save-loop FILE [N]  saves generation after generation of two values into the store FILE,
//                    "saved=N" after each, until killed; with N, another thread aborts the
//                    process once N generations were saved
//   record           prints "file=<crash records file>", records this run in the crash records
//                    and removes it again, as a start and a quit do; prints "ended=1"
//   record-loop      the same again and again, "recorded=N" after each, until killed
//   laf FOLDER       prints what a look-and-feel manager over the folder finds, and what it
//                    loads for de_DE and the theme "night", then "dark"
//   theme DIR NAME   a look-and-feel manager over DIR switches to the theme NAME; prints
//                    "theme=", "title=", "styled=<0|1>"
//   report-to FILE   a product instance writing only "crash=<0|1>" to the file
//   app [MODE FILE]  a product instance reporting "pid=", "crash=" and "file=<tracker file>"
//                    lines, then running until its input closes; MODE "clear" clears the crash
//                    records and reports again, "crash" aborts, "restart" restarts as
//                    "report-to FILE"
//   start DIR        a product's start: application object, settings store
//                    DIR/store/Product.ini, Start(), quit; prints "started=1", "launch=",
//                    "previous=" (how the session before ended), "crash=<0|1>", then "ended=1"
//                    once the application object is gone
//   product-loop DIR the same, but its event loop sets a new generation into its store at
//                    every turn, "saved=N", until asked to quit
//   session MODE     a named product instance reporting "pid=", "previous=<ending>", "signal=",
//                    "streak=", "records=<folder>" and "logs=<folder>" lines, then: quit (at
//                    once), wait (says "ready", runs until a signal ends it), segv, bus, ill,
//                    fpe or abort (crashes that way in a function named after it), own-segv (a
//                    SIGSEGV handler of its own, installed before the application, exits with 7);
//                    it says "quitting" when it quits
//   master SLAVE REPORT one|many|none  launches "SLAVE REPORT" as its slave, prints
//                    "launched=<0|1>" (or "exception=") and "slave=<pid>"; then sends "ping" and
//                    prints "reply=" (one), sends messages until killed with one "round=N" per
//                    answer (many), or waits to be killed (none); "reply-exception=" when an
//                    exchange fails
// The slave modes append "name=value" lines to the file REPORT instead: slaves are started
// detached, without our standard output.
//   ipc-focus REPORT     connects the focus transferer, hands the focus back twice, reports
//                        the windows it asked to activate
//   ipc-watch REPORT     connects, then reports "master=gone" once the master has ended
//   ipc-setup REPORT     reports what SetUpSlaveClient gave a client
//   ipc-args REPORT      reports the working folder and the arguments
//   ipc-echo REPORT      reports "pid=", answers every message with the message, and reports
//                        "ended=<reason>" when the channel ends
//   ipc-sigpipe REPORT   with a SIGPIPE handler of its own, writes to a pipe whose reader went
//                        away; reports whether the write failed and the handler ran
#include "RecordingClient.h"
#include "TestApp.h"

#include <Kavrel/App/Application/EntryWrapper.h>
#include <Kavrel/App/Application/IPCFocusTransfererSlave.h>
#include <Kavrel/App/Application/IPCManager.h>
#include <Kavrel/App/Application/RestartApplication.h>
#include <Kavrel/IO/DataOutputPipe.h>
#include <Kavrel/IO/IOException.h>
#include <Kavrel/Platform/NamedMutex.h>
#include <Kavrel/Platform/NamedPipe.h>
#include <Kavrel/Platform/WindowActivation.h>

#include <QGuiApplication>
#include <QSocketNotifier>

#include <glog/logging.h>

#include <condition_variable>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>

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

int RunUntilInputCloses()
{
    std::fflush(stdout);
    char buffer[64];
    while (::read(STDIN_FILENO, buffer, sizeof buffer) > 0)
    {
    }
    return 0;
}

int Entry(int argc, char** argv)
{
    std::printf("argc=%d\n", argc);
    bool layout = true;
    for (int i = 0; i < argc; ++i)
    {
        std::printf("arg=%s\n", QByteArray(argv[i]).toHex().constData());
        const char* next = argv[i] + std::strlen(argv[i]) + 1;
        layout = layout && (i + 1 < argc ? argv[i + 1] == next : *next == '\0');
    }
    std::printf("layout=%s\n", layout ? "ok" : "broken");
    return 42;
}

int LookAndFeel(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    Kavrel::App::LookAndFeelManager manager(argv[2], "theme.json", {});
    if (std::strcmp(argv[1], "theme") == 0)
    {
        manager.SetLocale("en_US");
        manager.SetTheme(argv[3]);
        Print("theme=" + manager.GetCurrentTheme());
        Print("title=" + manager.GetLocalizedThemeName(argv[3]));
        Print(std::string("styled=") +
              (manager.GetUnitedStylesheet().find("fault-probe-style") != std::string::npos ? "1" : "0"));
        manager.SetTheme("");
        return 0;
    }
    QStringList themes;
    for (const std::string& theme : manager.GetThemes())
        themes << QString::fromStdString(theme);
    themes.sort();
    manager.Initialize("de_DE", "night");
    manager.SetTheme("dark");
    std::printf("locales=%d themes=%s dark=%d text=%s\n", static_cast<int>(manager.GetLocales().size()),
                qPrintable(themes.join(',')), QFile::exists(":/dark/style.qss") ? 1 : 0,
                qPrintable(QCoreApplication::translate("LookAndFeelTest", "Good morning")));
    manager.SetTheme("");
    return 0;
}

void Report(const Kavrel::App::Application& app)
{
    std::printf("pid=%d\ncrash=%d\nfile=%s\n", static_cast<int>(::getpid()), app.HasUnreportedCrash() ? 1 : 0,
                qPrintable(Kavrel::App::CrashTracker::TrackerFilePath()));
    std::fflush(stdout);
}

int Product(int argc, char** argv)
{
    const std::string mode = argc > 2 ? argv[2] : "";
    Kavrel::App::Application app(argc, argv);
    if (std::strcmp(argv[1], "report-to") == 0) // outlives the pipe its parent was read from
        return std::ofstream(argv[2]) << (app.HasUnreportedCrash() ? "crash=1\n" : "crash=0\n") ? 0 : 1;
    Report(app);
    if (mode == "crash")
        std::abort();
    if (mode == "clear")
    {
        app.ClearCrashes();
        Report(app);
    }
    if (mode == "restart")
        QTimer::singleShot(
            0, &app,
            [&] { Kavrel::App::RestartApplication(false, QPixmap(), QString("report-to ") + argv[3]); });
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app,
                     [&]
                     {
                         char buffer[64];
                         if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0 && mode != "restart")
                             app.quit();
                     });
    return app.exec();
}

std::string Payload(int generation) { return std::string(2000, static_cast<char>('a' + generation % 26)); }

// One whole generation: two values that must always be found together.
void SaveGeneration(Kavrel::App::ISettingsManager& store, int generation)
{
    store.SetInt("generation", generation);
    store.SetString("payload", Payload(generation));
}

using Ending = Kavrel::App::SessionHistory::Ending;
const std::map<Ending, const char*> ENDINGS{{Ending::NoSession, "none"},
                                            {Ending::NormalQuit, "quit"},
                                            {Ending::Crash, "crash"},
                                            {Ending::TerminationRequest, "termination"},
                                            {Ending::Unknown, "unknown"}};

int StartProduct(int argc, char** argv)
{
    const QString folder = QString::fromLocal8Bit(argv[2]);
    {
        Kavrel::App::Application app(argc, argv);
        app.SetCustomizationManager(Kavrel::Test::MakeProduct());
        const auto store = Kavrel::Test::IniStore(folder + "/store/Product.ini");
        app.SetSettingsManager(store);
        app.Start();
        Print("started=1");
        Print("launch=" + std::to_string(app.GetLaunchType()));
        Print(std::string("previous=") + ENDINGS.at(app.GetPreviousSessionEnd().ending));
        Print(std::string("crash=") + (app.HasUnreportedCrash() ? "1" : "0"));
        int generation = store->GetInt("generation", 0);
        QTimer turn;
        QObject::connect(&turn, &QTimer::timeout, &app,
                         [&]
                         {
                             SaveGeneration(*store, ++generation);
                             Print("saved=" + std::to_string(generation));
                         });
        if (std::strcmp(argv[1], "product-loop") == 0)
            turn.start(0);
        else
            QTimer::singleShot(0, &app, &QCoreApplication::quit);
        app.exec();
    }
    Print("ended=1");
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
        SaveGeneration(*Kavrel::Test::IniStore(file), generation); // saved as the store goes
        Print("saved=" + std::to_string(generation));
        {
            std::lock_guard<std::mutex> lock(mutex);
            count = generation;
        }
        saved.notify_one();
    }
}

int Record(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Print("file=" + Kavrel::App::CrashTracker::TrackerFilePath().toStdString());
    for (int round = 1;; ++round)
    {
        Kavrel::App::CrashTracker().StopSession();
        if (std::strcmp(argv[1], "record") == 0)
            break;
        Print("recorded=" + std::to_string(round));
    }
    Print("ended=1");
    return 0;
}

volatile int zero = 0;
volatile int seven = 7; // both unknown: a real division, not a comparison

// The undefined-behaviour sanitizer would report these two and exit instead
// of letting the signal come.
__attribute__((noinline, no_sanitize("undefined"))) void CrashBySegfault()
{
    *static_cast<volatile int*>(nullptr) = zero;
}
[[gnu::noinline]] void CrashByBusError() { std::raise(SIGBUS); }
[[gnu::noinline]] void CrashByIllegalInstruction() { __builtin_trap(); }
__attribute__((noinline, no_sanitize("undefined"))) void CrashByDivision() { zero = seven / zero; }
[[gnu::noinline]] void CrashByAbort() { std::abort(); }

int Session(int argc, char** argv)
{
    const std::string mode = argv[2];
    if (mode == "own-segv")
        std::signal(SIGSEGV, [](int) { ::_exit(7); });
    Kavrel::App::Application app(argc, argv);
    // Where the records are: decided before the product names itself.
    const QString records = Kavrel::App::SessionHistory::RecordFolder();
    app.SetCustomizationManager(Kavrel::Test::MakeProduct());
    const auto previous = app.GetPreviousSessionEnd();
    std::printf("pid=%d\nprevious=%s\nsignal=%d\nstreak=%d\nrecords=%s\nlogs=%s\n",
                static_cast<int>(::getpid()), ENDINGS.at(previous.ending), previous.signal,
                app.GetStartupCrashStreak(), qPrintable(records), std::getenv("KavrelLogPath"));
    std::fflush(stdout);
    const std::map<std::string, void (*)()> crashes{
        {"segv", &CrashBySegfault},          {"own-segv", &CrashBySegfault}, {"bus", &CrashByBusError},
        {"ill", &CrashByIllegalInstruction}, {"fpe", &CrashByDivision},      {"abort", &CrashByAbort}};
    if (crashes.count(mode))
        crashes.at(mode)();
    QObject::connect(&app, &QCoreApplication::aboutToQuit,
                     [] { std::puts("quitting"), std::fflush(stdout); });
    if (mode == "wait")
        std::puts("ready"), std::fflush(stdout);
    else
        QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return app.exec();
}

QString reportFile;
volatile sig_atomic_t handlerRan = 0;

void Append(const QString& line)
{
    QFile file(reportFile);
    if (file.open(QIODevice::Append))
        file.write(line.toUtf8() + '\n');
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

int Master(const QStringList& arguments)
{
    Kavrel::Test::RecordingClient client;
    const QString exchanges = arguments.value(4);
    try
    {
        const bool launched =
            Kavrel::App::IPCManager::LaunchSlave(client, QCoreApplication::applicationFilePath(),
                                                 arguments.value(2) + ' ' + arguments.value(3), false);
        Print("launched=" + std::to_string(launched ? 1 : 0));
        if (!launched)
            return 0;
    }
    catch (const Kavrel::Core::IOException& error)
    {
        Print(std::string("exception=") + error.what());
        return 0;
    }
    Print("slave=" + PidOf(client.handle));
    try
    {
        if (exchanges == "one")
        {
            client.channel->SetTimeout(20000);
            Print("reply=" + Kavrel::Test::Exchange(*client.channel, "ping"));
        }
        for (int round = 1; exchanges == "many"; ++round)
            if (Kavrel::Test::Exchange(*client.channel, std::string(1 + round % 3000, 'm')).size() ==
                size_t(1 + round % 3000))
                Print("round=" + std::to_string(round));
    }
    catch (const Kavrel::Core::IOException& error)
    {
        Print(std::string("reply-exception=") + error.what());
    }
    while (exchanges == "none")
        ::pause();
    return 0;
}

int Ipc(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const QString mode = arguments.value(1);
    reportFile = arguments.value(2);
    using Kavrel::App::IPCFocusTransfererSlave;
    if (mode == "master")
        return Master(arguments);
    if (mode == "ipc-focus")
    {
        QStringList activated;
        Kavrel::Platform::SetWindowActivator(
            [&](unsigned long window)
            {
                activated << QString::number(window);
                return true;
            });
        IPCFocusTransfererSlave& slave = IPCFocusTransfererSlave::Instance();
        Append(QString("connected=%1").arg(slave.IsConnected()));
        slave.GiveFocusToParent();
        slave.GiveFocusToParent();
        Append("activated=" + activated.join(QLatin1Char(',')));
        Append("done");
    }
    if (mode == "ipc-watch")
    {
        IPCFocusTransfererSlave& slave = IPCFocusTransfererSlave::Instance();
        Append(QString("connected=%1").arg(slave.IsConnected()));
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &app,
                         [&]
                         {
                             if (slave.IsMasterAlive())
                                 return;
                             Append("master=gone");
                             app.quit();
                         });
        poll.start(10);
        QTimer::singleShot(60000, &app, &QCoreApplication::quit); // the test has long failed by then
        return app.exec();
    }
    Kavrel::Test::RecordingClient client;
    if (mode == "ipc-setup")
    {
        const bool connected = Kavrel::App::IPCManager::SetUpSlaveClient(client, false);
        Append(QString("setup=%1 channel=%2 handle=%3")
                   .arg(connected)
                   .arg(client.channel ? 1 : 0)
                   .arg(client.handle >= 0 ? "valid" : QString::number(client.handle)));
    }
    if (mode == "ipc-echo")
    {
        if (!Kavrel::App::IPCManager::SetUpSlaveClient(client, false))
        {
            Append("ended=no master");
            return 1;
        }
        Append(QString("pid=%1").arg(::getpid()));
        try
        {
            for (std::string message;;)
            {
                message = Kavrel::Test::ReadMessage(*client.channel);
                client.channel->Write(message.data(), static_cast<std::int64_t>(message.size()));
            }
        }
        catch (const Kavrel::Core::IOException& error)
        {
            Append("ended=" + QString::fromLocal8Bit(error.what()));
        }
    }
    if (mode == "ipc-args")
    {
        Append("cwd=" + QDir::currentPath());
        for (const QString& argument : arguments.mid(1))
            Append("arg=" + argument);
    }
    if (mode == "ipc-sigpipe")
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
        Append(QString("failed=%1 handler=%2").arg(failed).arg(int(handlerRan)));
    }
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    using Kavrel::Platform::NamedMutex;
    const std::string mode = argc > 1 ? argv[1] : "";
    const char* parameter = argc > 2 ? argv[2] : "";
    // A slave never writes to its master's output, which it would hold open.
    EchoLog echo;
    if (const char* output = std::getenv("KAVREL_PROBE_OUTPUT"); output && *output && mode != "ipc-echo")
    {
        std::freopen(output, "w", stdout);
        google::AddLogSink(&echo);
    }
    else if (mode == "ipc-echo")
        std::freopen("/dev/null", "w", stdout);
    if (mode == "entry")
        return Kavrel::App::EntryWrapper(&Entry);
    if ((mode == "laf" && argc > 2) || (mode == "theme" && argc > 3))
        return LookAndFeel(argc, argv);
    if (mode == "app" || mode == "report-to")
        return Product(argc, argv);
    if ((mode == "start" || mode == "product-loop") && argc > 2)
        return StartProduct(argc, argv);
    if (mode == "record" || mode == "record-loop")
        return Record(argc, argv);
    if (mode == "save-loop" && argc > 2)
        return SaveLoop(QString::fromLocal8Bit(parameter), argc > 3 ? std::atoi(argv[3]) : 0);
    if (mode == "session" && argc > 2)
        return Session(argc, argv);
    if (mode.rfind("ipc-", 0) == 0 || (mode == "master" && argc > 4))
        return Ipc(argc, argv);
    if (mode == "wait")
    {
        Print("pid=" + std::to_string(::getpid()));
        return RunUntilInputCloses();
    }
    if (mode == "hold")
    {
        NamedMutex mutex(parameter);
        std::printf("held=%d\n", mutex.IsHeld() ? 1 : 0);
        return RunUntilInputCloses();
    }
    if (mode == "grab")
    {
        const int fd = ::open(parameter, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        struct flock lock = {};
        lock.l_type = F_WRLCK; // from the start (SEEK_SET) to the end
        const bool grabbed = fd >= 0 && ::fcntl(fd, F_OFD_SETLK, &lock) == 0 && ::flock(fd, LOCK_EX) == 0;
        std::printf("grabbed=%d\n", grabbed ? 1 : 0);
        return RunUntilInputCloses();
    }
    if (mode == "set")
    {
        {
            Kavrel::App::SettingsManager store(QString::fromLocal8Bit(parameter), QSettings::IniFormat);
            for (int i = 3; i < argc; ++i)
            {
                const std::string pair = argv[i];
                store.SetString(pair.substr(0, pair.find('=')), pair.substr(pair.find('=') + 1));
            }
        }
        Print("ended=1");
        return 0;
    }
    return 2;
}
