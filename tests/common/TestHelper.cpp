// The helper program tests start as a child. Modes:
//   entry ...        prints what EntryWrapper hands to main: "argc=N", one "arg=<hex bytes>"
//                    per argument, then "layout=ok" when the arguments follow each other in
//                    one buffer, each ending in a zero byte, with one more zero byte at the end
//   hold NAME        takes the named mutex, prints "held=<0|1>", runs until its input closes
//   grab FILE        locks FILE exclusively every way (record lock and flock), as a hostile
//                    process of the same user could, prints "grabbed=<0|1>", runs until its
//                    input closes
//   wait             prints "ready", runs until its input closes
//   set FILE K=V...  writes each value as text through a settings store on the INI file,
//                    which saves it when the store ends
//   laf FOLDER       prints what a look-and-feel manager over the folder finds, and what it
//                    loads for de_DE and the theme "night", then "dark"
//   report-to FILE   a product instance writing only "crash=<0|1>" to the file
//   app [MODE FILE]  a product instance reporting "pid=", "crash=" and "file=<tracker file>"
//                    lines, then running until its input closes; MODE "clear" clears the crash
//                    records and reports again, "crash" aborts, "restart" restarts as
//                    "report-to FILE"
//   session MODE     a named product instance reporting "pid=", "previous=<ending>", "signal=",
//                    "streak=", "records=<folder>" and "logs=<folder>" lines, then: quit (at
//                    once), wait (says "ready", runs until a signal ends it), segv, bus, ill,
//                    fpe or abort (crashes that way in a function named after it), own-segv (a
//                    SIGSEGV handler of its own, installed before the application, exits with 7);
//                    it says "quitting" when it quits
// The IPC modes append "name=value" lines to the file REPORT instead: slaves are started
// detached, without our standard output.
//   ipc-focus REPORT     connects the focus transferer, hands the focus back twice, reports
//                        the windows it asked to activate
//   ipc-watch REPORT     connects, then reports "master=gone" once the master has ended
//   ipc-setup REPORT     reports what SetUpSlaveClient gave a client
//   ipc-args REPORT      reports the working folder and the arguments
//   ipc-master REPORT SLAVE_REPORT  launches "ipc-watch SLAVE_REPORT" as its slave, then
//                        waits to be killed
//   ipc-sigpipe REPORT   with a SIGPIPE handler of its own, writes to a pipe whose reader went
//                        away; reports whether the write failed and the handler ran
#include "RecordingClient.h"
#include "TestApp.h"

#include <Kavrel/App/Application/EntryWrapper.h>
#include <Kavrel/App/Application/IPCFocusTransfererSlave.h>
#include <Kavrel/App/Application/IPCManager.h>
#include <Kavrel/App/Application/RestartApplication.h>
#include <Kavrel/App/Application/SettingsManager.h>
#include <Kavrel/IO/DataOutputPipe.h>
#include <Kavrel/IO/IOException.h>
#include <Kavrel/Platform/NamedMutex.h>
#include <Kavrel/Platform/NamedPipe.h>
#include <Kavrel/Platform/WindowActivation.h>

#include <QGuiApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>

