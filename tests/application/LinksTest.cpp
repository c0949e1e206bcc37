#include "TestEnvironment.h"
#include "TestProduct.h"

#include <Kavrel/App/Application/Application.h>
#include <Kavrel/App/Application/ICustomizationManager.h>
#include <Kavrel/App/Application/ILinksManager.h>
#include <Kavrel/App/Application/LookAndFeelManager.h>
#include <Kavrel/Links/LinksManager.h>

#include <QDesktopServices>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include <boost/make_shared.hpp>
#include <glog/logging.h>
#include <gtest/gtest.h>

using Kavrel::URLKeys;

namespace
{
boost::shared_ptr<Kavrel::Test::TestProduct> LinksProduct()
{
    auto product = Kavrel::Test::MakeProduct();
    product->versionMajor = "3";
    product->versionMinor = "2";
    return product;
}

class WarningCapture : public google::LogSink
{
public:
    WarningCapture() { google::AddLogSink(this); }
    ~WarningCapture() override { google::RemoveLogSink(this); }
    void send(google::LogSeverity severity, const char*, const char*, int, const google::LogMessageTime&,
              const char* message, size_t length) override
    {
        if (severity == google::GLOG_WARNING)
            warnings.emplace_back(message, length);
    }
    std::vector<std::string> warnings;
};

class UrlRecorder : public QObject
{
    Q_OBJECT
public Q_SLOTS:
    void Open(const QUrl& url) { opened << url; }

public:
    QList<QUrl> opened;
};

class LinksTest : public ::testing::Test
{
protected:
    LinksTest()
    {
        app.SetCustomizationManager(product);
        app.SetLookAndFeel(lookAndFeel);
    }

    Kavrel::App::LinksManager ManagerOver(const QByteArray& table)
    {
        const QString file = folder.filePath(QStringLiteral("links.json"));
        QFile out(file);
        out.open(QIODevice::WriteOnly | QIODevice::Truncate);
        out.write(table);
        out.close();
        return Kavrel::App::LinksManager(product, lookAndFeel, {}, {}, file);
    }

    static inline int argc = 1;
    static inline char name[] = "LinksTests";
    static inline char* argv[] = {name, nullptr};
    Kavrel::App::Application app{argc, argv};
    QTemporaryDir folder;
    boost::shared_ptr<Kavrel::Test::TestProduct> product = LinksProduct();
    boost::shared_ptr<Kavrel::App::LookAndFeelManager> lookAndFeel =
        boost::make_shared<Kavrel::App::LookAndFeelManager>(folder.path().toStdString(), "theme.json",
                                                            std::list<std::string>{});
};

TEST(URLKeyNames, listsEveryKeyInAscendingOrder)
{
    ASSERT_EQ(Kavrel::URLKeyNames.size(), 35u);
    EXPECT_EQ(Kavrel::URLKeyNames.begin()->first, Kavrel::VIDEOBLOCKS_URL_other_import);
    EXPECT_EQ(Kavrel::URLKeyNames.begin()->second, "VIDEOBLOCKS_URL_other_import");
    EXPECT_EQ(Kavrel::URLKeyNames.rbegin()->first, 55);
    EXPECT_EQ(Kavrel::URLKeyNames.rbegin()->second, "CHANGELOG_URL");
    EXPECT_EQ(Kavrel::URLKeyNames.at(Kavrel::CONTACT_SUPPORT_menu), "CONTACT_SUPPORT_menu");
    EXPECT_EQ(Kavrel::URLKeyNames.count(static_cast<URLKeys>(4)), 0u);
}

TEST_F(LinksTest, applicationKeepsOneManagerAndItsAddressesFollowTheLanguage)
{
    const auto manager = app.GetLinksManager();
    EXPECT_EQ(app.GetLinksManager(), manager);

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
    EXPECT_EQ(manager->GetUrl(QStringLiteral("HELP_URL_menu")),
              QStringLiteral("https://help.kavrel.example/Player/ru/"));
    EXPECT_EQ(manager->GetUrl(QStringLiteral("https://elsewhere.example/")),
              QStringLiteral("https://elsewhere.example/"));
}

TEST_F(LinksTest, productEntriesWinAndTheExactLocaleBeatsTheLanguage)
{
    const auto links = ManagerOver(R"({"products": {
        "*": {"HELP_URL_menu": "https://common.example/{lang}", "FAQ_URL_menu": "https://common.example/faq"},
        "Player": {"HELP_URL_menu": {"pt": "https://player.example/pt", "pt_BR": "https://player.example/br",
                                     "*": "https://player.example/{locale}"}}}})");
    lookAndFeel->SetLocale("pt_BR");
    EXPECT_EQ(links.GetUrl(Kavrel::HELP_URL_menu), QStringLiteral("https://player.example/br"));
    lookAndFeel->SetLocale("pt_PT");
    EXPECT_EQ(links.GetUrl(Kavrel::HELP_URL_menu), QStringLiteral("https://player.example/pt"));
    lookAndFeel->SetLocale("fr_FR");
    EXPECT_EQ(links.GetUrl(Kavrel::HELP_URL_menu), QStringLiteral("https://player.example/fr_FR"));
    EXPECT_EQ(links.GetUrl(Kavrel::FAQ_URL_menu), QStringLiteral("https://common.example/faq"));
}

TEST_F(LinksTest, aMissingOrMalformedTableGivesEmptyAddressesAndSaysSo)
{
    for (const QByteArray& table :
         {QByteArray("{\"products\": {\"*\": {\"HELP_URL_menu\": "), QByteArray("[1, 2]")})
    {
        WarningCapture log;
        const auto links = ManagerOver(table);
        EXPECT_TRUE(links.GetUrl(Kavrel::HELP_URL_menu).isEmpty());
        ASSERT_EQ(log.warnings.size(), 1u);
        EXPECT_NE(log.warnings[0].find("is malformed"), std::string::npos) << log.warnings[0];
    }
    WarningCapture log;
    const Kavrel::App::LinksManager links(product, lookAndFeel, {}, {},
                                          folder.filePath(QStringLiteral("none.json")));
    EXPECT_TRUE(links.GetUrl(Kavrel::HELP_URL_menu).isEmpty());
    ASSERT_EQ(log.warnings.size(), 1u);
    EXPECT_NE(log.warnings[0].find("cannot be opened"), std::string::npos);
}

TEST_F(LinksTest, openingAKeyHandsItsAddressToTheDesktop)
{
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "Open");
    app.GetLinksManager()->OpenUrl(Kavrel::HELP_URL_menu);
    app.GetLinksManager()->OpenUrl(Kavrel::GOOGLE_PLUS_URL_menu); // no link: nothing opens
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    ASSERT_EQ(recorder.opened.size(), 1);
    EXPECT_EQ(recorder.opened[0], QUrl(QStringLiteral("https://help.kavrel.example/Player/en/")));
}
} // namespace

#include "LinksTest.moc"
