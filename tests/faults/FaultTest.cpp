// System calls that fail under the library: a product's start, a settings
// save, the crash records, a theme switch and a slave's launch, each under
// a failing open, write, rename, fsync, lock, mkfifo, exec or fork with the
// errors a full disk, a lost permission, a failing device or a signal give.
// Each case runs the helper program with the fault preloaded and checks that the
// fault happened, that the child neither crashed nor hung, that the outcome
// is the documented one and logged where that is documented, and that
// nothing stored before was lost.
#include "FaultSupport.h"

namespace
{
using namespace Kavrel::Test;

enum class Scenario
{
    Start,
    Save,
    Record,
    Theme,
    Launch
};

struct Case
{
    const char* name;
    Scenario scenario;
    Fault fault;
    // A line the child must print ("" for none; a trailing '*' matches any end).
    const char* result;
    // A log line the child must write when the fault kept it from its work.
    const char* log;
};

const char* const STORE_LOST = "cannot be written; changes made to it are lost";
const char* const RECORDS_LOST = "crash records";

const Case CASES[] = {
    // The start: the store, the crash records, the application's named mutex.
    {"startStoreCannotBeOpened", Scenario::Start, {"open", "EACCES", "/store/"}, "started=1", STORE_LOST},
    {"startStoreCannotBeRenamed", Scenario::Start, {"rename", "EIO", "/store/"}, "started=1", STORE_LOST},
    {"startCrashRecordsCannotBeOpened", Scenario::Start, {"open", "EACCES", "kavrel_test_helper.ini"}, "started=1",
     RECORDS_LOST},
    // A first record is a new file renamed into place; later ones are
    // written over it.
    {"startCrashRecordsCannotBeRenamed", Scenario::Start, {"rename", "EIO", "kavrel_test_helper.ini"}, "started=1",
     RECORDS_LOST},
    {"startMutexCannotBeLocked", Scenario::Start, {"flock", "EACCES", "/runtime/"}, "started=1",
     "Running without the application mutex"},
    // A settings save.
    {"saveDiskFull", Scenario::Save, {"write", "ENOSPC", "/store/"}, "ended=1", STORE_LOST},
    // Past the lock file's write: the new content's own (Qt 5 replaced the
    // file with an empty one here and said nothing).
    {"saveDiskFullWhileWriting", Scenario::Save, {"write", "ENOSPC", "/store/", 1}, "ended=1", STORE_LOST},
    {"saveIoErrorWhileWriting", Scenario::Save, {"write", "EIO", "/store/", 1}, "ended=1", STORE_LOST},
    {"saveRenameFails", Scenario::Save, {"rename", "EIO", "/store/"}, "ended=1", STORE_LOST},
    {"saveSyncFails", Scenario::Save, {"fsync", "EIO", "/store/"}, "ended=1", STORE_LOST},
    {"saveCannotOpen", Scenario::Save, {"open", "EACCES", "/store/"}, "ended=1", STORE_LOST},
    {"saveLockFails", Scenario::Save, {"flock", "EIO", "/store/"}, "ended=1", STORE_LOST},
    {"saveWriteInterrupted", Scenario::Save, {"write", "EINTR", "/store/", 0, 3}, "ended=1", STORE_LOST},
    {"saveOpenInterrupted", Scenario::Save, {"open", "EINTR", "/store/", 0, 2}, "ended=1", STORE_LOST},
    {"saveSyncInterrupted", Scenario::Save, {"fsync", "EINTR", "/store/", 0, 1}, "ended=1", STORE_LOST},
    // The crash records, written at a start and at a quit.
    {"recordCannotOpen", Scenario::Record, {"open", "EACCES", "kavrel_test_helper.ini"}, "ended=1", RECORDS_LOST},
    {"recordDiskFull", Scenario::Record, {"write", "ENOSPC", "kavrel_test_helper.ini"}, "ended=1", RECORDS_LOST},
    {"recordDiskFullWhileWriting", Scenario::Record, {"write", "ENOSPC", "kavrelproduct 1.0/", 1}, "ended=1",
     RECORDS_LOST},
    // A theme switch: a description that cannot be read is no installed
    // theme; a resource file that cannot be opened loads nothing.
    {"themeDescriptionCannotBeOpened", Scenario::Theme, {"open", "EACCES", "theme.json"}, "styled=0",
     "is not installed"},
    {"themeResourceCannotBeOpened", Scenario::Theme, {"open", "EIO", "plain.rcc"}, "styled=0",
     "cannot be registered"},
    {"themeResourceOpenInterrupted", Scenario::Theme, {"open", "EINTR", "plain.rcc", 0, 1}, "styled=1", ""},
    // A slave's launch: pipes that cannot be made or opened throw (as
    // documented), a program that cannot start is no slave, a pipe that
    // fails fails the exchange.
    {"launchPipeCannotBeMade", Scenario::Launch, {"mkfifo", "EACCES", "KavrelIPC"}, "exception=*", ""},
    {"launchPipeCannotBeOpened", Scenario::Launch, {"open", "EACCES", "KavrelIPCOutput"}, "exception=*", ""},
    {"launchProgramCannotRun", Scenario::Launch, {"spawn", "EACCES", "kavrel_test_helper"}, "launched=0", ""},
    {"launchNoProcess", Scenario::Launch, {"fork", "EAGAIN", ""}, "launched=0", ""},
    {"launchPipeWriteFails", Scenario::Launch, {"write", "EIO", "KavrelIPCInput"}, "reply-exception=*", ""},
};

const char* const OLD_STORE = "[General]\nkeep=precious\ngeneration=1\n";

class FaultInjection : public ::testing::TestWithParam<Case>
{
protected:
    void SetUp() override
    {
        folder = IsolatedRoot() + "/faults/" + GetParam().name;
        store = WriteFile(folder + "/store/Product.ini", OLD_STORE);
    }

