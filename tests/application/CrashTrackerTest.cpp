#include "ProbeProcess.h"

#include <Kavrel/App/Application/ProductConstants.h>

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

using Kavrel::Test::FreshEnvironment;
using Kavrel::Test::ProbeProcess;

namespace
{
// The process ids recorded in the tracker file, read as the file holds them.
QStringList RecordedIds(const QString& file)
{
    QFile tracker(file);
    QStringList ids;
    if (!tracker.open(QIODevice::ReadOnly))
        return ids;
    const QRegularExpression record(QStringLiteral("^(\\d+)=true$"));
    for (const QByteArray& line : tracker.readAll().split('\n'))
    {
        const auto match = record.match(QString::fromUtf8(line.trimmed()));
        if (match.hasMatch())
            ids << match.captured(1);
    }
    ids.sort();
    return ids;
}

void WriteFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

class CrashTrackerTest : public ::testing::Test
{
protected:
    // Where the probes keep their records, learnt from a first normal run.
    QString TrackerFile()
    {
        ProbeProcess probe(environment);
        EXPECT_TRUE(probe.Run({QStringLiteral("quit")}));
        return probe.Value(QStringLiteral("file"));
    }

    QTemporaryDir folder;
    QProcessEnvironment environment = FreshEnvironment(folder);
};

TEST_F(CrashTrackerTest, firstRunReportsNoCrashAndRecordsItselfUntilItQuits)
{
    ProbeProcess probe(environment);
    ASSERT_TRUE(probe.Start({QStringLiteral("wait")}, QStringLiteral("ready")));
    EXPECT_EQ(probe.Value(QStringLiteral("crash")), QStringLiteral("0"));
    const QString file = probe.Value(QStringLiteral("file"));
    using Kavrel::App::ProductConstants;
    const QString tail = QStringLiteral("/Kavrel/%1 %2.%3/app_probe.ini")
                             .arg(QString::fromStdString(ProductConstants::ProductId()),
                                  QString::fromStdString(ProductConstants::ProductVersionMajor()),
                                  QString::fromStdString(ProductConstants::ProductVersionMinor()));
    EXPECT_TRUE(file.startsWith(folder.path() + QStringLiteral("/data/")) && file.endsWith(tail))
        << qPrintable(file);
    EXPECT_EQ(RecordedIds(file), QStringList{probe.Value(QStringLiteral("pid"))});
    ASSERT_TRUE(probe.QuitNormally());
    EXPECT_TRUE(RecordedIds(file).isEmpty());
}

TEST_F(CrashTrackerTest, killedInstanceIsReportedOnceByTheNextStart)
{
    const QString file = TrackerFile();
    QString killedPid;
    {
        ProbeProcess victim(environment);
        ASSERT_TRUE(victim.Start({QStringLiteral("wait")}, QStringLiteral("ready")));
        killedPid = victim.Value(QStringLiteral("pid"));
        ASSERT_TRUE(victim.Kill());
    }
    EXPECT_EQ(RecordedIds(file), QStringList{killedPid});

    ProbeProcess next(environment);
    ASSERT_TRUE(next.Run({QStringLiteral("quit")}));
    EXPECT_EQ(next.Value(QStringLiteral("crash")), QStringLiteral("1"));
    EXPECT_TRUE(RecordedIds(file).isEmpty());

    ProbeProcess after(environment);
    ASSERT_TRUE(after.Run({QStringLiteral("quit")}));
    EXPECT_EQ(after.Value(QStringLiteral("crash")), QStringLiteral("0"));
}

TEST_F(CrashTrackerTest, abortedInstanceCountsAsACrash)
{
    ProbeProcess crashing(environment);
    EXPECT_FALSE(crashing.Run({QStringLiteral("crash")}));
    ProbeProcess next(environment);
    ASSERT_TRUE(next.Run({QStringLiteral("quit")}));
    EXPECT_EQ(next.Value(QStringLiteral("crash")), QStringLiteral("1"));
}

TEST_F(CrashTrackerTest, instancesRunningSideBySideSeeNoCrash)
{
    ProbeProcess first(environment), second(environment);
    ASSERT_TRUE(first.Start({QStringLiteral("wait")}, QStringLiteral("ready")));
    ASSERT_TRUE(second.Start({QStringLiteral("wait")}, QStringLiteral("ready")));
    EXPECT_EQ(first.Value(QStringLiteral("crash")), QStringLiteral("0"));
    EXPECT_EQ(second.Value(QStringLiteral("crash")), QStringLiteral("0"));
    const QString file = first.Value(QStringLiteral("file"));
    QStringList both{first.Value(QStringLiteral("pid")), second.Value(QStringLiteral("pid"))};
    both.sort();
    EXPECT_EQ(RecordedIds(file), both);

    ASSERT_TRUE(first.QuitNormally());
    EXPECT_EQ(RecordedIds(file), QStringList{second.Value(QStringLiteral("pid"))});
    ASSERT_TRUE(second.QuitNormally());
    EXPECT_TRUE(RecordedIds(file).isEmpty());
}

TEST_F(CrashTrackerTest, recordOfAProcessIdNowRunningAnotherProgramIsACrash)
{
    const QString file = TrackerFile();
    QProcess other;
    other.start(QStringLiteral("sleep"), {QStringLiteral("60")});
    ASSERT_TRUE(other.waitForStarted());
    WriteFile(file, "[General]\n" + QByteArray::number(other.processId()) + "=true\n");

    ProbeProcess next(environment);
    ASSERT_TRUE(next.Run({QStringLiteral("quit")}));
    EXPECT_EQ(next.Value(QStringLiteral("crash")), QStringLiteral("1"));
    EXPECT_TRUE(RecordedIds(file).isEmpty());
    other.kill();
    other.waitForFinished();
}

TEST_F(CrashTrackerTest, garbageInTheFileNeitherCrashesNorLosesLiveRecords)
{
    const QString file = TrackerFile();
    ProbeProcess live(environment);
    ASSERT_TRUE(live.Start({QStringLiteral("wait")}, QStringLiteral("ready")));
    const QString livePid = live.Value(QStringLiteral("pid"));
    WriteFile(file, "[General]\n" + livePid.toUtf8() +
                        "=true\nnot a number=true\n\x01\xff\xfe garbage line\n=\n[junk section\n-5=true\n");

    ProbeProcess next(environment);
    ASSERT_TRUE(next.Run({QStringLiteral("quit")}));
    EXPECT_EQ(next.Value(QStringLiteral("crash")), QStringLiteral("1"));
    EXPECT_EQ(RecordedIds(file), QStringList{livePid});
    ASSERT_TRUE(live.QuitNormally());
    EXPECT_TRUE(RecordedIds(file).isEmpty());
}

TEST_F(CrashTrackerTest, unwritableTrackerFolderReportsNoCrashAndRunsOn)
{
    const QString file = TrackerFile();
    // A plain file where the tracker's folder should be: nothing can be
    // written there, whoever runs the test.
    QDir(QFileInfo(file).absolutePath()).removeRecursively();
    WriteFile(QFileInfo(file).absolutePath(), "in the way");

    ProbeProcess probe(environment);
    ASSERT_TRUE(probe.Run({QStringLiteral("quit")}));
    EXPECT_EQ(probe.Value(QStringLiteral("crash")), QStringLiteral("0"));
}

TEST_F(CrashTrackerTest, clearingForgetsEveryRecordButKeepsTheAnswer)
{
    const QString file = TrackerFile();
    ProbeProcess other(environment);
    ASSERT_TRUE(other.Start({QStringLiteral("wait")}, QStringLiteral("ready")));
    WriteFile(file, "[General]\n999999999=true\n" + other.Value(QStringLiteral("pid")).toUtf8() + "=true\n");

    ProbeProcess clearing(environment);
    ASSERT_TRUE(clearing.Run({QStringLiteral("clear")}));
    EXPECT_EQ(clearing.Values(QStringLiteral("crash")),
              (QStringList{QStringLiteral("1"), QStringLiteral("1")}));
    // The other live instance's record went too; the next start finds nothing.
    ProbeProcess next(environment);
    ASSERT_TRUE(next.Run({QStringLiteral("quit")}));
    EXPECT_EQ(next.Value(QStringLiteral("crash")), QStringLiteral("0"));
    ASSERT_TRUE(other.QuitNormally());
}
} // namespace
