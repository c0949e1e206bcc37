// Installed folders that someone damaged or planted: the manager keeps
// working, loads nothing from outside its resources folder, and says what
// is wrong once.
#include "LogCapture.h"

#include <Kavrel/App/Application/LookAndFeelManager.h>
#include <Kavrel/Localization/LocalizationManager.h>

#include <QCoreApplication>
#include <QFile>
#include <QFontDatabase>
#include <QResource>
#include <QTemporaryDir>

using Kavrel::App::LookAndFeelManager;
namespace fs = std::filesystem;

namespace
{
class LookAndFeelBadInput : public ::testing::Test
{
protected:
    // A path below the installed resources folder app/resources.
    std::string Path(const std::string& relative) const
    {
        return folder.filePath("app/resources/").toStdString() + relative;
    }
    void Write(const std::string& relative, const QByteArray& bytes)
    {
        ASSERT_EQ(fs::file_size(Kavrel::Test::WriteFile(Path(relative), bytes.toStdString())),
                  size_t(bytes.size()));
    }
    // A file of the test data's resources folder, copied to the same place or another.
    void Copy(const std::string& from, const std::string& to = {})
    {
        fs::create_directories(fs::path(Path(to.empty() ? from : to)).parent_path());
        ASSERT_TRUE(fs::copy_file(KAVREL_LAF_DATA "/resources/" + from, Path(to.empty() ? from : to)));
    }
    std::unique_ptr<LookAndFeelManager> Make()
    {
        return std::make_unique<LookAndFeelManager>(folder.filePath("app").toStdString(), "theme.json",
                                                    std::list<std::string>{});
    }

