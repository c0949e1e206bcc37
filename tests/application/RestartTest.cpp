#include "DialogTestSupport.h"
#include "ProbeProcess.h"

#include <Kavrel/App/Application/RestartApplication.h>

using Kavrel::App::Application;

namespace
{
class RestartTest : public Kavrel::Test::AppTest
{
protected:
    bool Recorded() const { return !QSettings(trackerFile, QSettings::IniFormat).allKeys().isEmpty(); }
    Kavrel::Test::RecordingStarter starter;
};

TEST_F(RestartTest, startsTheQuotedExecutableWithTheArgumentsAsGivenThenQuits)
{
    const QString executable = QCoreApplication::applicationFilePath();
    bool recordedAtStart = true;
    starter.onStart = [&] { recordedAtStart = Recorded(); };
    QTimer::singleShot(0, [] { Kavrel::App::RestartApplication(false, QPixmap(), "--open \"a b.mp3\" -x"); });
    app.exec(); // returns once the restart has quit the application
    EXPECT_FALSE(recordedAtStart) << "the records go before the new instance starts";
    app.NeedToRestart();
    EXPECT_EQ(starter.starts,
              (std::vector<std::vector<std::string>>{{executable.toStdString(), "--open", "a b.mp3", "-x"},
                                                     {executable.toStdString()}}));
}

TEST_F(RestartTest, cancellingTheQuestionChangesNothing)
{
    ASSERT_TRUE(Recorded());
    QPixmap icon(8, 8), shown;
    icon.fill(Qt::blue);
    QString title;
    Kavrel::Test::DialogWatcher<QMessageBox> watcher(
        [&](QMessageBox* box)
        {
            title = box->windowTitle();
            shown = box->iconPixmap();
            box->button(QMessageBox::Cancel)->click();
        });
    Kavrel::App::RestartApplication(true, icon, QString());
    EXPECT_EQ(title, "Attention");
    EXPECT_EQ(shown.toImage(), icon.toImage());
    EXPECT_TRUE(starter.starts.empty());
    EXPECT_TRUE(Recorded());
}

TEST_F(RestartTest, temporaryFolderIsMadeOnDemandAndClearedOfOldFiles)
{
    namespace fs = std::filesystem;
    product->folderName = "Player Temp";
    const QString folder = app.GetApplicationTemporaryFilesDir();
    EXPECT_TRUE(folder == QDir::tempPath() + "/Player Temp/temp/" && QDir(folder).exists());
    const std::string fresh = Kavrel::Test::WriteFile((folder + "fresh.tmp").toStdString(), ""),
                      stale = Kavrel::Test::WriteFile((folder + "stale.tmp").toStdString(), "");
    fs::last_write_time(stale, fs::file_time_type::clock::now() -
                                   std::chrono::hours(24 * (Application::DAYS_TO_FILE_EXPIRE + 1)));
    app.ClearApplicationTemporaryFiles(Application::DAYS_TO_FILE_EXPIRE);
    EXPECT_TRUE(fs::exists(fresh) && !fs::exists(stale));
    app.ClearApplicationTemporaryFiles(0);
    EXPECT_TRUE(!fs::exists(fresh) && QDir(folder).exists());
}

TEST(RealRestart, theNewInstanceFindsNoCrash)
{
    QTemporaryDir home;
    const QString report = home.filePath("report");
    // A stale record of an instance that died: without the clearing the
    // restarted instance would report it.
    ASSERT_TRUE(Kavrel::Test::ProbeProcess(home).Start({"app"}));
    Kavrel::Test::ProbeProcess restarting(home);
    ASSERT_TRUE(restarting.Run({"app", "restart", report}));
    EXPECT_EQ(restarting.Value("crash"), "1");
    QFile result(report);
    ASSERT_TRUE(Kavrel::Test::WaitFor([&] { return result.size() > 0; }));
    ASSERT_TRUE(result.open(QIODevice::ReadOnly));
    EXPECT_EQ(result.readAll(), "crash=0\n");
}
} // namespace
