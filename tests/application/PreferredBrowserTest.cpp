#include "TestEnvironment.h"
#include "TestProduct.h"

#include <Kavrel/App/Application/Application.h>
#include <Kavrel/App/Application/ICustomizationManager.h>
#include <Kavrel/App/Application/LookAndFeelManager.h>
#include <Kavrel/App/Application/PreferredBrowser.h>
#include <Kavrel/App/Application/SettingsManager.h>
#include <Kavrel/App/Application/URLHandler.h>
#include <Kavrel/Platform/ProcessStarter.h>

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

#include <boost/make_shared.hpp>
#include <gtest/gtest.h>

using Kavrel::App::Application;

namespace
{
class BrowserTest : public ::testing::Test
{
protected:
    BrowserTest()
    {
        app.SetCustomizationManager(Kavrel::Test::MakeProduct());
        app.SetProductSettingsManager(store);
        app.SetLookAndFeel(lookAndFeel);
    }
    ~BrowserTest() override
    {
        for (QProcess* process : running)
        {
            process->kill();
            process->waitForFinished();
            delete process;
        }
    }

    // Runs a copy of a harmless program under a browser's name.
    QString RunAs(const QString& name)
    {
        const QString path = folder.filePath(name);
        EXPECT_TRUE(QFile::copy(QStringLiteral("/bin/sleep"), path));
        auto* process = new QProcess;
        process->start(path, {QStringLiteral("60")});
        EXPECT_TRUE(process->waitForStarted());
        running << process;
        return path;
    }

    std::string Detect(const std::string& locale)
    {
        lookAndFeel->SetLocale(locale);
        return Kavrel::App::PreferredBrowser().DetectBrowserPath().toStdString();
    }

