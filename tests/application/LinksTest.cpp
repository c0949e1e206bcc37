#include "LogCapture.h"
#include "TestApp.h"

#include <Kavrel/App/Application/ILinksManager.h>
#include <Kavrel/Links/LinksManager.h>

#include <QDesktopServices>
#include <QUrl>

namespace
{
class UrlRecorder : public QObject
{
    Q_OBJECT
public Q_SLOTS:
    void Open(const QUrl& url) { opened << url; }

public:
    QList<QUrl> opened;
};

class LinksTest : public Kavrel::Test::AppTest
{
protected:
    LinksTest()
    {
        product->versionMajor = "3";
        product->versionMinor = "2";
        app.SetLookAndFeel(lookAndFeel);
    }

    boost::shared_ptr<Kavrel::App::LookAndFeelManager> lookAndFeel =
        boost::make_shared<Kavrel::App::LookAndFeelManager>(folder.path().toStdString(), "theme.json",
                                                            std::list<std::string>{});
};

// Opening a key hands its address to the desktop.
TEST_F(LinksTest, applicationKeepsOneManagerThatOpensAddressesFollowingTheLanguage)
{
    const auto manager = app.GetLinksManager();
    EXPECT_EQ(app.GetLinksManager(), manager);
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler("https", &recorder, "Open");
    manager->OpenUrl(Kavrel::HELP_URL_menu);
    manager->OpenUrl(Kavrel::GOOGLE_PLUS_URL_menu); // no link: nothing opens
    QDesktopServices::unsetUrlHandler("https");
    EXPECT_EQ(recorder.opened, QList<QUrl>{QUrl("https://help.kavrel.example/Player/en/")});

    lookAndFeel->SetLocale("de_DE");
    EXPECT_EQ(app.GetUrl(Kavrel::FAQ_URL_menu), "https://www.kavrel.example/de/haeufige-fragen/");
    EXPECT_EQ(app.GetUrl(Kavrel::HELP_URL_menu), "https://help.kavrel.example/Player/de/");
    EXPECT_EQ(app.GetUrl(Kavrel::CONTACT_SUPPORT_menu),
              "https://support.kavrel.example/de/contact/?product=Player&version=3.2");
    EXPECT_EQ(app.GetUrl(Kavrel::VKONTAKTE_URL_menu), "") << "no such page for this language";

    lookAndFeel->SetLocale("ru_RU");
    const std::string russian = app.GetUrl(Kavrel::FAQ_URL_menu);
    EXPECT_EQ(russian, "https://www.kavrel.example/ru/частые-вопросы/");
    EXPECT_EQ(QString::fromStdString(russian), manager->GetUrl(Kavrel::FAQ_URL_menu)) << "survives UTF-8";
    EXPECT_EQ(app.GetUrl(Kavrel::VKONTAKTE_URL_menu), "https://social.kavrel.example/vk/");
    EXPECT_EQ(app.GetUrl(Kavrel::GOOGLE_PLUS_URL_menu), "") << "a key without a link";
    EXPECT_EQ(manager->GetUrl("HELP_URL_menu"), "https://help.kavrel.example/Player/ru/");
    EXPECT_EQ(manager->GetUrl("https://elsewhere.example/"), "https://elsewhere.example/");
}

TEST_F(LinksTest, productEntriesWinAndTheExactLocaleBeatsTheLanguage)
{
    const Kavrel::App::LinksManager links(product, lookAndFeel, {}, {},
                                          QString::fromStdString(Kavrel::Test::WriteFile(
                                              folder.filePath("links.json").toStdString(), R"({"products": {
        "*": {"HELP_URL_menu": "https://common.example/{lang}", "FAQ_URL_menu": "https://common.example/faq"},
        "Player": {"HELP_URL_menu": {"pt": "https://player.example/pt", "pt_BR": "https://player.example/br",
                                     "*": "https://player.example/{locale}"}}}})")));
    for (const auto& [locale, help] :
         {std::pair("pt_BR", "br"), std::pair("pt_PT", "pt"), std::pair("fr_FR", "fr_FR")})
    {
        lookAndFeel->SetLocale(locale);
        EXPECT_EQ(links.GetUrl(Kavrel::HELP_URL_menu), QString("https://player.example/") + help);
    }
    EXPECT_EQ(links.GetUrl(Kavrel::FAQ_URL_menu), "https://common.example/faq");
}

TEST(LinkTableBadInput, aTableTooDeepOrTooLargeGivesEmptyAddressesAndSaysSo)
{
    QTemporaryDir folder;
    const std::pair<const char*, QByteArray> tables[] = {
        {"deep.json", QByteArray(100000, '[') + QByteArray(100000, ']')},
        {"large.json", "{\"products\": {\"*\": {\"HELP_URL_menu\": \"https://x.example/" +
                           QByteArray(5 * 1024 * 1024, 'a') + "\"}}}"},
    };
    Kavrel::Test::LogCapture log;
    for (const auto& [name, bytes] : tables)
    {
        SCOPED_TRACE(name);
        QFile file(folder.filePath(QLatin1String(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        const Kavrel::App::LinksManager links({}, {}, {}, {}, file.fileName());
        EXPECT_EQ(links.GetUrl(Kavrel::HELP_URL_menu), QString());
        EXPECT_EQ(log.CountMentioning(std::string(name) + "]"), 1);
    }
}
} // namespace

#include "LinksTest.moc"
