// Processes that end in the middle of their work: a settings store and the
// crash records killed (SIGKILL) or aborted at random points of a save, a
// product asked to terminate (SIGTERM) while it saves, and a slave and its
// master each killed in the middle of an exchange. A stored file is always
// either its old or its new content, whole; what was saved before stays; a
// termination request quits through the normal path; the surviving side of
// a channel ends with an error, never waits forever. The kill points come
// from a random generator whose seed each failure reports. Every case ends
// within its time budget, however many rounds that leaves.
#include "FaultSupport.h"
#include "RecordingClient.h"

#include <Kavrel/App/Application/IPCManager.h>
#include <Kavrel/IO/IOException.h>

#include <QCoreApplication>
#include <QSysInfo>

#include <csignal>
#include <random>
#include <sys/syscall.h>

namespace
{
using namespace Kavrel::Test;
using Clock = std::chrono::steady_clock;

constexpr auto BUDGET = std::chrono::seconds(20);
constexpr int MAX_ROUNDS = 40;

std::string Payload(int generation) { return std::string(2000, static_cast<char>('a' + generation % 26)); }

// A random generator whose seed every failure in its scope reports.
struct Seeded
{
    Seeded()
        : seed(std::random_device{}()), random(seed),
          trace(__FILE__, __LINE__, "seed " + std::to_string(seed))
    {
    }
    int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
    unsigned seed;
    std::mt19937 random;
    ::testing::ScopedTrace trace;
};

// Reads lines until one starts with the prefix the given number of times;
// the last such line's value, or -1 when the output ended first.
int ReadUntil(Child& child, const std::string& prefix, int times)
{
    int value = -1;
    for (int seen = 0; seen < times;)
    {
        const std::string line = child.ReadLine();
        if (line.empty())
            return -1;
        if (line.rfind(prefix, 0) == 0)
        {
            ++seen;
            value = std::stoi(line.substr(prefix.size()));
        }
    }
    return value;
}

// The store after the end: it reads, and holds one whole generation, at
// least the last one announced, beside the value that was there before.
void ExpectWholeGeneration(const std::string& store, int announced)
{
    QSettings settings(QString::fromStdString(store), QSettings::IniFormat);
    ASSERT_EQ(settings.status(), QSettings::NoError);
    EXPECT_EQ(settings.value("keep").toString(), "precious");
    const int generation = settings.value("generation").toInt();
    EXPECT_GE(generation, announced);
    EXPECT_EQ(settings.value("payload").toString().toStdString(), Payload(generation));
}

// The files of a folder with their sizes, and the start of each.
std::string Listing(const std::string& folder)
{
    std::string listing;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        listing += "\n  " + entry.path().filename().string() + " (" + std::to_string(entry.file_size()) +
                   " bytes): " + ReadAll(entry.path().string()).substr(0, 40);
    return listing;
}

struct KillCase
{
    const char* name;
    const char* mode;
    int signal;
};

class KilledMidSave : public ::testing::TestWithParam<KillCase>
{
};

// SIGKILL, and abort() from another thread, at random points of a save; and
// the crash records of a process killed while it writes them, where another
// live instance's record must always stay.
TEST_P(KilledMidSave, leavesTheOldOrTheNewStoreWhole)
{
    Seeded seeded;
    const bool records = std::string(GetParam().mode) == "record-loop";
    const std::string folder = IsolatedRoot() + "/killed-" + GetParam().name;
    const std::string store = WriteFile(folder + "/store/Product.ini", "[General]\nkeep=precious\n");
    const std::unique_ptr<LiveRecord> live = records ? std::make_unique<LiveRecord>(folder) : nullptr;
    const auto end = Clock::now() + BUDGET;
    int rounds = 0;
    for (; rounds < MAX_ROUNDS && Clock::now() < end; ++rounds)
    {
        const int after = seeded.Between(1, records ? 6 : 4);
        std::vector<std::string> command{KAVREL_TEST_HELPER, GetParam().mode, store};
        if (GetParam().signal == SIGABRT)
            command.push_back(std::to_string(after));
        Child child(command);
        int announced = -1;
        ASSERT_TRUE(
            FinishesWithin([&] { announced = ReadUntil(child, records ? "recorded=" : "saved=", after); }))
            << "no progress in round " << rounds << "; the store's folder:" << Listing(folder + "/store");
        ASSERT_EQ(announced, after);
        if (GetParam().signal == SIGKILL)
            child.Kill();
        ASSERT_TRUE(EndsWithin(child, std::chrono::seconds(10)));
        EXPECT_EQ(child.Wait(), 128 + GetParam().signal);
        if (records)
            EXPECT_TRUE(live->Kept()) << "round " << rounds;
        else
            ExpectWholeGeneration(store, announced); // each run starts again from generation 1
        if (HasFailure())
            break;
    }
    std::printf("%d rounds\n", rounds);
    EXPECT_GE(rounds, 3);
}

INSTANTIATE_TEST_SUITE_P(Signals, KilledMidSave,
                         ::testing::Values(KillCase{"kill", "save-loop", SIGKILL},
                                           KillCase{"abort", "save-loop", SIGABRT},
                                           KillCase{"records", "record-loop", SIGKILL}),
                         [](const ::testing::TestParamInfo<KillCase>& info) { return info.param.name; });

// The lock files of a save that a kill interrupted: the one QSettings saves
// under, made but still empty, or the ones it takes a stale lock away under.
// The next save goes ahead at once (QSettings waited until they were 30 s
// old); the deadline is half that.
TEST(LeftLocks, doNotHoldUpTheNextSave)
{
    // The empty save lock; then an empty removal lock beside a save lock
    // that names its owner, who has died; then one level deeper (the removal
    // lock is a lock file with a removal lock of its own).
    for (int depth = 0; depth < 3; ++depth)
    {
        SCOPED_TRACE("empty lock at depth " + std::to_string(depth));
        const std::string folder = IsolatedRoot() + "/left-" + std::to_string(depth);
        const std::string store = WriteFile(folder + "/store/Product.ini", "[General]\nkeep=precious\n");
        std::string owner;
        if (depth > 0)
        {
            Child gone({KAVREL_TEST_HELPER, "wait"});
            const std::string pid = gone.ReadLine().substr(4);
            gone.Wait();
            owner = pid + "\nkavrel_test_helper\n" + QSysInfo::machineHostName().toStdString() + "\n";
        }
        std::string lock = store + ".lock";
        for (int level = 0; level <= depth; lock += ".rmlock", ++level)
            WriteFile(lock, level < depth ? owner : "");
        const ProbeRun run =
            RunProbe({"set", store, "fresh=value"}, folder, std::nullopt, std::chrono::seconds(15));
        ASSERT_TRUE(run.ended) << "the save waited for the left lock";
        EXPECT_EQ(run.status, 0);
        QSettings settings(QString::fromStdString(store), QSettings::IniFormat);
        EXPECT_EQ(settings.value("keep").toString(), "precious");
        EXPECT_EQ(settings.value("fresh").toString(), "value");
    }
}

// A termination request while the product saves: it quits through the
// normal path, its store holds what it set last, and the next start knows
// that the session was asked to end and did not crash.
TEST(ProcessFaults, aTerminationRequestMidSaveQuitsNormallyAndKeepsTheLastGeneration)
{
    Seeded seeded;
    const std::string folder = IsolatedRoot() + "/terminated";
    const std::string store = WriteFile(folder + "/store/Product.ini", "[General]\nkeep=precious\n");
    for (int round = 0; round < 3; ++round)
    {
        Child child({KAVREL_TEST_HELPER, "product-loop", folder});
        int announced = -1;
        EXPECT_TRUE(FinishesWithin([&] { announced = ReadUntil(child, "saved=", seeded.Between(1, 50)); }));
        ASSERT_GE(announced, 1);
        ASSERT_EQ(::kill(child.pid, SIGTERM), 0);
        bool ended = false;
        ASSERT_TRUE(FinishesWithin(
            [&]
            {
                for (std::string line; !(line = child.ReadLine()).empty();)
                    ended = ended || line == "ended=1";
            }));
        EXPECT_EQ(child.Wait(), 0);
        EXPECT_TRUE(ended);
        ExpectWholeGeneration(store, announced);
        const ProbeRun next = RunProbe({"start", folder}, folder);
        EXPECT_TRUE(next.Has("previous=termination"));
        EXPECT_TRUE(next.Has("crash=0"));
    }
}

// The master (this test) and a slave it launched: the slave is killed while
// a large message travels; writing and reading then fail, in bounded time.
TEST(ProcessFaults, aSlaveKilledMidExchangeFailsTheMastersCallsInsteadOfHangingThem)
{
    static int argc = 1;
    static char name[] = "ProcessFaultTests";
    static char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    Seeded seeded;
    for (int round = 0; round < 5; ++round)
    {
        RecordingClient client;
        ASSERT_TRUE(Kavrel::App::IPCManager::LaunchSlave(
            client, KAVREL_TEST_HELPER,
            QString::fromStdString("ipc-echo " + IsolatedRoot() + "/slave-report"), false));
        auto& channel = *client.channel;
        const std::string small = "hello";
        // At least one whole exchange: the slave has opened its ends. (One
        // killed before that leaves the master's first write waiting for a
        // reader; see docs/reliability.md.)
        for (int exchanged = seeded.Between(1, 3); exchanged > 0; --exchanged)
            ASSERT_EQ(Exchange(channel, small), small);
        // Larger than the pipe holds: the write is under way when the slave dies.
        const std::string large(4 << 20, 'L');
        std::thread writer(
            [&]
            {
                try
                {
                    channel.Write(large.data(), static_cast<std::int64_t>(large.size()));
                }
                catch (const Kavrel::Core::IOException&)
                {
                }
            });
        ASSERT_EQ(::syscall(SYS_pidfd_send_signal, client.handle, SIGKILL, nullptr, 0), 0);
        ASSERT_EQ(Kavrel::Platform::WaitForAny({client.handle}, 10000), 0) << "the slave did not end";
        ASSERT_TRUE(FinishesWithin([&] { writer.join(); })) << "the write hung";
        // Whether or not the write went through before, nothing comes back whole now.
        EXPECT_TRUE(FinishesWithin(
            [&]
            {
                EXPECT_THROW(ReadMessage(channel), Kavrel::Core::IOException);
                EXPECT_THROW(channel.Write(small.data(), 5), Kavrel::Core::IOException);
            }));
    }
}

// A master killed in the middle of its exchanges with a slave: the slave
// sees its channel end and ends, in bounded time.
TEST(ProcessFaults, aMasterKilledMidExchangeEndsItsSlave)
{
    Seeded seeded;
    for (int round = 0; round < 5; ++round)
    {
        const std::string report = IsolatedRoot() + "/master-report-" + std::to_string(round);
        Child master({KAVREL_TEST_HELPER, "master", "ipc-echo", report, "many"});
        int slave = -1;
        ASSERT_TRUE(FinishesWithin(
            [&]
            {
                slave = ReadUntil(master, "slave=", 1);
                ReadUntil(master, "round=", seeded.Between(1, 200));
            }));
        ASSERT_GT(slave, 0);
        const int handle = Kavrel::Platform::OpenProcessHandle(static_cast<unsigned long>(slave));
        master.Kill();
        EXPECT_EQ(master.Wait(), 128 + SIGKILL);
        EXPECT_EQ(Kavrel::Platform::WaitForAny({handle}, 10000), 0) << "the slave outlived its master";
        Kavrel::Platform::CloseProcessHandle(handle);
        const std::vector<std::string> lines = Lines(ReadAll(report));
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                                [](const std::string& line) { return line.rfind("ended=", 0) == 0; }))
            << ReadAll(report);
    }
}

} // namespace
