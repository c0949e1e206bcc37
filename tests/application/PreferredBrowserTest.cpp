#include "LogCapture.h"
#include "TestApp.h"

#include <Kavrel/App/Application/PreferredBrowser.h>
#include <Kavrel/Platform/ProcessList.h>

#include <QDesktopServices>
#include <QUrl>

#include <list>

namespace
{
// Whether Qt's own opener got the address: on the offscreen platform it
// only warns, naming it.
bool ReachedTheSystem(Kavrel::Test::LogCapture& log, const QUrl& url)
{
    for (const std::string& line : log.Take())
        if (line.find("openUrl") != std::string::npos &&
            line.find(url.toString().toStdString()) != std::string::npos)
            return true;
    return false;
}

class BrowserTest : public Kavrel::Test::AppTest
{
protected:
    // The process table is the test's own: a browser running on the machine
    // must not change what is detected.
    BrowserTest() : previousLister(Kavrel::Platform::SetExecutableLister([this] { return running; }))
    {
        app.SetProductSettingsManager(store);
        app.SetLookAndFeel(lookAndFeel);
    }
    ~BrowserTest() override { Kavrel::Platform::SetExecutableLister(previousLister); }

    // An executable under a browser's name, listed as running until the test ends.
    std::string RunAs(const QString& name)
    {
        running.push_back(Kavrel::Test::WriteFile(folder.filePath(name).toStdString(), ""));
        return running.back();
    }
    std::string Detect(const std::string& locale)
    {
        lookAndFeel->SetLocale(locale);
        return Kavrel::App::PreferredBrowser().DetectBrowserPath().toStdString();
    }

    boost::shared_ptr<Kavrel::App::ISettingsManager> store =
        Kavrel::Test::IniStore(folder.filePath("product.ini"));
    boost::shared_ptr<Kavrel::App::LookAndFeelManager> lookAndFeel =
        boost::make_shared<Kavrel::App::LookAndFeelManager>(folder.path().toStdString(), "theme.json",
                                                            std::list<std::string>{});
    std::vector<std::string> running;
    Kavrel::Platform::ExecutableLister previousLister;
};

TEST_F(BrowserTest, detectionFollowsTheRecordedBrowserThenTheLanguagesPriorities)
{
    EXPECT_EQ(Detect("en_US"), "") << "nothing runs, nothing is recorded";
    Kavrel::Test::RecordingStarter starter;
    Kavrel::Test::LogCapture log;
    QDesktopServices::openUrl(QUrl("https://help.kavrel.example/"));
    EXPECT_TRUE(starter.starts.empty());
    EXPECT_TRUE(ReachedTheSystem(log, QUrl("https://help.kavrel.example/"))) << "without a browser";

    const std::string firefox = RunAs("firefox-esr"), chromium = RunAs("chromium");
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
    const std::string stored = Kavrel::Test::WriteFile(folder.filePath("my-browser").toStdString(), "");
    store->SetString("PreferredBrowser", stored);
    Kavrel::App::PreferredBrowser browser;
    EXPECT_EQ(browser.GetBrowserPath().toStdString(), stored);
    std::filesystem::remove(stored); // gone: the next use detects again, and stores the result
    const std::string detected = browser.GetBrowserPath().toStdString();
    EXPECT_EQ(store->GetString("PreferredBrowser", "<absent>"), detected);
}

TEST_F(BrowserTest, webAddressesGoToTheBrowserOrTheEdgeProtocolElseToTheSystem)
{
    Kavrel::Test::RecordingStarter starter;
    Kavrel::Test::LogCapture log;
    const QUrl http("http://help.kavrel.example/Player/de/?q=1"), https("https://help.kavrel.example/");
    QString previous;
    // Remembers a new browser and removes the last one's file, so that the stored path is taken again.
    const auto use = [&](const QString& name)
    {
        QFile::remove(previous);
        previous = QString::fromStdString(Kavrel::Test::WriteFile(folder.filePath(name).toStdString(), ""));
        store->SetString("PreferredBrowser", previous.toStdString());
        return previous.toStdString();
    };
    const std::string firefox = use("firefox");
    QDesktopServices::openUrl(http);
    QDesktopServices::openUrl(https);
    use("MicrosoftEdge");
    QDesktopServices::openUrl(https);
    const std::string lowerCaseEdge = use("microsoftedge"); // an ordinary browser
    QDesktopServices::openUrl(https);
    const std::string address = https.toString().toStdString();
    EXPECT_EQ(starter.starts, (std::vector<std::vector<std::string>>{{firefox, http.toString().toStdString()},
                                                                     {firefox, address},
                                                                     {"start", "microsoft-edge:" + address},
                                                                     {lowerCaseEdge, address}}));
    EXPECT_FALSE(ReachedTheSystem(log, https));

    starter.succeed = false; // a browser that does not start leaves the address to the system
    QDesktopServices::openUrl(https);
    EXPECT_EQ(starter.starts.size(), 5u);
    EXPECT_TRUE(ReachedTheSystem(log, https));
}

} // namespace
