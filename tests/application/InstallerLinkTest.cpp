#include "ProbeProcess.h"
#include "TestApp.h"

#include <Kavrel/App/Application/ProductConstants.h>
#include <Kavrel/Platform/NamedMutex.h>
#include <Kavrel/Util/AppMutexLocker.h>
#include <Kavrel/Util/NativeSettingsPath.h>

#include <QDateTime>
#include <QFileInfo>

using Kavrel::App::Application;

namespace
{
// Each run is a new application object over the same product store file,
// as successive starts of the product would be.
class LaunchTypeTest : public ::testing::Test
{
protected:
    Application::LaunchType Run(const QString& version)
    {
        Kavrel::Test::TestApplication run;
        QCoreApplication::setApplicationVersion(version);
        run.app.SetProductSettingsManager(store);
        const Application::LaunchType type = run.app.GetLaunchType();
        // Asked again in the same process, nothing is computed again, whatever the store says now.
        const std::string stored = Key("Version");
        store->SetString("Version", "changed");
        EXPECT_EQ(run.app.GetLaunchType(), type);
        store->SetString("Version", stored);
        EXPECT_EQ(run.app.IsFirstLauch(),
                  type == Application::FirstLaunch || type == Application::UpdateLaunch);
        return type;
    }
    std::string Key(const char* key) { return store->GetString(key, "<absent>"); }