    QTemporaryDir folder;
    Kavrel::Test::LogCapture log;
};

TEST_F(LookAndFeelBadInput, descriptionsTooDeepOrTooLargeLeaveTheThemeWithoutTitles)
{
    Write("themes/deep/theme.json", QByteArray(100000, '[') + QByteArray(100000, ']'));
    Write("themes/large/theme.json", "{\"en_US\": \"" + QByteArray(2 * 1024 * 1024, 'x') + "\"}");
    const auto manager = Make();
    auto themes = manager->GetThemes();
    themes.sort();
    EXPECT_EQ(themes, (std::list<std::string>{"deep", "large"}));
    manager->SetLocale("en_US");
    EXPECT_EQ(manager->GetLocalizedThemeName("deep"), "deep");
    EXPECT_EQ(manager->GetLocalizedThemeName("large"), "large");
    for (const char* theme : {"deep", "large"})
        EXPECT_EQ(log.CountMentioning(std::string("themes/") + theme + "/theme.json] cannot be read"), 1);
}

// A folder counts by its whole name, dots and all.
TEST_F(LookAndFeelBadInput, folderNamesWithDotsAreTakenWhole)
{
    Write("themes/night.v2/theme.json", R"({"en_US": "Night 2"})");
    Write("themes.old/stale/theme.json", R"({"en_US": "Stale"})");
    Write("locales/sr_RS.latin/x.txt", "");
    const auto manager = Make();
    EXPECT_EQ(manager->GetThemes(), std::list<std::string>{"night.v2"});
    EXPECT_EQ(manager->GetLocales(), std::list<std::string>{"sr_RS.latin"});
    manager->SetLocale("en_US");
    EXPECT_EQ(manager->GetLocalizedThemeName("night.v2"), "Night 2");
    manager->SetTheme("night.v2");
    EXPECT_EQ(log.CountMentioning("doesn't exist"), 0);
    manager->SetTheme("");
}

// Only installed names load files: a path that leads out of the resources
// folder, or a folder without a description, loads nothing.
TEST_F(LookAndFeelBadInput, namesThatAreNotInstalledLoadNothingFromAnywhere)
{
    Write("themes/plain/theme.json", R"({"en_US": "Plain"})");
    Copy("themes/dark/dark.rcc", "../../outside/dark.rcc");
    Copy("themes/dark/dark.rcc", "themes/undescribed/dark.rcc");
    Copy("locales/de_DE/app_de_DE.qm", "../../outside/app_de_DE.qm");
    const auto manager = Make();
    const QString outside = folder.filePath("outside");
    for (const std::string& name :
         {outside.toStdString(), std::string("../../../outside"), std::string("undescribed")})
    {
        SCOPED_TRACE(name);
        manager->SetTheme(name);
        EXPECT_EQ(manager->GetCurrentTheme(), name); // accepted as given, as an unknown theme is
        EXPECT_FALSE(QFile::exists(":/dark/style.qss"));
        manager->SetLocale(name);
        EXPECT_EQ(manager->GetCurrentLocale(), name);
        EXPECT_EQ(QCoreApplication::translate("LookAndFeelTest", "Good morning"), "Good morning");
    }
    manager->SetTheme("");
}

// A resource file that is no resource file is reported once, not at every
// switch, and the theme still loads what it can.
TEST_F(LookAndFeelBadInput, aResourceFileThatDoesNotRegisterIsReportedOnce)
{
    Write("themes/broken/theme.json", R"({"en_US": "Broken"})");
    Write("themes/broken/random.rcc", QByteArray(4096, '\x5a'));
    Write("themes/broken/empty.rcc", QByteArray());
    Write("themes/fine/theme.json", R"({"en_US": "Fine"})");
    const auto manager = Make();
    for (int round = 0; round < 3; ++round)
    {
        manager->SetTheme("broken");
        manager->SetTheme("fine");
    }
    EXPECT_EQ(log.CountMentioning("random.rcc] cannot be registered"), 1);
    EXPECT_EQ(log.CountMentioning("empty.rcc] cannot be registered"), 1);
    manager->SetTheme("");
}

// The "core" domain relabels menus after a language switch; it learns a
// product's own themes from their descriptions.
TEST_F(LookAndFeelBadInput, theCoreDomainKnowsTheInstalledThemesTitles)
{
    Write("themes/dusk/theme.json", R"({"en_US": "Dusk", "de_DE": "Abend"})");
    const auto manager = Make();
    const auto core = Kavrel::Core::GetLocalizationManagerForDomain("core");
    manager->SetLocale("de_DE");
    EXPECT_EQ(core->Translate("dusk"), "Abend");
    manager->SetLocale("fr_FR"); // no French title: the English one
    EXPECT_EQ(core->Translate("dusk"), "Dusk");
}

// Fonts were once known by their resource path, so a second theme's
// different font under the same path was never registered.
TEST_F(LookAndFeelBadInput, aThemesOwnFontIsRegisteredEvenWhereAnotherThemeHadOneUnderThatPath)
{
    const auto registered = []
    {
        QStringList families;
        for (int id = 0; id < 64; ++id)
            families << QFontDatabase::applicationFontFamilies(id);
        return families;
    };
    Copy("themes/dark/theme.json");
    Copy("themes/dark/dark.rcc");
    Copy("themes/dark/theme.json", "themes/dusk/theme.json");
    Copy("../alternate/dark.rcc", "themes/dusk/dark.rcc");
    const auto manager = Make();
    manager->SetTheme("dark");
    ASSERT_TRUE(registered().contains("DejaVu Sans"));
    ASSERT_FALSE(registered().contains("WenQuanYi Micro Hei"));
    manager->SetTheme("dusk");
    EXPECT_TRUE(registered().contains("WenQuanYi Micro Hei")) << registered().join(u',').toStdString();
}

// Sheets are UTF-8 text read as a text file reads: a byte-order mark does
// not reach the united sheet, a broken sequence comes out as a replacement
// character, carriage returns are dropped, compressed sheets uncompressed.
TEST_F(LookAndFeelBadInput, sheetsAreTakenAsUtf8Text)
{
    Copy("themes/dark/theme.json", "themes/orphan/theme.json");
    Copy("themes/orphan/orphan.rcc");
    QFile file(KAVREL_LAF_SOURCES "/themes/orphan/orphan/style.qss");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    const QByteArray source = file.readAll();
    ASSERT_TRUE(source.startsWith("\xEF\xBB\xBF") && source.contains('\xFF'));
    const auto manager = Make();
    manager->SetTheme("orphan");
    ASSERT_NE(QResource(":/orphan/style.qss").compressionAlgorithm(), QResource::NoCompression);
    const std::string expected = QString::fromUtf8(source).toStdString() + "\n\n"; // no fonts sheet
    EXPECT_EQ(manager->GetUnitedStylesheet().substr(0, expected.size()), expected);
    EXPECT_NE(expected.find("\xEF\xBF\xBD"), std::string::npos);
}

// Folders are listed again only when they changed: a file added to an
// installed theme or language (its folder stamped a day ago, as installed
// folders are) is found at the next switch to it.
TEST_F(LookAndFeelBadInput, filesAddedToAnInstalledFolderAreFoundAtTheNextSwitch)
{
    Copy("themes/night/theme.json");
    Copy("themes/night/app.rcc");
    Copy("themes/dark/theme.json");
    Copy("locales/de_DE/app_de_DE.qm");
    ASSERT_TRUE(fs::create_directories(Path("locales/ru_RU")));
    for (const char* installed : {"themes/night", "locales/de_DE"})
        fs::last_write_time(Path(installed), fs::file_time_type::clock::now() - std::chrono::hours(24));
    const auto evening = [] { return QCoreApplication::translate("LookAndFeelTest", "Good evening"); };
    const auto manager = Make();
    for (bool added : {false, true})
    {
        manager->SetLocale("de_DE");
        manager->SetTheme("night");
        EXPECT_EQ(QFile::exists(":/extra/style.qss"), added);
        EXPECT_EQ(evening(), added ? "Guten Abend" : "Good evening");
        if (!added)
        {
            Copy("themes/night/extra.rcc");
            Copy("locales/de_DE/extra_de_DE.qm");
        }
        manager->SetLocale("ru_RU");
        manager->SetTheme("dark");
    }
}
} // namespace
