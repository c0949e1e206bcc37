// A product instance for tests that need real processes:
//   app_probe quit          report, then quit normally
//   app_probe wait          report, then run until standard input closes
//   app_probe clear         report, clear the crash records, report again, quit
//   app_probe crash         report, then abort
//   app_probe hold NAME     hold the named mutex until standard input closes
//   app_probe grab FILE     lock FILE exclusively every way (record lock and
//                           flock) until standard input closes, as a
//                           hostile process of the same user could
//   app_probe restart FILE  report, then restart as "app_probe report-to FILE"
//   app_probe report-to FILE  write "crash=<0|1>" to FILE, then quit
// The report is "pid=<id>", "crash=<0|1>" and "file=<tracker file>" lines.
#include <Kavrel/App/Application/Application.h>
#include <Kavrel/App/Application/CrashTracker.h>
#include <Kavrel/App/Application/RestartApplication.h>
#include <Kavrel/Platform/NamedMutex.h>

#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace
{
void Report(const Kavrel::App::Application& app)
{
    std::printf("pid=%d\ncrash=%d\nfile=%s\n", static_cast<int>(::getpid()), app.HasUnreportedCrash() ? 1 : 0,
                qPrintable(Kavrel::App::CrashTracker::TrackerFilePath()));
    std::fflush(stdout);
}

// Returns when standard input reaches its end (the test closed it).
void WaitForStandardInputToClose()
{
    char buffer[64];
    while (::read(STDIN_FILENO, buffer, sizeof buffer) > 0)
    {
    }
}
} // namespace

int main(int argc, char** argv)
{
    const char* mode = argc > 1 ? argv[1] : "quit";
    if (std::strcmp(mode, "hold") == 0 && argc > 2)
    {
        Kavrel::Platform::NamedMutex mutex(argv[2]);
        std::printf("held=%d\n", mutex.IsHeld() ? 1 : 0);
        std::fflush(stdout);
        WaitForStandardInputToClose();
        return 0;
    }

    if (std::strcmp(mode, "grab") == 0 && argc > 2)
    {
        const int fd = ::open(argv[2], O_RDWR | O_CREAT, 0600);
        struct flock lock
        {
        };
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        const bool grabbed = fd >= 0 && ::fcntl(fd, F_OFD_SETLK, &lock) == 0 && ::flock(fd, LOCK_EX) == 0;
        std::printf("grabbed=%d\n", grabbed ? 1 : 0);
        std::fflush(stdout);
        WaitForStandardInputToClose();
        return 0;
    }

    Kavrel::App::Application app(argc, argv);
    // A restarted instance outlives the pipe the test read its parent from.
    if (std::strcmp(mode, "report-to") == 0 && argc > 2)
    {
        QFile report(QString::fromLocal8Bit(argv[2]));
        if (report.open(QIODevice::WriteOnly))
            report.write(app.HasUnreportedCrash() ? "crash=1\n" : "crash=0\n");
        return 0;
    }
    Report(app);
    if (std::strcmp(mode, "crash") == 0)
        std::abort();
    if (std::strcmp(mode, "restart") == 0 && argc > 2)
    {
        QTimer::singleShot(0, &app,
                           [&]
                           {
                               Kavrel::App::RestartApplication(false, QPixmap(),
                                                               QStringLiteral("report-to ") +
                                                                   QString::fromLocal8Bit(argv[2]));
                           });
        return app.exec();
    }
    if (std::strcmp(mode, "clear") == 0)
    {
        app.ClearCrashes();
        Report(app);
    }
    if (std::strcmp(mode, "wait") == 0)
    {
        std::printf("ready\n");
        std::fflush(stdout);
        QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
        QObject::connect(&input, &QSocketNotifier::activated, &app,
                         [&]
                         {
                             char buffer[64];
                             if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
                                 app.quit();
                         });
        return app.exec();
    }
    QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return app.exec();
}
