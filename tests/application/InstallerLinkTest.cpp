#include "ProbeProcess.h"
#include "TestProduct.h"

#include <Kavrel/App/Application/Application.h>
#include <Kavrel/App/Application/ICustomizationManager.h>
#include <Kavrel/App/Application/ProductConstants.h>
#include <Kavrel/App/Application/SettingsManager.h>
#include <Kavrel/Platform/NamedMutex.h>
#include <Kavrel/Platform/ProcessStarter.h>
#include <Kavrel/Util/AppMutexLocker.h>
#include <Kavrel/Util/NativeSettingsPath.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <functional>
#include <sys/stat.h>

#include <boost/make_shared.hpp>
#include <gtest/gtest.h>

using Kavrel::App::Application;

namespace
{
boost::shared_ptr<Kavrel::Test::TestProduct> InstallerProduct()
{
    auto product = Kavrel::Test::MakeProduct();
    product->versionMajor = "2";
    product->versionMinor = "1.0";
    product->codeName = "CodeName";
    return product;
}

class CountingApplication : public Application
{
public:
    using Application::Application;
    LaunchType CheckFirstLaunch() const override
    {
        ++checks;
        return Application::CheckFirstLaunch();
    }
    mutable int checks = 0;
};

// Each run is a new application object over the same product store file,
// as successive starts of the product would be.
class LaunchTypeTest : public ::testing::Test
{
protected:
    Application::LaunchType Run(const QString& version)
    {
        CountingApplication app(argc, argv);
        app.SetCustomizationManager(InstallerProduct());
        QCoreApplication::setApplicationVersion(version);
        app.SetProductSettingsManager(store);
        const Application::LaunchType type = app.GetLaunchType();
        // Asked again in the same process, nothing is computed again.
        EXPECT_EQ(app.GetLaunchType(), type);
        EXPECT_EQ(app.IsFirstLauch(), type == Application::FirstLaunch || type == Application::UpdateLaunch);
        EXPECT_EQ(app.checks, 1);
        return type;
    }
    std::string Key(const char* key) { return store->GetString(key, "<absent>"); }

