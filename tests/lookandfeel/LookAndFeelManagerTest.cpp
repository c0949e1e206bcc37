#include "LogCapture.h"

#include <Kavrel/App/Application/ILookAndFeelObserver.h>
#include <Kavrel/App/Application/LookAndFeelManager.h>
#include <Kavrel/Localization/LocalizationManager.h>

#include <QApplication>
#include <QFontDatabase>
#include <QLocale>
#include <QPixmap>
#include <QPixmapCache>
#include <QTemporaryDir>

#include <set>

using Kavrel::App::LookAndFeelManager;

namespace
{
// The installed-like folder the build compiles from data/.
std::string ResourcePath(const std::string& relative) { return KAVREL_LAF_DATA "/resources/" + relative; }

// A text of the tests' own translations, as a product's tr() sees it.
QString Tr(const char* source) { return QCoreApplication::translate("LookAndFeelTest", source); }

std::string Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString()
                                          : "<unreadable " + path.toStdString() + ">";
}

// A theme's sheet as its source holds it.
std::string Source(const char* relative) { return Read(QString(KAVREL_LAF_SOURCES "/themes/") + relative); }

// The library's compiled-in sheets, read from its sources, as they end every united sheet.
const std::string productDefaults = Read(KAVREL_LIBRARY_RESOURCES "/productStyle.qss") + "\n" +
                                    Read(KAVREL_LIBRARY_RESOURCES "/productStyle_win.qss") + "\n";

using Names = std::set<std::string>;
Names Set(const std::list<std::string>& names) { return Names(names.begin(), names.end()); }

// Records each notification with the process-wide locale seen at that moment.
class RecordingObserver : public Kavrel::App::ILookAndFeelObserver
{
public:
    void OnLocaleChanged(const std::string& locale) override
    {
        events.push_back("locale " + locale + " (service " +
                         Kavrel::Core::GetLocalizationManager()->GetLocale() + ")");
    }
    void OnThemeChanged(const std::string& theme) override { events.push_back("theme " + theme); }
    std::vector<std::string> events;
};

// The user's preferred languages: French (not installed), Russian, German.
// Set before the application object reads them.
[[maybe_unused]] const int preferencesSet = ::setenv("LANGUAGE", "fr_FR:ru_RU:de_DE", 1);

class LookAndFeelManagerTest : public ::testing::Test
{
protected:
    // Resources outlive a manager; unload them so later tests start clean.
    void TearDown() override
    {
        if (manager)
            manager->SetTheme("");
        QLocale::setDefault(QLocale::system());
    }
    // Deliberately not alphabetical names: the order given must win over the folder's.
    LookAndFeelManager& Make(const std::list<std::string>& names = {},
                             const std::string& base = KAVREL_LAF_DATA)
    {
        manager = std::make_unique<LookAndFeelManager>(base, "theme.json", names);
        manager->RegisterObserver(&observer);
        log.lines.clear(); // the damaged description's line; its own test reads it
        return *manager;
    }

    Kavrel::Test::LogCapture log;
    RecordingObserver observer;
    std::unique_ptr<LookAndFeelManager> manager;
};

TEST_F(LookAndFeelManagerTest, findsLocaleFoldersAndOnlyThemesWithADescription)
{
    Make();
    EXPECT_EQ(Set(manager->GetLocales()), (Names{"de_DE", "pt_BR", "ru_RU", "zh_CN"}));
    // "orphan" has resources but no description; "corrupt" has a broken one.
    EXPECT_EQ(Set(manager->GetThemes()), (Names{"corrupt", "dark", "night"}));
    QTemporaryDir empty;
    Make({}, empty.path().toStdString()).SetLocale("unknown");
    EXPECT_TRUE(manager->GetLocales().empty() && manager->GetThemes().empty());
    EXPECT_EQ(observer.events, (std::vector<std::string>{"locale en_US (service en_US)"}));
}