    static inline int argc = 1;
    static inline char name[] = "PreferredBrowserTests";
    static inline char* argv[] = {name, nullptr};
    Application app{argc, argv};
    QTemporaryDir folder;
    boost::shared_ptr<Kavrel::App::ISettingsManager> store = boost::make_shared<Kavrel::App::SettingsManager>(
        folder.filePath(QStringLiteral("product.ini")), QSettings::IniFormat);
    boost::shared_ptr<Kavrel::App::LookAndFeelManager> lookAndFeel =
        boost::make_shared<Kavrel::App::LookAndFeelManager>(folder.path().toStdString(), "theme.json",
                                                            std::list<std::string>{});
    QList<QProcess*> running;
};

// One test for all detection: browsers started by parallel tests would
// otherwise be seen here too.
TEST_F(BrowserTest, detectionFollowsTheRecordedBrowserThenTheLanguagesPriorities)
{
    EXPECT_EQ(Detect("en_US"), "") << "nothing runs, nothing is recorded";

    const std::string firefox = RunAs(QStringLiteral("firefox-esr")).toStdString();
    const std::string chromium = RunAs(QStringLiteral("chromium")).toStdString();
    ASSERT_TRUE(Kavrel::Test::WaitFor(
        [&]
        {
            return Kavrel::App::GetCurrentProcessMap([](const QString& n)
                                                     { return n == QLatin1String("chrome.exe"); })
                       .count(QStringLiteral("chrome.exe")) == 1;
        }));
    EXPECT_EQ(Detect("de_DE"), firefox);
    EXPECT_EQ(Detect("en_US"), chromium);
    EXPECT_EQ(Detect("xx_XX"), chromium) << "a language without a table uses the default one";

    // The browser the installer recorded wins while it runs.
    app.GetInstallerSettings("")->SetString("Browser", "firefox.exe");
    EXPECT_EQ(Detect("en_US"), firefox);
    app.GetInstallerSettings("")->SetString("Browser", "Firefox.exe");
    EXPECT_EQ(Detect("en_US"), chromium) << "recorded names match in lower case only";
}

TEST_F(BrowserTest, aStoredPathThatExistsIsUsedAndADetectionIsStoredEvenWhenEmpty)
{
    const QString stored = folder.filePath(QStringLiteral("my-browser"));
    QFile(stored).open(QIODevice::WriteOnly);
    store->SetString("PreferredBrowser", stored.toStdString());
    Kavrel::App::PreferredBrowser browser;
    EXPECT_EQ(browser.GetBrowserPath(), stored);

    QFile::remove(stored); // gone: the next use detects again, and stores the result
    const QString detected = browser.GetBrowserPath();
    EXPECT_EQ(store->GetString("PreferredBrowser", "<absent>"), detected.toStdString());
    EXPECT_TRUE(store->Contains("PreferredBrowser"));
}

TEST(BrowserTables, userAgentsMatchTheRememberedBrowsersNameExactly)
{
    struct Fixed : Kavrel::App::PreferredBrowser
    {
        explicit Fixed(QString path) : path(std::move(path)) {}
        QString DetectBrowserPath() const override { return path; }
        QString path;
    };
    const auto agent = [](const QString& path)
    {
        Fixed browser(path);
        browser.RefreshBrowserPath();
        return browser.GetUserAgent();
    };
    const QString yandex = Kavrel::App::BrowserUserAgents.begin()->second;
    EXPECT_EQ(Kavrel::App::BrowserUserAgents.begin()->first, QStringLiteral("browser.exe"));
    EXPECT_TRUE(agent(QStringLiteral("C:/Programs/chrome.exe")).contains(QStringLiteral("Chrome/41")));
    EXPECT_TRUE(
        agent(QStringLiteral("/usr/lib/firefox-esr/firefox-esr")).contains(QStringLiteral("Firefox/40.1")));
    EXPECT_EQ(agent(QStringLiteral("C:/Programs/Chrome.exe")), yandex);
    EXPECT_EQ(agent(QString()), yandex);
    EXPECT_EQ(Kavrel::App::NormalizedExecutableName(QStringLiteral("Google-Chrome-Stable")),
              QStringLiteral("chrome.exe"));
    EXPECT_EQ(Kavrel::App::NormalizedExecutableName(QStringLiteral("vlc")), QStringLiteral("vlc"));
}

TEST(BrowserLookUp, findsAnInstalledBrowserOnThePathOrInADesktopEntry)
{
    QTemporaryDir folder;
    QDir(folder.path()).mkpath(QStringLiteral("bin"));
    QDir(folder.path()).mkpath(QStringLiteral("data/applications"));
    QDir(folder.path()).mkpath(QStringLiteral("opt"));
    const QString onPath = folder.filePath(QStringLiteral("bin/firefox"));
    const QString elsewhere = folder.filePath(QStringLiteral("opt/opera"));
    for (const QString& program : {onPath, elsewhere})
    {
        QFile file(program);
        file.open(QIODevice::WriteOnly);
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    QFile entry(folder.filePath(QStringLiteral("data/applications/opera.desktop")));
    entry.open(QIODevice::WriteOnly);
    entry.write("[Desktop Entry]\nName=Opera\nExec=\"" + elsewhere.toUtf8() + "\" %U\n");
    entry.close();
    const QByteArray path = qgetenv("PATH"), data = qgetenv("XDG_DATA_HOME");
    qputenv("PATH", folder.filePath(QStringLiteral("bin")).toUtf8());
    qputenv("XDG_DATA_HOME", folder.filePath(QStringLiteral("data")).toUtf8());
    qputenv("XDG_DATA_DIRS", folder.filePath(QStringLiteral("none")).toUtf8());

    EXPECT_EQ(Kavrel::App::FindInMuiCache(QStringLiteral("firefox.exe")), onPath);
    EXPECT_EQ(Kavrel::App::FindInMuiCache(QStringLiteral("opera.exe")), elsewhere);
    EXPECT_EQ(Kavrel::App::FindInMuiCache(QStringLiteral("chrome.exe")), QString());
    EXPECT_EQ(Kavrel::App::FindInMuiCache(QString()), QString());
    qputenv("PATH", path);
    qputenv("XDG_DATA_HOME", data);
}

class RecordingStarter : public Kavrel::Platform::ProcessStarter
{
public:
    Kavrel::Platform::StartedProcess StartDetached(const std::vector<std::string>& arguments) override
    {
        starts.push_back(arguments);
        Kavrel::Platform::StartedProcess result;
        result.started = succeed;
        return result;
    }
    bool succeed = true;
    std::vector<std::vector<std::string>> starts;
};

struct FixedBrowser : Kavrel::App::AbstractPreferredBrowser
{
    QString path;
    QString DetectBrowserPath() const override { return path; }
};

TEST_F(BrowserTest, openedAddressesGoToTheBrowserOrTheEdgeProtocolAndElseTheSystemHandler)
{
    RecordingStarter starter;
    Kavrel::Platform::ProcessStarter* system = Kavrel::Platform::SetProcessStarter(&starter);
    const QUrl url(QStringLiteral("https://help.kavrel.example/Player/de/?q=1"));
    const std::string address = url.toString().toStdString();

    const QString firefox = RunAs(QStringLiteral("firefox"));
    store->SetString("PreferredBrowser", firefox.toStdString()); // remembered from an earlier run
    QDesktopServices::openUrl(url);
    ASSERT_EQ(starter.starts.size(), 1u);
    EXPECT_EQ(starter.starts[0], (std::vector<std::string>{firefox.toStdString(), address}));

    // The remembered file is gone: the stored Edge path takes over.
    const QString edge = folder.filePath(QStringLiteral("MicrosoftEdge"));
    QFile(edge).open(QIODevice::WriteOnly);
    store->SetString("PreferredBrowser", edge.toStdString());
    QFile::remove(firefox);
    QDesktopServices::openUrl(url);
    ASSERT_EQ(starter.starts.size(), 2u);
    EXPECT_EQ(starter.starts[1], (std::vector<std::string>{"start", "microsoft-edge:" + address}));

    // A browser that does not start leaves the address to the system's
    // handler, which does not come back here.
    starter.succeed = false;
    QDesktopServices::openUrl(url);
    EXPECT_EQ(starter.starts.size(), 3u);
    Kavrel::Platform::SetProcessStarter(system);
}

TEST(URLHandlerDirect, aPathWithMicrosoftEdgeOnlyInLowerCaseIsAnOrdinaryBrowser)
{
    RecordingStarter starter;
    Kavrel::Platform::ProcessStarter* system = Kavrel::Platform::SetProcessStarter(&starter);
    QTemporaryDir folder;
    auto browser = boost::make_shared<FixedBrowser>();
    browser->path = folder.filePath(QStringLiteral("microsoftedge"));
    QFile(browser->path).open(QIODevice::WriteOnly);
    Kavrel::App::URLHandler handler(nullptr, browser);
    handler.OpenURLWithPreferredBrowser(QUrl(QStringLiteral("https://a.example/")));
    ASSERT_EQ(starter.starts.size(), 1u);
    EXPECT_EQ(starter.starts[0],
              (std::vector<std::string>{browser->path.toStdString(), "https://a.example/"}));
    Kavrel::Platform::SetProcessStarter(system);
}
} // namespace
