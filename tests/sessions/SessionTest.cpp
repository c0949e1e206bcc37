#include "ProbeProcess.h"

#include <Kavrel/App/Application/SessionHistory.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

using Kavrel::Test::ProbeProcess;

namespace
{
// How the next start in the home says the last session ended: "<ending>/<signal>".
QString NextStartSees(const QTemporaryDir& home, int* streak = nullptr)
{
    ProbeProcess probe(home);
    EXPECT_TRUE(probe.Run({"session", "quit"}));
    EXPECT_TRUE(probe.Has("quitting"));
    if (streak)
        *streak = probe.Value("streak").toInt();
    return probe.Value("previous") + '/' + probe.Value("signal");
}

// A probe that waits until a signal ends it.
std::unique_ptr<ProbeProcess> Waiting(const QTemporaryDir& home)
{
    auto probe = std::make_unique<ProbeProcess>(home);
    EXPECT_TRUE(probe->Start({"session", "wait"}, "ready"));
    return probe;
}

// The record of the session of the process, as the library left it.
QByteArray Record(const ProbeProcess& probe, const QString& pid)
{
    QFile record(QDir(probe.Value("records")).filePath("kavrel_test_helper." + pid + ".session"));
    return record.open(QIODevice::ReadOnly) ? record.readAll()
                                            : "<unreadable " + record.fileName().toUtf8() + ">";
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
    ProbeProcess crashing(home);
    ASSERT_TRUE(crashing.Start({"session", GetParam().mode}, "logs"));
    EXPECT_EQ(crashing.Finish(), 128 + GetParam().signal);
    QFile dump(crashing.Value("logs") + "kavrel_test_helper.CRASH." + crashing.Value("pid"));
    ASSERT_TRUE(dump.open(QIODevice::ReadOnly)) << dump.fileName().toStdString();
    const QByteArray backtrace = dump.readAll();
    EXPECT_TRUE(backtrace.contains(GetParam().name)) << backtrace.constData();
    EXPECT_TRUE(backtrace.contains(GetParam().function)) << backtrace.constData();
    EXPECT_EQ(NextStartSees(home), QString("crash/%1").arg(GetParam().signal));
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
    const auto asked = Waiting(home);
    ::kill(asked->Pid(), SIGTERM);
    EXPECT_EQ(asked->Finish(), 0);
    EXPECT_TRUE(asked->Has("quitting"));
    EXPECT_EQ(NextStartSees(home), QString("termination/%1").arg(SIGTERM));

    const auto killed = Waiting(home);
    ::kill(killed->Pid(), SIGKILL);
    killed->Finish();
    EXPECT_EQ(NextStartSees(home), "unknown/0");
    EXPECT_EQ(NextStartSees(home), "quit/0");
}

// A product's own handler, installed first, still handles its signal.
TEST(SessionHistory, aProductsOwnHandlerIsRespectedAndTheCrashStillRecorded)
{
    QTemporaryDir home;
    ProbeProcess own(home);
    ASSERT_TRUE(own.Start({"session", "own-segv"}, "logs"));
    EXPECT_EQ(own.Finish(), 7);
    EXPECT_EQ(NextStartSees(home), QString("crash/%1").arg(SIGSEGV));
}

TEST(SessionHistory, twoInstancesKeepTheirOwnEndings)
{
    QTemporaryDir home;
    const auto first = Waiting(home), second = Waiting(home);
    // The survivor's start did not take the other's record, nor the other
    // its: each says how it ended.
    ::kill(first->Pid(), SIGSEGV);
    first->Finish();
    EXPECT_TRUE(Record(*first, first->Value("pid")).startsWith("crash 11"));
    ::kill(second->Pid(), SIGTERM);
    second->Finish();
    EXPECT_TRUE(Record(*second, second->Value("pid")).startsWith("term 15"));
}

TEST(SessionHistory, startupCrashesCountInARowUntilARunEndsWell)
{
    QTemporaryDir home;
    for (int crash = 0; crash < 3; ++crash)
        ProbeProcess(home).Run({"session", "segv"});
    int streak = -1;
    NextStartSees(home, &streak);
    EXPECT_EQ(streak, 3);
    NextStartSees(home, &streak);
    EXPECT_EQ(streak, 0);
}

TEST(SessionHistory, aDamagedRecordReadsAsUnknown)
{
    QTemporaryDir home;
    ProbeProcess first(home);
    ASSERT_TRUE(first.Run({"session", "quit"}));
    const QDir records(first.Value("records"));
    for (const auto& [name, bytes] : {std::pair<const char*, QByteArray>{"999990", "\x01garbage"},
                                      {"999991", QByteArray(48, 'x')},
                                      {"999992", QByteArray()}})
    {
        QFile planted(records.filePath(QString("kavrel_test_helper.%1.session").arg(name)));
        ASSERT_TRUE(planted.open(QIODevice::WriteOnly));
        planted.write(bytes);
    }
    EXPECT_EQ(NextStartSees(home), "quit/0") << "the damaged ones are oldest";
    EXPECT_TRUE(records.entryList({"*.99999?.session"}).isEmpty());
}

// This session's record is the user's own file: a link planted at its name
// is replaced, never written through, and a longer file is cut to one record.
TEST(SessionHistory, thisSessionsRecordIsNeverWrittenThroughWhatWasPlanted)
{
    int argc = 1;
    char name[] = "SessionTests";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    const QDir records(Kavrel::App::SessionHistory::RecordFolder());
    ASSERT_TRUE(records.mkpath("."));
    const QString own = records.filePath(QFileInfo(QCoreApplication::applicationFilePath()).baseName() + "." +
                                         QString::number(::getpid()) + ".session");
    const QString victim = records.filePath("../victim");
    const QByteArray precious(100, 'p');
    using Plant = std::function<int(const char*, const char*)>;
    for (const Plant& plant : {Plant(::link), Plant(::symlink), Plant()})
    {
        QFile::remove(own);
        QFile kept(victim);
        ASSERT_TRUE(kept.open(QIODevice::WriteOnly | QIODevice::Truncate) && kept.write(precious) == 100);
        kept.close();
        if (plant)
            ASSERT_EQ(plant(QFile::encodeName(victim).constData(), QFile::encodeName(own).constData()), 0);
        else
        {
            QFile longer(own);
            ASSERT_TRUE(longer.open(QIODevice::WriteOnly) && longer.write(QByteArray(4096, 'x')) == 4096);
        }
        {
            const Kavrel::App::SessionHistory history;
        }
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), precious);
        kept.close();
        struct stat status
        {
        };
        ASSERT_EQ(::lstat(QFile::encodeName(own).constData(), &status), 0);
        EXPECT_TRUE(S_ISREG(status.st_mode) && status.st_nlink == 1 && status.st_size == 48);
        QFile record(own);
        EXPECT_TRUE(record.open(QIODevice::ReadOnly) && record.readAll().startsWith("running"));
    }
}
} // namespace