    static inline int argc = 1;
    static inline char name[] = "InstallerLinkTests";
    static inline char* argv[] = {name, nullptr};
    QTemporaryDir folder;
    boost::shared_ptr<Kavrel::App::ISettingsManager> store = boost::make_shared<Kavrel::App::SettingsManager>(
        folder.filePath(QStringLiteral("product.ini")), QSettings::IniFormat);
};

TEST_F(LaunchTypeTest, followsInstallsReinstallsAndUpdatesAcrossRuns)
{
    EXPECT_EQ(Run(QStringLiteral("2.1.0")), Application::FirstLaunch);
    EXPECT_EQ(Key("Version"), "2-1-0");
    EXPECT_EQ(Key("IsRun"), "1");
    EXPECT_EQ(Key("InstallDateTime"), ""); // the installer wrote no "DateTime"
    const QDateTime firstStart =
        QDateTime::fromString(QString::fromStdString(Key("DateOfFirstStart")), Qt::TextDate);
    EXPECT_TRUE(firstStart.isValid());
    EXPECT_LE(qAbs(firstStart.secsTo(QDateTime::currentDateTime())), 60);

    EXPECT_EQ(Run(QStringLiteral("2.1.0")), Application::RegularLaunch);

    store->SetString("DateTime", "2026-12-01 10:00");
    EXPECT_EQ(Run(QStringLiteral("2.1.0")), Application::ReinstallLaunch);
    EXPECT_EQ(Key("InstallDateTime"), "2026-12-01 10:00");
    EXPECT_EQ(Run(QStringLiteral("2.1.0")), Application::RegularLaunch);

    store->SetString("DateOfFirstStart", "long ago");
    store->SetString("DateTime", "2026-12-05 09:00");
    EXPECT_EQ(Run(QStringLiteral("2.2")), Application::UpdateLaunch);
    EXPECT_EQ(Key("Version"), "2-2");
    EXPECT_NE(Key("DateOfFirstStart"), "long ago");
    EXPECT_EQ(Key("InstallDateTime"), "2026-12-05 09:00");
    EXPECT_EQ(Run(QStringLiteral("2.2")), Application::RegularLaunch);
}

TEST_F(LaunchTypeTest, storedVersionIsComparedExactly)
{
    store->SetString("Version", "2-1-0 ");
    store->SetString("DateOfFirstStart", "earlier");
    EXPECT_EQ(Run(QStringLiteral("2.1.0")), Application::UpdateLaunch);
}

TEST_F(LaunchTypeTest, installerSettingsOpenTheMachineWideBranchOfTheProduct)
{
    CountingApplication app(argc, argv);
    app.SetCustomizationManager(InstallerProduct());
    const auto byDefault = app.GetInstallerSettings("");
    const auto byName = app.GetInstallerSettings("CodeName");
    EXPECT_NE(byDefault, byName); // a new store per call
    byDefault->SetString("Language", "de_DE");
    EXPECT_EQ(byName->GetString("Language", ""), "de_DE");
    EXPECT_EQ(app.GetInstallerSettings("Other")->GetString("Language", "none"), "none");

    // The branch lives in the system-scope settings folder.
    const QString expected = qEnvironmentVariable("XDG_CONFIG_DIRS") + QStringLiteral("/Org/CodeName.conf");
    QSettings raw(expected, QSettings::IniFormat);
    EXPECT_EQ(raw.value(QStringLiteral("Language")).toString(), QStringLiteral("de_DE"));
}

class RecordingStarter : public Kavrel::Platform::ProcessStarter
{
public:
    Kavrel::Platform::StartedProcess OpenDocument(const std::string& path) override
    {
        opened.push_back(path);
        return {};
    }
    std::vector<std::string> opened;
};

TEST(CheckRunnedInstaller, tellsWhetherTheInstallerHoldsItsMutex)
{
    RecordingStarter starter;
    Kavrel::Platform::ProcessStarter* previous = Kavrel::Platform::SetProcessStarter(&starter);
    EXPECT_FALSE(Application::CheckRunnedInstaller());
    EXPECT_TRUE(starter.opened.empty());

    QTemporaryDir folder;
    {
        Kavrel::Test::ProbeProcess installer(Kavrel::Test::FreshEnvironment(folder));
        ASSERT_TRUE(
            installer.Start({QStringLiteral("hold"),
                             QString::fromStdString(Kavrel::App::ProductConstants::InstallerMutexName())},
                            QStringLiteral("held")));
        ASSERT_EQ(installer.Value(QStringLiteral("held")), QStringLiteral("1"));
        EXPECT_TRUE(Application::CheckRunnedInstaller());
        // Beside the program, where the installer puts it; never the current folder.
        EXPECT_EQ(starter.opened,
                  std::vector<std::string>{Kavrel::Test::TestBinaryFolder() + "/InstallerMessage.vbs"});
        // Asking did not take the mutex away from the installer.
        EXPECT_TRUE(Application::CheckRunnedInstaller());
        ASSERT_TRUE(installer.Kill());
    }
    EXPECT_FALSE(Application::CheckRunnedInstaller());
    EXPECT_EQ(starter.opened.size(), 2u);
    Kavrel::Platform::SetProcessStarter(previous);
}
} // namespace

