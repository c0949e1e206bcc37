#include "ProbeProcess.h"

#include <Kavrel/App/Application/ProductConstants.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <chrono>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using Kavrel::Test::ProbeProcess;

namespace
{
// The process ids the tracker file holds records of, sorted.
QStringList RecordedIds(const QString& file)
{
    QFile tracker(file);
    tracker.open(QIODevice::ReadOnly);
    QStringList ids =
        QString::fromUtf8(tracker.readAll()).split('\n').filter(QRegularExpression("^\\d+=true$"));
    ids.replaceInStrings("=true", "").sort();
    return ids;
}

class CrashTrackerTest : public ::testing::Test
{
protected:
    // A probe that runs until told to quit.
    std::unique_ptr<ProbeProcess> Running()
    {
        auto probe = std::make_unique<ProbeProcess>(home);
        EXPECT_TRUE(probe->Start({"app"}));
        file = probe->Value("file");
        return probe;
    }
    // Whether a probe run to its end saw a crash ("1") or not ("0").
    QString NextRunSees(const QString& mode = "")
    {
        ProbeProcess probe(home);
        EXPECT_TRUE(probe.Run({"app", mode}));
        file = probe.Value("file");
        return probe.Values("crash").join(',');
    }
    void WriteTracker(const QByteArray& content)
    {
        Kavrel::Test::WriteFile(file.toStdString(), content.toStdString());
    }

    QTemporaryDir home;
    QString file; // the tracker file, as the last probe reported it
};

TEST_F(CrashTrackerTest, eachRunningInstanceIsRecordedUntilItQuitsAndNoneSeesACrash)
{
    const auto first = Running(), second = Running();
    using Kavrel::App::ProductConstants;
    EXPECT_TRUE(file.startsWith(home.path() + "/data/") &&
                file.endsWith(QString("/Kavrel/%1 %2.%3/kavrel_test_helper.ini")
                                  .arg(QString::fromStdString(ProductConstants::ProductId()),
                                       QString::fromStdString(ProductConstants::ProductVersionMajor()),
                                       QString::fromStdString(ProductConstants::ProductVersionMinor()))))
        << qPrintable(file);
    EXPECT_EQ(first->Value("crash") + second->Value("crash"), "00");
    QStringList both{first->Value("pid"), second->Value("pid")};
    both.sort();
    EXPECT_EQ(RecordedIds(file), both);
    ASSERT_TRUE(first->QuitNormally());
    EXPECT_EQ(RecordedIds(file), QStringList{second->Value("pid")});
    ASSERT_TRUE(second->QuitNormally());
    EXPECT_TRUE(RecordedIds(file).isEmpty());
}

TEST_F(CrashTrackerTest, aRecordWhoseProcessIsGoneIsACrashForTheNextStartOnly)
{
    const QString killed = Running()->Value("pid"); // killed as its probe goes
    EXPECT_EQ(RecordedIds(file), QStringList{killed});
    EXPECT_EQ(NextRunSees(), "1");
    EXPECT_TRUE(RecordedIds(file).isEmpty());
    EXPECT_EQ(NextRunSees(), "0");

    ProbeProcess aborting(home);
    EXPECT_FALSE(aborting.Run({"app", "crash"}));
    EXPECT_EQ(NextRunSees(), "1");

    // The id now runs another program: this test's.
    WriteTracker("[General]\n" + QByteArray::number(::getpid()) + "=true\n");
    EXPECT_EQ(NextRunSees(), "1");
    EXPECT_TRUE(RecordedIds(file).isEmpty());
}

TEST_F(CrashTrackerTest, garbageInTheFileIsACrashButLiveRecordsStay)
{
    const auto live = Running();
    const QString pid = live->Value("pid");
    WriteTracker("[General]\n" + pid.toUtf8() +
                 "=true\nnot a number=true\n\x01\xff\xfe garbage line\n=\n[junk section\n-5=true\n");
    EXPECT_EQ(NextRunSees(), "1");
    EXPECT_EQ(RecordedIds(file), QStringList{pid});
    ASSERT_TRUE(live->QuitNormally());
    EXPECT_TRUE(RecordedIds(file).isEmpty());
}

TEST_F(CrashTrackerTest, clearingForgetsEveryRecordButKeepsTheAnswerAndAnUnwritableFolderIsNoCrash)
{
    const auto other = Running();
    WriteTracker("[General]\n999999999=true\n" + other->Value("pid").toUtf8() + "=true\n");
    EXPECT_EQ(NextRunSees("clear"), "1,1");
    EXPECT_EQ(NextRunSees(), "0") << "the other live instance's record went too";
    // A plain file where the folder should be: unwritable whoever runs the test.
    QDir(QFileInfo(file).absolutePath()).removeRecursively();
    QFile(QFileInfo(file).absolutePath()).open(QIODevice::WriteOnly);
    EXPECT_EQ(NextRunSees(), "0");
}
// Reading a pipe would wait for a writer that never comes: a start that
// finds one where the records or the start-up streak belong goes on.
TEST_F(CrashTrackerTest, aPipePlantedForTheRecordsOrTheStreakIsNotWaitedOn)
{
    EXPECT_EQ(NextRunSees(), "0");
    const QString streak = QFileInfo(file).absolutePath() + "/sessions/kavrel_test_helper.streak";
    for (const QString& path : {file, streak})
    {
        QFile::remove(path);
        ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0) << qPrintable(path);
    }
    EXPECT_EQ(NextRunSees(), "0");
    EXPECT_TRUE(QFileInfo(streak).isFile()) << "the streak is written again";
}
// A process that keeps the records' folder locked costs a run one wait of
// a second, not the start nor its record: the crash check, the start's
// record and the quit's would otherwise wait a second each.
TEST_F(CrashTrackerTest, aFolderKeptLockedByAnotherProcessDoesNotStopTheRecords)
{
    EXPECT_EQ(NextRunSees(), "0");
    const int folder =
        ::open(QFile::encodeName(QFileInfo(file).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::flock(folder, LOCK_EX), 0);
    const auto begin = std::chrono::steady_clock::now();
    const auto live = Running();
    EXPECT_EQ(RecordedIds(file), QStringList{live->Value("pid")});
    ASSERT_TRUE(live->QuitNormally());
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(2500)) << "waited more than once";
    ::close(folder);
}
// The records are written over in place, but never through another name
// for a file: a hard or symbolic link planted at their path keeps the file
// it names as it was, and the records get a file of their own.
TEST_F(CrashTrackerTest, aLinkPlantedForTheRecordsIsNeverWrittenThrough)
{
    EXPECT_EQ(NextRunSees(), "0");
    const QByteArray precious = "[General]\nkeep=precious\n";
    for (const auto link : {::link, ::symlink})
    {
        const QString victim = home.filePath("victim.ini");
        Kavrel::Test::WriteFile(victim.toStdString(), precious.toStdString());
        QFile::remove(file);
        ASSERT_EQ(link(QFile::encodeName(victim).constData(), QFile::encodeName(file).constData()), 0);
        NextRunSees();
        QFile kept(victim);
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), precious);
        EXPECT_FALSE(QFileInfo(file).isSymLink());
        struct stat records
        {
        };
        ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &records), 0);
        EXPECT_EQ(records.st_nlink, 1u);
        QFile::remove(victim);
    }
}
} // namespace
