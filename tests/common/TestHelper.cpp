// The helper program tests start as a child. Modes:
//   entry ...        prints what EntryWrapper hands to main: "argc=N", one "arg=<hex bytes>"
//                    per argument, then "layout=ok" when the arguments follow each other in
//                    one buffer, each ending in a zero byte, with one more zero byte at the end
//   hold NAME        takes the named mutex, prints "held=<0|1>", runs until its input closes
//   grab FILE        locks FILE exclusively every way (record lock and flock), as a hostile
//                    process of the same user could, prints "grabbed=<0|1>", runs until its
//                    input closes
//   wait             prints "ready", runs until its input closes
//   laf FOLDER       prints what a look-and-feel manager over the folder finds, and what it
//                    loads for de_DE and the theme "night", then "dark"
//   report-to FILE   a product instance writing only "crash=<0|1>" to the file
//   app [MODE FILE]  a product instance reporting "pid=", "crash=" and "file=<tracker file>"
//                    lines, then running until its input closes; MODE "clear" clears the crash
//                    records and reports again, "crash" aborts, "restart" restarts as
//                    "report-to FILE"
#include <Kavrel/App/Application/Application.h>
#include <Kavrel/App/Application/CrashTracker.h>
#include <Kavrel/App/Application/EntryWrapper.h>
#include <Kavrel/App/Application/LookAndFeelManager.h>
#include <Kavrel/App/Application/RestartApplication.h>
#include <Kavrel/Platform/NamedMutex.h>

#include <QFile>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/file.h>
#include <unistd.h>

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
    return mode == "wait" ? RunUntilInputCloses() : 0;
}
