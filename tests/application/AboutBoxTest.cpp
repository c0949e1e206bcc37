// The about window: its picture per language, its texts and links, and how
// clicks on links and elsewhere are told apart.
#include "DialogTestSupport.h"

#include <Kavrel/App/Application/AboutBoxDialog.h>

#include <QClipboard>
#include <QDate>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QToolTip>

using Kavrel::App::AboutBoxDialog;

namespace
{
// A product that has its own address for the custom about link.
class AboutApplication : public Kavrel::App::Application
{
public:
    using Application::Application;
    std::string customUrl;
    std::string GetUrl(const Kavrel::URLKeys& key) const override
    {
        return key == Kavrel::CUSTOM_ABOUT_URL ? customUrl : Application::GetUrl(key);
    }
};

class AboutBoxTest : public ::testing::Test
{
protected:
    AboutBoxTest()
    {
        product->organization = "Kavrel";
        product->supportEmail = "mailto:support@kavrel.example";
        app.SetCustomizationManager(product);
        app.SetLookAndFeel(lookAndFeel);
    }

    std::unique_ptr<AboutBoxDialog> Dialog(bool companyCopyright = true)
    {
        return std::make_unique<AboutBoxDialog>("Kavrel Player 3.2", "https://www.kavrel.example/",
                                                companyCopyright);
    }

    static QString Text(const AboutBoxDialog& dialog, const char* label)
    {
        return dialog.findChild<QLabel*>(QLatin1String(label))->text();
    }

    Kavrel::Test::CommandLine commandLine;
    AboutApplication app{commandLine.argc, commandLine.argv.data()};
    QTemporaryDir folder;
    boost::shared_ptr<Kavrel::Test::TestProduct> product = Kavrel::Test::MakeProduct();
    boost::shared_ptr<Kavrel::App::LookAndFeelManager> lookAndFeel =
        boost::make_shared<Kavrel::App::LookAndFeelManager>(folder.path().toStdString(), "theme.json",
                                                            std::list<std::string>{});
};

TEST_F(AboutBoxTest, eachLanguageWithAPictureShowsIt)
{
    for (const char* locale : {"de_DE", "en_US", "es_ES", "fr_FR", "it_IT", "ja_JP", "ko_KR", "nl_NL",
                               "pl_PL", "pt_BR", "ru_RU", "tr_TR", "zh_CN", "zh_TW", "pt_PT"})
    {
        lookAndFeel->SetLocale(locale);
        const QString path = QString(":/About/about_%1.png").arg(QLatin1String(locale));
        const auto dialog = Dialog();
        EXPECT_EQ(dialog->findChild<QWidget*>("topPlaceHolder")->styleSheet(),
                  QString("background-image: url(%1);").arg(path));
        const bool drawn = std::string(locale) != "zh_TW" && std::string(locale) != "pt_PT";
        EXPECT_EQ(QImage(path).size(), drawn ? QSize(454, 220) : QSize(0, 0)) << locale;
    }
}

TEST_F(AboutBoxTest, showsVersionLinksAndTheOrganisationsCopyright)
{
    const auto dialog = Dialog();
    EXPECT_EQ(Text(*dialog, "applicationVersionLabel"), "Kavrel Player 3.2");
    EXPECT_EQ(Text(*dialog, "homePageLabel"),
              QStringLiteral("<a href=\"https://www.kavrel.example/\">Visit homepage</a>"));
    EXPECT_EQ(Text(*dialog, "mailToLabel"),
              QStringLiteral("<a href=\"mailto:support@kavrel.example\">support@kavrel.example</a>"));
    EXPECT_EQ(Text(*dialog, "copyrightLabel"),
              QString("Copyright © %1 Kavrel").arg(QDate::currentDate().year()));
    dialog->show();
    EXPECT_TRUE(dialog->findChild<QLabel*>("rightsLabel")->isVisible());
    // Give or take the 2-pixel frame that the offscreen platform adds even to popups.
    const QPoint offCentre =
        dialog->geometry().center() - QGuiApplication::primaryScreen()->geometry().center();
    EXPECT_LE(offCentre.manhattanLength(), 4);

    const auto anonymous = Dialog(false);
    anonymous->show();
    EXPECT_FALSE(anonymous->findChild<QLabel*>("copyrightLabel")->isVisible());
    EXPECT_FALSE(anonymous->findChild<QLabel*>("rightsLabel")->isVisible());

    product->supportEmail.clear();
    EXPECT_EQ(Text(*Dialog(), "mailToLabel"), QStringLiteral("<a href=\"\"></a>"));
}

TEST_F(AboutBoxTest, customLinkNeedsBothCaptionAndAddress)
{
    struct Case
    {
        std::string caption, url;
        bool shown;
    };
    for (const Case& c : {Case{"", "https://partner.example/", false}, Case{"Partner", "", false},
                          Case{"Partner", "https://partner.example/", true}})
    {
        product->aboutCaption = c.caption;
        app.customUrl = c.url;
        const auto dialog = Dialog();
        dialog->show();
        const auto* custom = dialog->findChild<QLabel*>("customURL");
        EXPECT_EQ(custom->isVisible(), c.shown) << c.caption << " " << c.url;
        if (c.shown)
        {
            EXPECT_EQ(custom->text(), QStringLiteral("<a href=\"https://partner.example/\">Partner</a>"));
        }
    }
}

class AboutBoxClicks : public AboutBoxTest, public ::testing::WithParamInterface<const char*>
{
};

TEST_P(AboutBoxClicks, theAddressGoesToTheClipboardAndAClickOutsideTheLinksCloses)
{
    QGuiApplication::clipboard()->clear();
    QPointer<AboutBoxDialog> opened;
    bool openAfterLink = false;
    bool closedByClick = false;
    Kavrel::Test::DialogWatcher<AboutBoxDialog> watcher(
        [&](AboutBoxDialog* dialog)
        {
            opened = dialog;
            EXPECT_TRUE(QTest::qWaitForWindowActive(dialog)) << "as the user sees it before clicking";
            auto* mail = dialog->findChild<QLabel*>("mailToLabel");
            QTest::mouseClick(mail, Qt::LeftButton, Qt::NoModifier, QPoint(3, mail->height() / 2));
            openAfterLink = dialog->isVisible();
            EXPECT_TRUE(Kavrel::Test::WaitFor(
                [] { return QToolTip::text() == "Email address has been copied to the clipboard"; }));
            // Left part of the widget: where a hidden label would still claim the click.
            auto* target = dialog->findChild<QWidget*>(QLatin1String(GetParam()));
            QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, QPoint(5, target->height() / 2));
            closedByClick = !dialog->isVisible();
        });
    AboutBoxDialog::ShowAbout("Kavrel Player 3.2", "https://www.kavrel.example/", true);
    EXPECT_TRUE(watcher.Seen());
    EXPECT_TRUE(openAfterLink);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "support@kavrel.example");
    EXPECT_TRUE(closedByClick);
    EXPECT_TRUE(opened.isNull()) << "deleted once closed";
}

INSTANTIATE_TEST_SUITE_P(Outside, AboutBoxClicks,
                         ::testing::Values("topPlaceHolder", "applicationVersionLabel", "copyrightLabel"));
} // namespace
