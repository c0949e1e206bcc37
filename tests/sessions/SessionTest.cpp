#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

namespace
{
// One session_probe run in a home of the test's own, with what it said.
class Probe
{
public:
    explicit Probe(const QTemporaryDir& home)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* variable : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "LOCALAPPDATA", "HOME"})
            environment.insert(QLatin1String(variable), home.filePath(QLatin1String(variable)));
        // Under AddressSanitizer the probe's fatal signals must reach the
        // handlers under test, not the sanitizer's own.
        if (environment.contains(QStringLiteral("ASAN_OPTIONS")))
            environment.insert(
                QStringLiteral("ASAN_OPTIONS"),
                environment.value(QStringLiteral("ASAN_OPTIONS")) +
                    QStringLiteral(":handle_segv=0:handle_sigbus=0:handle_sigfpe=0:handle_sigill=0:"
                                   "handle_abort=0"));
        process.setProcessEnvironment(environment);
    }
    ~Probe()
    {
        process.kill();
        process.waitForFinished();
    }
    void Start(const QString& mode)
    {
        process.start(QString::fromStdString(Kavrel::Test::TestBinaryFolder() + "/session_probe"), {mode});
        ASSERT_TRUE(process.waitForStarted());
    }
    bool WaitFor(const QString& text)
    {
        Kavrel::Test::WaitFor(
            [&]
            {
                process.waitForReadyRead(50);
                output += process.readAllStandardOutput();
                return output.contains(text.toUtf8()) || process.state() == QProcess::NotRunning;
            });
        return output.contains(text.toUtf8());
    }
    // Runs to the end; the signal that ended it, 0 when it exited.
    int Finish()
    {
        process.waitForFinished(30000);
        output += process.readAllStandardOutput();
        return process.exitStatus() == QProcess::CrashExit ? process.exitCode() : 0;
    }
    QString Said(const char* key) const
    {
        const QRegularExpression pattern(QStringLiteral("^") + QLatin1String(key) + QStringLiteral("=(.*)$"),
                                         QRegularExpression::MultilineOption);
        return pattern.match(QString::fromUtf8(output)).captured(1);
    }
    QString Previous() const { return Said("previous") + QLatin1Char('/') + Said("signal"); }
    QProcess process;
    QByteArray output;
};

QString RunProbe(const QTemporaryDir& home, const QString& mode, int* streak = nullptr)
{
    Probe probe(home);
    probe.Start(mode);
    probe.Finish();
    if (streak)
        *streak = probe.Said("streak").toInt();
    return probe.Previous();
}

struct CrashCase
{
    const char* mode;
    int signal;
    const char* name;
    const char* function;
};

class SessionCrash : public ::testing::TestWithParam<CrashCase>
{
};

// The process dies of its signal as before, the log shows where, and the
// next start knows how it ended.
TEST_P(SessionCrash, leavesABacktraceAndIsClassified)
{
    QTemporaryDir home;
    Probe crashing(home);
    crashing.Start(QLatin1String(GetParam().mode));
    crashing.Finish();
    EXPECT_EQ(crashing.process.exitStatus(), QProcess::CrashExit);
    QFile dump(crashing.Said("logs") + QStringLiteral("session_probe.CRASH.") + crashing.Said("pid"));
    ASSERT_TRUE(dump.open(QIODevice::ReadOnly)) << dump.fileName().toStdString();
    const QByteArray backtrace = dump.readAll();
    EXPECT_TRUE(backtrace.contains(GetParam().name)) << backtrace.constData();
    EXPECT_TRUE(backtrace.contains(GetParam().function)) << backtrace.constData();
    EXPECT_EQ(RunProbe(home, QStringLiteral("quit")), QStringLiteral("crash/%1").arg(GetParam().signal));
}

INSTANTIATE_TEST_SUITE_P(Signals, SessionCrash,
                         ::testing::Values(CrashCase{"segv", SIGSEGV, "SIGSEGV", "CrashBySegfault"},
                                           CrashCase{"bus", SIGBUS, "SIGBUS", "CrashByBusError"},
                                           CrashCase{"ill", SIGILL, "SIGILL", "CrashByIllegalInstruction"},
                                           CrashCase{"fpe", SIGFPE, "SIGFPE", "CrashByDivision"},
                                           CrashCase{"abort", SIGABRT, "SIGABRT", "CrashByAbort"}),
                         [](const ::testing::TestParamInfo<CrashCase>& info)
                         { return std::string(info.param.mode); });