namespace
{
TEST(AppMutexLocker, TakesTheFreeNamesAndReportsTheOnesHeldElsewhere)
{
    using Kavrel::Platform::NamedMutex;
    QTemporaryDir folder;
    Kavrel::Test::ProbeProcess holder(Kavrel::Test::FreshEnvironment(folder));
    ASSERT_TRUE(
        holder.Start({QStringLiteral("hold"), QStringLiteral("held-elsewhere")}, QStringLiteral("held")));
    {
        Kavrel::Util::AppMutexLocker free({"free-name"});
        EXPECT_TRUE(free.TryLockAppMutex());
        EXPECT_TRUE(NamedMutex::IsHeldByAnyone("free-name")) << "taken until the locker goes";

        Kavrel::Util::AppMutexLocker mixed({"other-free-name", "held-elsewhere"});
        EXPECT_FALSE(mixed.TryLockAppMutex());
    }
    EXPECT_FALSE(NamedMutex::IsHeldByAnyone("free-name"));
    EXPECT_FALSE(NamedMutex::IsHeldByAnyone("other-free-name"));
    EXPECT_TRUE(NamedMutex::IsHeldByAnyone("held-elsewhere"));
}

// Only a real holder counts: whatever else sits at the lock file's path
// (planted by anyone who can write there) reads as "not held".
TEST(AppMutexLocker, ALockFileThatCannotBeUsedIsNotAHolder)
{
    const std::string name = Kavrel::App::ProductConstants::InstallerMutexName();
    const std::string path = Kavrel::Platform::NamedMutex::LockFilePath(name);
    const QString target = QString::fromStdString(Kavrel::Test::IsolatedRoot() + "/elsewhere");
    const std::vector<std::pair<const char*, std::function<bool()>>> plants = {
        {"folder", [&] { return QDir().mkpath(QString::fromStdString(path)); }},
        {"link", [&] { return QFile::link(target, QString::fromStdString(path)); }},
        {"pipe", [&] { return ::mkfifo(path.c_str(), 0600) == 0; }},
    };
    RecordingStarter starter;
    Kavrel::Platform::ProcessStarter* previous = Kavrel::Platform::SetProcessStarter(&starter);
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
    Kavrel::Platform::SetProcessStarter(previous);
}

// A process that keeps the application's lock file exclusively costs the
// new instance its mutex, not its start.
TEST(ApplicationMutex, AnExclusiveHolderDoesNotStallTheStart)
{
    QTemporaryDir folder;
    const QString lockFile = QString::fromStdString(
        Kavrel::Platform::NamedMutex::LockFilePath(Kavrel::App::ProductConstants::ApplicationMutexName()));
    Kavrel::Test::ProbeProcess hostile(Kavrel::Test::FreshEnvironment(folder));
    ASSERT_TRUE(hostile.Start({QStringLiteral("grab"), lockFile}, QStringLiteral("grabbed")));
    ASSERT_EQ(hostile.Value(QStringLiteral("grabbed")), QStringLiteral("1"));
    Kavrel::Test::ProbeProcess product(Kavrel::Test::FreshEnvironment(folder));
    EXPECT_TRUE(product.Run({QStringLiteral("quit")}));
    EXPECT_FALSE(product.Value(QStringLiteral("pid")).isEmpty());
}

TEST(NativeSettingsPath, RegistryBranchesMapToTheMatchingScopesSettingsFile)
{
    const QString system = qEnvironmentVariable("XDG_CONFIG_DIRS").split(QLatin1Char(':')).first();
    const QString user = qEnvironmentVariable("XDG_CONFIG_HOME");
    using Kavrel::Util::NativeSettingsPath;
    EXPECT_EQ(NativeSettingsPath(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Org\\Продукт")),
              system + QStringLiteral("/Org/Продукт.conf"));
    EXPECT_EQ(NativeSettingsPath(QStringLiteral("HKEY_CURRENT_USER\\Software\\Org\\Product\\Sub")),
              user + QStringLiteral("/Org/Product/Sub.conf"));
    for (const QString& unchanged :
         {QStringLiteral("/tmp/plain.ini"), QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE"),
          QStringLiteral("HKEY_CLASSES_ROOT\\Org\\Product")})
        EXPECT_EQ(NativeSettingsPath(unchanged), unchanged);
}
} // namespace