    bool HasResult(const ProbeRun& run) const
    {
        const std::string expected = GetParam().result;
        if (expected.empty() || expected.back() != '*')
            return run.Has(expected);
        const std::string prefix = expected.substr(0, expected.size() - 1);
        return std::any_of(run.lines.begin(), run.lines.end(),
                           [&](const std::string& line) { return line.rfind(prefix, 0) == 0; });
    }

    // Nothing stored is lost: the old value is there, and the change either
    // is there whole or is not and was logged.
    void ExpectStoreOldOrNew(const ProbeRun& run, const char* changedKey)
    {
        QSettings after(QString::fromStdString(store), QSettings::IniFormat);
        EXPECT_EQ(after.status(), QSettings::NoError);
        EXPECT_EQ(after.value("keep").toString(), "precious");
        if (!after.contains(changedKey))
        {
            EXPECT_EQ(ReadAll(store), OLD_STORE) << "not saved, yet changed";
            EXPECT_TRUE(run.Logged(GetParam().log)) << "the lost change was not logged";
        }
    }

    std::string folder, store;
};

TEST_P(FaultInjection, isSurvivedAsDocumented)
{
    const Case& c = GetParam();
    std::vector<std::string> arguments;
    std::unique_ptr<LiveRecord> live;
    switch (c.scenario)
    {
    case Scenario::Start:
        arguments = {"start", folder};
        break;
    case Scenario::Save:
        arguments = {"set", store, "fresh=value"};
        break;
    case Scenario::Record:
        live = std::make_unique<LiveRecord>(folder);
        arguments = {"record"};
        break;
    case Scenario::Theme:
        arguments = {"theme", KAVREL_FAULT_APP, "plain"};
        break;
    case Scenario::Launch:
        arguments = {"master", "ipc-echo", folder + "/slave-report", "one"};
        break;
    }

    const ProbeRun run = RunProbe(arguments, folder, c.fault);
    std::string output;
    for (const std::string& line : run.lines)
        output += line + "\n";
    SCOPED_TRACE(output);
    ASSERT_TRUE(run.ended) << "hung";
    EXPECT_EQ(run.status, 0);
    EXPECT_FALSE(run.faults.empty()) << "the fault never happened";
    EXPECT_TRUE(HasResult(run)) << c.result;

    switch (c.scenario)
    {
    case Scenario::Start:
        EXPECT_TRUE(run.Has("ended=1"));
        if (std::string(c.log) == STORE_LOST)
            ExpectStoreOldOrNew(run, "Version");
        else
            EXPECT_TRUE(run.Logged(c.log));
        break;
    case Scenario::Save:
        ExpectStoreOldOrNew(run, "fresh");
        break;
    case Scenario::Record:
        EXPECT_TRUE(run.Logged(c.log));
        EXPECT_TRUE(live->Kept()) << "a live record was lost";
        break;
    case Scenario::Theme:
        EXPECT_TRUE(run.Has("theme=plain"));
        if (*c.log)
        {
            EXPECT_TRUE(run.Logged(c.log));
        }
        break;
    case Scenario::Launch:
    {
        // Pipes that were made are gone again with the master, however far it got.
        std::vector<std::string> left;
        for (const auto& entry : std::filesystem::directory_iterator(std::getenv("XDG_RUNTIME_DIR")))
            if (entry.path().filename().string().rfind("KavrelIPC", 0) == 0)
                left.push_back(entry.path().filename().string());
        EXPECT_TRUE(left.empty()) << left.front();
        break;
    }
    }
}

INSTANTIATE_TEST_SUITE_P(Calls, FaultInjection, ::testing::ValuesIn(CASES),
                         [](const ::testing::TestParamInfo<Case>& info) { return info.param.name; });

} // namespace