    QTemporaryDir folder;
    boost::shared_ptr<Kavrel::App::ISettingsManager> store =
        Kavrel::Test::IniStore(folder.filePath("product.ini"));
};

TEST_F(LaunchTypeTest, followsInstallsReinstallsAndUpdatesAcrossRuns)
{
    EXPECT_EQ(Run("2.1.0"), Application::FirstLaunch);
    // The installer wrote no "DateTime".
    EXPECT_EQ(Key("Version") + "|" + Key("IsRun") + "|" + Key("InstallDateTime"), "2-1-0|1|");
    const QDateTime firstStart =
        QDateTime::fromString(QString::fromStdString(Key("DateOfFirstStart")), Qt::TextDate);
    EXPECT_TRUE(firstStart.isValid() && qAbs(firstStart.secsTo(QDateTime::currentDateTime())) <= 60)
        << Key("DateOfFirstStart");
    EXPECT_EQ(Run("2.1.0"), Application::RegularLaunch);

    store->SetString("DateTime", "2026-12-01 10:00");
    EXPECT_EQ(Run("2.1.0"), Application::ReinstallLaunch);
    EXPECT_EQ(Key("InstallDateTime"), "2026-12-01 10:00");
    EXPECT_EQ(Run("2.1.0"), Application::RegularLaunch);

    store->SetString("DateOfFirstStart", "long ago");
    store->SetString("DateTime", "2026-12-05 09:00");
    EXPECT_EQ(Run("2.2"), Application::UpdateLaunch);
    EXPECT_EQ(Key("Version") + "|" + Key("InstallDateTime"), "2-2|2026-12-05 09:00");
    EXPECT_NE(Key("DateOfFirstStart"), "long ago");
    EXPECT_EQ(Run("2.2"), Application::RegularLaunch);
    store->SetString("Version", "2-2 "); // compared exactly
    EXPECT_EQ(Run("2.2"), Application::UpdateLaunch);
}

TEST_F(LaunchTypeTest, installerSettingsOpenTheMachineWideBranchOfTheProduct)
{
    Kavrel::Test::TestApplication test;
    Application& app = test.app;
    test.product->codeName = "CodeName";
    const auto byDefault = app.GetInstallerSettings(""), byName = app.GetInstallerSettings("CodeName");
    EXPECT_NE(byDefault, byName); // a new store per call
    byDefault->SetString("Language", "de_DE");
    EXPECT_EQ(byName->GetString("Language", ""), "de_DE");
    EXPECT_EQ(app.GetInstallerSettings("Other")->GetString("Language", "none"), "none");
    // The branch lives in the system-scope settings folder.
    const QSettings raw(qEnvironmentVariable("XDG_CONFIG_DIRS") + "/Org/CodeName.conf", QSettings::IniFormat);
    EXPECT_EQ(raw.value("Language").toString(), "de_DE");
}

TEST(NamedMutexes, theInstallerCheckAndTheLockerSeeNamesHeldByAnotherProcess)
{
    using Kavrel::Platform::NamedMutex;
    const std::string installerName = Kavrel::App::ProductConstants::InstallerMutexName();
    Kavrel::Test::RecordingStarter starter;
    EXPECT_FALSE(Application::CheckRunnedInstaller());
    EXPECT_TRUE(starter.opened.empty());
    QTemporaryDir home;
    auto installer = std::make_unique<Kavrel::Test::ProbeProcess>(home);
    ASSERT_TRUE(installer->Start({"hold", QString::fromStdString(installerName)}, "held"));
    ASSERT_EQ(installer->Value("held"), "1");
    EXPECT_TRUE(Application::CheckRunnedInstaller());
    // Beside the program, where the installer puts it; never the current folder.
    EXPECT_EQ(starter.opened,
              std::vector<std::string>{Kavrel::Test::TestBinaryFolder() + "/InstallerMessage.vbs"});
    EXPECT_TRUE(Application::CheckRunnedInstaller()) << "asking did not take the mutex away";
    {
        Kavrel::Util::AppMutexLocker free({"free-name"}), mixed({"other-free-name", installerName});
        EXPECT_TRUE(free.TryLockAppMutex());
        EXPECT_TRUE(NamedMutex::IsHeldByAnyone("free-name")) << "taken until the locker goes";
        EXPECT_FALSE(mixed.TryLockAppMutex());
    }
    EXPECT_FALSE(NamedMutex::IsHeldByAnyone("free-name"));
    EXPECT_FALSE(NamedMutex::IsHeldByAnyone("other-free-name"));
    EXPECT_TRUE(NamedMutex::IsHeldByAnyone(installerName));
    installer.reset();
    EXPECT_FALSE(Application::CheckRunnedInstaller());
    EXPECT_EQ(starter.opened.size(), 2u);
}

// Only a real holder counts: whatever else sits at the lock file's path
// (planted by anyone who can write there) reads as "not held".
TEST(NamedMutexes, aLockFileThatCannotBeUsedIsNotAHolder)
{
    const std::string path =
        Kavrel::Platform::NamedMutex::LockFilePath(Kavrel::App::ProductConstants::InstallerMutexName());
    const QString target = QString::fromStdString(Kavrel::Test::IsolatedRoot() + "/elsewhere");
    const std::pair<const char*, std::function<bool()>> plants[] = {
        {"folder", [&] { return QDir().mkpath(QString::fromStdString(path)); }},
        {"link", [&] { return QFile::link(target, QString::fromStdString(path)); }},
        {"pipe", [&] { return ::mkfifo(path.c_str(), 0600) == 0; }},
    };
    Kavrel::Test::RecordingStarter starter;
    for (const auto& [kind, plant] : plants)
    {
        SCOPED_TRACE(kind);
        ASSERT_TRUE(plant());
        EXPECT_FALSE(Application::CheckRunnedInstaller());
        EXPECT_FALSE(QFileInfo::exists(target));
        QDir(QString::fromStdString(path)).removeRecursively();
        QFile::remove(QString::fromStdString(path));
    }
    EXPECT_TRUE(starter.opened.empty());
}

// A process that keeps the application's lock file exclusively costs the
// new instance its mutex, not its start.
TEST(NamedMutexes, anExclusiveHolderOfTheLockFileDoesNotStallTheStart)
{
    QTemporaryDir home;
    const QString lockFile = QString::fromStdString(
        Kavrel::Platform::NamedMutex::LockFilePath(Kavrel::App::ProductConstants::ApplicationMutexName()));
    Kavrel::Test::ProbeProcess hostile(home);
    ASSERT_TRUE(hostile.Start({"grab", lockFile}, "grabbed"));
    ASSERT_EQ(hostile.Value("grabbed"), "1");
    Kavrel::Test::ProbeProcess product(home);
    EXPECT_TRUE(product.Run({"app"}));
}

} // namespace
