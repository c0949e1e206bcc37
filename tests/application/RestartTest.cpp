#include "ProbeProcess.h"
#include "TestProduct.h"

#include <Kavrel/App/Application/AlertBox.h>
#include <Kavrel/App/Application/Application.h>
#include <Kavrel/App/Application/CrashTracker.h>
#include <Kavrel/App/Application/ICustomizationManager.h>
#include <Kavrel/App/Application/RestartApplication.h>
#include <Kavrel/Platform/ProcessStarter.h>

#include <QAbstractButton>
#include <QDateTime>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTimer>

#include <boost/make_shared.hpp>
#include <gtest/gtest.h>

using Kavrel::App::Application;

namespace
{
class RecordingStarter : public Kavrel::Platform::ProcessStarter
{
public:
    Kavrel::Platform::StartedProcess StartDetached(const std::vector<std::string>& arguments) override
    {
        starts.push_back(arguments);
        return {};
    }
    std::vector<std::vector<std::string>> starts;
};

class RestartTest : public ::testing::Test
{
protected:
    RestartTest() : previous(Kavrel::Platform::SetProcessStarter(&starter))
    {
        auto product = Kavrel::Test::MakeProduct();
        product->folderName = "Player Temp";
        app.SetCustomizationManager(product);
    }
    ~RestartTest() override { Kavrel::Platform::SetProcessStarter(previous); }

    QStringList RecordedIds() const
    {
        QSettings records(trackerFile, QSettings::IniFormat);
        return records.allKeys();
    }

    static inline int argc = 1;
    static inline char name[] = "RestartTests";
    static inline char* argv[] = {name, nullptr};
    Application app{argc, argv};
    // Where the tracker wrote, learnt before the product's names change the
    // data location.
    const QString trackerFile = Kavrel::App::CrashTracker::TrackerFilePath();
    RecordingStarter starter;
    Kavrel::Platform::ProcessStarter* previous;
};

TEST_F(RestartTest, startsTheQuotedExecutableWithTheArgumentsAsGivenThenQuits)
{
    const std::string executable = QCoreApplication::applicationFilePath().toStdString();
    EXPECT_EQ(Kavrel::App::RestartCommandLine(QString()),
              QStringLiteral("\"%1\"").arg(QCoreApplication::applicationFilePath()));
    QSignalSpy quitting(&app, &QCoreApplication::aboutToQuit);
    QTimer::singleShot(
        0,
        [] { Kavrel::App::RestartApplication(false, QPixmap(), QStringLiteral("--open \"a b.mp3\" -x")); });
    app.exec();
    EXPECT_EQ(quitting.count(), 1);
    ASSERT_EQ(starter.starts.size(), 1u);
    EXPECT_EQ(starter.starts[0], (std::vector<std::string>{executable, "--open", "a b.mp3", "-x"}));
    EXPECT_TRUE(RecordedIds().isEmpty()) << "the records go before the new instance starts";

    app.NeedToRestart();
    ASSERT_EQ(starter.starts.size(), 2u);
    EXPECT_EQ(starter.starts[1], std::vector<std::string>{executable});
}

TEST_F(RestartTest, cancellingTheQuestionChangesNothing)
{
    ASSERT_FALSE(RecordedIds().isEmpty());
    QTimer::singleShot(0,
                       []
                       {
                           if (auto* box =
                                   qobject_cast<Kavrel::App::AlertBox*>(QApplication::activeModalWidget()))
                           {
                               EXPECT_EQ(box->windowTitle(), QStringLiteral("Attention"));
                               box->button(QMessageBox::Cancel)->click();
                           }
                       });
    QPixmap icon(8, 8);
    icon.fill(Qt::blue);
    Kavrel::App::RestartApplication(true, icon, QString());
    EXPECT_TRUE(starter.starts.empty());
    EXPECT_FALSE(RecordedIds().isEmpty());
}

TEST_F(RestartTest, temporaryFolderIsMadeOnDemandAndClearedOfOldFiles)
{
    const QString folder = app.GetApplicationTemporaryFilesDir();
    EXPECT_EQ(folder, QDir::tempPath() + QStringLiteral("/Player Temp/temp/"));
    EXPECT_TRUE(QDir(folder).exists());
    QFile fresh(folder + QStringLiteral("fresh.tmp")), stale(folder + QStringLiteral("stale.tmp"));
    ASSERT_TRUE(fresh.open(QIODevice::WriteOnly) && stale.open(QIODevice::WriteOnly));
    ASSERT_TRUE(
        stale.setFileTime(QDateTime::currentDateTime().addDays(-(Application::DAYS_TO_FILE_EXPIRE + 1)),
                          QFileDevice::FileModificationTime));
    fresh.close();
    stale.close();
    app.ClearApplicationTemporaryFiles(Application::DAYS_TO_FILE_EXPIRE);
    EXPECT_TRUE(QFile::exists(fresh.fileName()));
    EXPECT_FALSE(QFile::exists(stale.fileName()));
    app.ClearApplicationTemporaryFiles(0);
    EXPECT_FALSE(QFile::exists(fresh.fileName()));
    EXPECT_TRUE(QDir(folder).exists());
}

TEST(RealRestart, theNewInstanceFindsNoCrash)
{
    QTemporaryDir folder;
    const QString report = folder.filePath(QStringLiteral("report"));
    // A stale record of an instance that died: without the clearing it would
    // be reported by the restarted instance.
    Kavrel::Test::ProbeProcess first(Kavrel::Test::FreshEnvironment(folder));
    ASSERT_TRUE(first.Start({QStringLiteral("wait")}, QStringLiteral("ready")));
    ASSERT_TRUE(first.Kill());

    Kavrel::Test::ProbeProcess restarting(Kavrel::Test::FreshEnvironment(folder));
    ASSERT_TRUE(restarting.Run({QStringLiteral("restart"), report}));
    EXPECT_EQ(restarting.Value(QStringLiteral("crash")), QStringLiteral("1"));
    ASSERT_TRUE(Kavrel::Test::WaitFor([&] { return QFile(report).size() > 0; }));
    QFile result(report);
    ASSERT_TRUE(result.open(QIODevice::ReadOnly));
    EXPECT_EQ(result.readAll(), QByteArray("crash=0\n"));
}
} // namespace