TEST(SessionHistory, aTerminationRequestQuitsThroughTheNormalPathAndAKillIsUnknown)
{
    QTemporaryDir home;
    Probe asked(home);
    asked.Start(QStringLiteral("wait"));
    ASSERT_TRUE(asked.WaitFor(QStringLiteral("ready")));
    ::kill(static_cast<pid_t>(asked.process.processId()), SIGTERM);
    EXPECT_EQ(asked.Finish(), 0);
    EXPECT_TRUE(asked.output.contains("quitting"));
    EXPECT_EQ(asked.process.exitCode(), 0);
    EXPECT_EQ(RunProbe(home, QStringLiteral("quit")), QStringLiteral("termination/%1").arg(SIGTERM));

    Probe killed(home);
    killed.Start(QStringLiteral("wait"));
    ASSERT_TRUE(killed.WaitFor(QStringLiteral("ready")));
    ::kill(static_cast<pid_t>(killed.process.processId()), SIGKILL);
    killed.Finish();
    EXPECT_EQ(RunProbe(home, QStringLiteral("quit")), QStringLiteral("unknown/0"));
    EXPECT_EQ(RunProbe(home, QStringLiteral("quit")), QStringLiteral("quit/0"));
}

// A product's own handler, installed first, still handles its signal.
TEST(SessionHistory, aProductsOwnHandlerIsRespectedAndTheCrashStillRecorded)
{
    QTemporaryDir home;
    Probe own(home);
    own.Start(QStringLiteral("own-segv"));
    own.Finish();
    EXPECT_EQ(own.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(own.process.exitCode(), 7);
    EXPECT_EQ(RunProbe(home, QStringLiteral("quit")), QStringLiteral("crash/%1").arg(SIGSEGV));
}

TEST(SessionHistory, twoInstancesKeepTheirOwnEndings)
{
    QTemporaryDir home;
    Probe first(home), second(home);
    first.Start(QStringLiteral("wait"));
    second.Start(QStringLiteral("wait"));
    ASSERT_TRUE(first.WaitFor(QStringLiteral("ready")) && second.WaitFor(QStringLiteral("ready")));
    const QString firstPid = first.Said("pid"), secondPid = second.Said("pid");
    ::kill(static_cast<pid_t>(first.process.processId()), SIGSEGV);
    first.Finish();
    // The survivor's start did not take the other's record, nor the other
    // its: each says how it ended.
    const QDir records(first.Said("records"));
    QFile crashed(records.filePath(QStringLiteral("session_probe.%1.session").arg(firstPid)));
    ASSERT_TRUE(crashed.open(QIODevice::ReadOnly));
    EXPECT_TRUE(crashed.readAll().startsWith("crash 11"));
    ::kill(static_cast<pid_t>(second.process.processId()), SIGTERM);
    second.Finish();
    QFile asked(records.filePath(QStringLiteral("session_probe.%1.session").arg(secondPid)));
    ASSERT_TRUE(asked.open(QIODevice::ReadOnly));
    EXPECT_TRUE(asked.readAll().startsWith("term 15"));
}

TEST(SessionHistory, startupCrashesCountInARowUntilARunEndsWell)
{
    QTemporaryDir home;
    int streak = -1;
    for (int crash = 0; crash < 3; ++crash)
        RunProbe(home, QStringLiteral("segv"));
    RunProbe(home, QStringLiteral("quit"), &streak);
    EXPECT_EQ(streak, 3);
    RunProbe(home, QStringLiteral("quit"), &streak);
    EXPECT_EQ(streak, 0);
}

TEST(SessionHistory, aDamagedRecordReadsAsUnknown)
{
    QTemporaryDir home;
    Probe first(home);
    first.Start(QStringLiteral("quit"));
    first.Finish();
    const QDir records(first.Said("records"));
    for (const auto& [name, bytes] :
         {std::pair<const char*, QByteArray>{"session_probe.999990.session", "\x01garbage"},
          {"session_probe.999991.session", QByteArray(48, 'x')},
          {"session_probe.999992.session", QByteArray()}})
    {
        QFile planted(records.filePath(QLatin1String(name)));
        ASSERT_TRUE(planted.open(QIODevice::WriteOnly));
        planted.write(bytes);
    }
    EXPECT_EQ(RunProbe(home, QStringLiteral("quit")), QStringLiteral("quit/0"))
        << "the damaged ones are oldest";
    EXPECT_TRUE(records.entryList({QStringLiteral("*.99999?.session")}).isEmpty());
}
} // namespace
