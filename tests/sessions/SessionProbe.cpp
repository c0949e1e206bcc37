// A product instance for the session tests. "session_probe MODE" reports,
// a line each, pid=, previous=<ending>, signal=, streak=, records=<folder>
// and logs=<folder>,
// then: quit (normally), wait (until asked to quit; says "quitting" at
// aboutToQuit), segv, bus, ill, fpe or abort (crash that way in a function
// named after it), own-segv (a handler of its own for SIGSEGV, installed
// before the application, exits with 7).
#include <Kavrel/App/Application/Application.h>
#include <Kavrel/App/Application/ICustomizationManager.h>

#include <QTimer>

#include <boost/make_shared.hpp>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace
{
class Product : public Kavrel::App::ICustomizationManager
{
public:
    std::string GetOrganizationName() const override { return "Kavrel"; }
    std::string GetProductFolderName() const override { return "Probe"; }
    std::string GetVersionMajor() const override { return "1"; }
    std::string GetVersionMinor() const override { return "0"; }
    std::string GetApplicationName() const override { return "Probe"; }
    std::string GetProductName() const override { return "Probe"; }
    std::string GetProductCodeName() const override { return "Probe"; }
    QPixmap GetApplicationIcon() const override { return {}; }
    std::string GetEditionName() const override { return {}; }
    std::string GetCustomAboutCaption() const override { return {}; }
    bool IsEmailDialogEnabled() const override { return false; }
    std::string GetSupportEmail() const override { return {}; }
    void SetLocale(const std::string&) override {}
};

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

const char* Ending(Kavrel::App::SessionHistory::Ending ending)
{
    using H = Kavrel::App::SessionHistory;
    switch (ending)
    {
    case H::NoSession:
        return "none";
    case H::NormalQuit:
        return "quit";
    case H::Crash:
        return "crash";
    case H::TerminationRequest:
        return "termination";
    case H::Unknown:
        return "unknown";
    }
    return "?";
}
} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "quit";
    if (mode == "own-segv")
        std::signal(SIGSEGV, [](int) { ::_exit(7); });
    Kavrel::App::Application app(argc, argv);
    // Where the records are: decided before the product names itself.
    const QString records = Kavrel::App::SessionHistory::RecordFolder();
    app.SetCustomizationManager(boost::make_shared<Product>());
    const auto previous = app.GetPreviousSessionEnd();
    std::printf("pid=%d\nprevious=%s\nsignal=%d\nstreak=%d\nrecords=%s\nlogs=%s\n",
                static_cast<int>(::getpid()), Ending(previous.ending), previous.signal,
                app.GetStartupCrashStreak(), qPrintable(records), std::getenv("KavrelLogPath"));
    std::fflush(stdout);

    if (mode == "segv" || mode == "own-segv")
        CrashBySegfault();
    else if (mode == "bus")
        CrashByBusError();
    else if (mode == "ill")
        CrashByIllegalInstruction();
    else if (mode == "fpe")
        CrashByDivision();
    else if (mode == "abort")
        CrashByAbort();
    QObject::connect(&app, &QCoreApplication::aboutToQuit,
                     [] { std::puts("quitting"), std::fflush(stdout); });
    if (mode == "wait")
        std::puts("ready"), std::fflush(stdout);
    else
        QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return app.exec();
}