namespace
{
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
    using History = Kavrel::App::SessionHistory;
    const QString records = History::RecordFolder();
    app.SetCustomizationManager(Kavrel::Test::MakeProduct());
    const std::map<History::Ending, const char*> endings{{History::NoSession, "none"},
                                                         {History::NormalQuit, "quit"},
                                                         {History::Crash, "crash"},
                                                         {History::TerminationRequest, "termination"},
                                                         {History::Unknown, "unknown"}};
    const auto previous = app.GetPreviousSessionEnd();
    std::printf("pid=%d\nprevious=%s\nsignal=%d\nstreak=%d\nrecords=%s\nlogs=%s\n",
                static_cast<int>(::getpid()), endings.at(previous.ending), previous.signal,
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

int Ipc(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const QString mode = arguments.value(1);
    reportFile = arguments.value(2);
    using Kavrel::App::IPCFocusTransfererSlave;
    if (mode == QLatin1String("ipc-focus"))
    {
        QStringList activated;
        Kavrel::Platform::SetWindowActivator(
            [&](unsigned long window)
            {
                activated << QString::number(window);
                return true;
            });
        IPCFocusTransfererSlave& slave = IPCFocusTransfererSlave::Instance();
        Append(QStringLiteral("connected=%1").arg(slave.IsConnected()));
        slave.GiveFocusToParent();
        slave.GiveFocusToParent();
        Append(QStringLiteral("activated=") + activated.join(QLatin1Char(',')));
        Append(QStringLiteral("done"));
    }
    if (mode == QLatin1String("ipc-watch"))
    {
        IPCFocusTransfererSlave& slave = IPCFocusTransfererSlave::Instance();
        Append(QStringLiteral("connected=%1").arg(slave.IsConnected()));
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &app,
                         [&]
                         {
                             if (slave.IsMasterAlive())
                                 return;
                             Append(QStringLiteral("master=gone"));
                             app.quit();
                         });
        poll.start(10);
        QTimer::singleShot(60000, &app, &QCoreApplication::quit); // the test has long failed by then
        return app.exec();
    }
    if (mode == QLatin1String("ipc-setup"))
    {
        Kavrel::Test::RecordingClient client;
        const bool connected = Kavrel::App::IPCManager::SetUpSlaveClient(client, false);
        Append(QStringLiteral("setup=%1 channel=%2 handle=%3")
                   .arg(connected)
                   .arg(client.channel ? 1 : 0)
                   .arg(client.handle >= 0 ? QStringLiteral("valid") : QString::number(client.handle)));
    }
    if (mode == QLatin1String("ipc-args"))
    {
        Append(QStringLiteral("cwd=") + QDir::currentPath());
        for (const QString& argument : arguments.mid(1))
            Append(QStringLiteral("arg=") + argument);
    }
    if (mode == QLatin1String("ipc-master"))
    {
        Kavrel::Test::RecordingClient client;
        const bool launched =
            Kavrel::App::IPCManager::LaunchSlave(client, QStringLiteral("kavrel_test_helper"),
                                                 QStringLiteral("ipc-watch ") + arguments.value(3), false);
        Append(QStringLiteral("launched=%1").arg(launched));
        while (true)
            ::pause();
    }
    if (mode == QLatin1String("ipc-sigpipe"))
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
        Append(QStringLiteral("failed=%1 handler=%2").arg(failed).arg(int(handlerRan)));
    }
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    using Kavrel::Platform::NamedMutex;
    const std::string mode = argc > 1 ? argv[1] : "";
    const char* parameter = argc > 2 ? argv[2] : "";
    if (mode == "entry")
        return Kavrel::App::EntryWrapper(&Entry);
    if (mode == "laf")
        return LookAndFeel(argc, argv);
    if (mode == "app" || mode == "report-to")
        return Product(argc, argv);
    if (mode == "session" && argc > 2)
        return Session(argc, argv);
    if (mode.rfind("ipc-", 0) == 0)
        return Ipc(argc, argv);
    if (mode == "wait")
        std::printf("ready\n");
    if (mode == "hold")
    {
        NamedMutex mutex(parameter);
        std::printf("held=%d\n", mutex.IsHeld() ? 1 : 0);
        return RunUntilInputCloses();
    }
    if (mode == "grab")
    {
        const int fd = ::open(parameter, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        struct flock lock
        {
        };
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        const bool grabbed = fd >= 0 && ::fcntl(fd, F_OFD_SETLK, &lock) == 0 && ::flock(fd, LOCK_EX) == 0;
        std::printf("grabbed=%d\n", grabbed ? 1 : 0);
        return RunUntilInputCloses();
    }
    if (mode == "set")
    {
        Kavrel::App::SettingsManager store(QString::fromLocal8Bit(parameter), QSettings::IniFormat);
        for (int i = 3; i < argc; ++i)
        {
            const std::string pair = argv[i];
            store.SetString(pair.substr(0, pair.find('=')), pair.substr(pair.find('=') + 1));
        }
    }
    return mode == "wait" ? RunUntilInputCloses() : 0;
}