TEST_F(LookAndFeelManagerTest, translationsFollowTheLocaleAndTheServiceIsSetBeforeObservers)
{
    Make().SetLocale("de_DE");
    EXPECT_EQ(Tr("Good morning"), "Guten Morgen");
    EXPECT_EQ(Tr("Good evening"), "Guten Abend"); // every .qm of the folder
    manager->SetLocale("ru_RU");                  // its extra_ru_RU.qm is not a translation: skipped quietly
    EXPECT_EQ(Tr("Good morning"), "Доброе утро");
    EXPECT_EQ(Tr("Good evening"), "Good evening"); // the German ones are gone
    manager->SetLocale("fr_FR");                   // not installed, yet taken as given
    EXPECT_EQ(Tr("Good morning"), "Good morning");
    EXPECT_EQ(observer.events,
              (std::vector<std::string>{"locale de_DE (service de_DE)", "locale ru_RU (service ru_RU)",
                                        "locale fr_FR (service fr_FR)"}));
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(LookAndFeelManagerTest, unknownPicksTheFirstPreferredInstalledLanguageAndAlwaysReloads)
{
    ASSERT_TRUE(QLocale().uiLanguages().value(0).startsWith("fr"));
    Make().SetLocale("unknown");
    manager->SetLocale("unknown"); // the same result is still a full change
    EXPECT_EQ(Tr("Good morning"), "Доброе утро");
    manager->SetLocale("ru_RU"); // a named locale equal to the current one changes nothing
    EXPECT_EQ(observer.events, std::vector<std::string>(2, "locale ru_RU (service ru_RU)"));
    // The user's language maps onto an installed one, with the regional variants shipped.
    for (const QString mapping : {"de_DE de_DE", "pt_PT pt_BR", "pt_BR pt_BR", "zh_TW zh_CN", "zh_HK zh_CN",
                                  "de_AT en_US", "ja_JP en_US", "C en_US"})
    {
        QLocale::setDefault(QLocale(mapping.section(' ', 0, 0)));
        Make().SetLocale("unknown");
        EXPECT_EQ(manager->GetCurrentLocale(), mapping.section(' ', 1).toStdString())
            << mapping.toStdString();
    }
}

TEST_F(LookAndFeelManagerTest, namedFilesLoadInTheGivenOrderAndMissingOnesAreReportedEachTime)
{
    Make({"extra", "app"}).Initialize("de_DE", "night"); // the locale first
    EXPECT_EQ(observer.events, (std::vector<std::string>{"locale de_DE (service de_DE)", "theme night"}));
    EXPECT_EQ(Tr("Shared"), "Geteilt (app)"); // the later file wins
    EXPECT_EQ(Tr("Good evening"), "Guten Abend");
    EXPECT_EQ(manager->GetUnitedStylesheet(), Source("night/extra/style.qss") + "\n\n" +
                                                  Source("night/app/style.qss") + "\n" +
                                                  Source("night/app/fonts_win.qss") + "\n" + productDefaults);
    EXPECT_TRUE(log.lines.empty());
    manager->Initialize("pt_BR", "dark"); // has neither file
    EXPECT_EQ(Tr("Shared"), "Shared");
    EXPECT_EQ(manager->GetUnitedStylesheet(), productDefaults);
    EXPECT_FALSE(QFile::exists(":/dark/style.qss"));
    manager->SetTheme("night"); // unloading "dark" looks for them again
    for (const std::string name : {"extra", "app"})
    {
        EXPECT_EQ(std::count(log.lines.begin(), log.lines.end(),
                             "WARNING: The translation file [" + ResourcePath("locales/pt_BR/") + name +
                                 "_pt_BR.qm] doesn't exist!"),
                  1);
        EXPECT_EQ(std::count(log.lines.begin(), log.lines.end(),
                             "WARNING: The resource file [" + ResourcePath("themes/dark/") + name +
                                 ".rcc] doesn't exist!"),
                  2);
    }
}

TEST_F(LookAndFeelManagerTest, themeResourcesComeAndGoAndTheSheetsJoinInOrder)
{
    Make().SetTheme("dark");
    EXPECT_TRUE(QFile::exists(":/dark/style.qss") && !QPixmap(":/dark/images/logo.svg").isNull());
    EXPECT_EQ(manager->GetUnitedStylesheet(), Source("dark/dark/style.qss") + "\n" +
                                                  Source("dark/dark/fonts_win.qss") + "\n" + productDefaults);
    ASSERT_TRUE(QPixmapCache::insert("probe", QPixmap(4, 4)));
    manager->SetTheme("dark"); // the same theme again keeps everything
    QPixmap cached;
    EXPECT_TRUE(QPixmapCache::find("probe", &cached));

    manager->SetTheme("night");
    EXPECT_TRUE(!QFile::exists(":/dark/style.qss") && QFile::exists(":/app/style.qss") &&
                QFile::exists(":/extra/style.qss"));
    EXPECT_FALSE(QPixmapCache::find("probe", &cached));
    // Both files of the folder, in whatever order the folder lists them.
    const std::string app = Source("night/app/style.qss") + "\n" + Source("night/app/fonts_win.qss") + "\n";
    const std::string extra = Source("night/extra/style.qss") + "\n\n"; // it has no fonts sheet
    const std::string sheet = manager->GetUnitedStylesheet();
    EXPECT_TRUE(sheet == app + extra + productDefaults || sheet == extra + app + productDefaults) << sheet;

    manager->SetTheme(""); // unloads quietly, keeping the sheet
    EXPECT_TRUE(manager->GetCurrentTheme().empty() && !QFile::exists(":/app/style.qss"));
    EXPECT_EQ(manager->GetUnitedStylesheet(), sheet);
    EXPECT_EQ(observer.events, (std::vector<std::string>{"theme dark", "theme night"}));
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(LookAndFeelManagerTest, missingOrBrokenThemesAreReportedAndLeaveAWorkingManager)
{
    Make().SetTheme("ghost");
    const std::string error = "ERROR: The directory [" + ResourcePath("themes/ghost") + "] doesn't exist!";
    EXPECT_EQ(std::count(log.lines.begin(), log.lines.end(), error), 1);
    EXPECT_EQ(manager->GetUnitedStylesheet(), productDefaults);
    manager->SetTheme("corrupt"); // unloading "ghost" looks for its folder again
    EXPECT_EQ(std::count(log.lines.begin(), log.lines.end(), error), 2);
    // corrupt.rcc is plain text: its sheets read as empty.
    EXPECT_EQ(manager->GetUnitedStylesheet(), "\n\n" + productDefaults);
    manager->SetTheme("dark");
    EXPECT_TRUE(QFile::exists(":/dark/style.qss"));
    EXPECT_EQ(observer.events, (std::vector<std::string>{"theme ghost", "theme corrupt", "theme dark"}));
}

TEST_F(LookAndFeelManagerTest, themeTitlesComeFromTheDescriptionOrFallBackToTheNameWithAWarning)
{
    for (const QString row :
         {"en_US dark Midnight", "de_DE dark Mitternacht", "ru_RU dark Полночь", "de_DE night Nacht",
          "ru_RU night night", "de_DE corrupt corrupt", "de_DE orphan orphan", "de_DE ghost ghost"})
    {
        const std::string locale = row.section(' ', 0, 0).toStdString(),
                          theme = row.section(' ', 1, 1).toStdString();
        Make().SetLocale(locale);
        log.Take();
        const std::string title = manager->GetLocalizedThemeName(theme);
        EXPECT_EQ(title, row.section(' ', 2).toStdString());
        EXPECT_EQ(log.Take(), title != theme
                                  ? std::vector<std::string>()
                                  : std::vector<std::string>{"WARNING: No title found for theme [" + theme +
                                                             "] on language [" + locale + "]!"});
    }
}

// Run by a user the permission bits bind: root would read the folders anyway.
TEST(LookAndFeelManagerFolders, unreadableFoldersAreSkipped)
{
    const std::string base = Kavrel::Test::UnprivilegedFolder("laf");
    std::filesystem::copy(KAVREL_LAF_DATA, base, std::filesystem::copy_options::recursive);
    const auto probe = [&] {
        return Kavrel::Test::RunProcess({KAVREL_TEST_HELPER, "laf", base}, {}, true).output;
    };
    EXPECT_EQ(probe(), "locales=4 themes=corrupt,dark,night dark=1 text=Guten Morgen\n");
    for (const char* folder : {"/resources/locales", "/resources/themes/night"})
        ASSERT_EQ(::chmod((base + folder).c_str(), 0), 0);
    EXPECT_EQ(probe(), "locales=0 themes=corrupt,dark dark=1 text=Good morning\n");
}

} // namespace
