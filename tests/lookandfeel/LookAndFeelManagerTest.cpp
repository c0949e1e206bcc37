#include <Kavrel/App/Application/ILookAndFeelObserver.h>
#include <Kavrel/App/Application/LookAndFeelManager.h>
#include <Kavrel/Localization/LocalizationManager.h>

#include <QApplication>
#include <QFontDatabase>
#include <QLocale>
#include <QPixmap>
#include <QPixmapCache>
#include <QTemporaryDir>

#include <glog/logging.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using Kavrel::App::LookAndFeelManager;

namespace
{
// The installed-like folder the build compiles from data/.
std::string ResourcePath(const std::string& relative) { return KAVREL_LAF_DATA "/resources/" + relative; }

// A text of the tests' own translations, as a product's tr() sees it.
QString Tr(const char* source) { return QCoreApplication::translate("LookAndFeelTest", source); }

std::string ReadText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString()
                                          : "<unreadable " + path.toStdString() + ">";
}

std::list<std::string> Sorted(std::list<std::string> names)
{
    names.sort();
    return names;
}

class LogCapture : public google::LogSink
{
public:
    LogCapture() { google::AddLogSink(this); }
    ~LogCapture() override { google::RemoveLogSink(this); }
    void send(google::LogSeverity severity, const char*, const char*, int, const google::LogMessageTime&,
              const char* message, size_t length) override
    {
        lines.push_back(std::string(google::GetLogSeverityName(severity)) + ": " +
                        std::string(message, length));
    }
    int Count(const std::string& line) const
    {
        return static_cast<int>(std::count(lines.begin(), lines.end(), line));
    }
    std::vector<std::string> lines;
};

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
const bool preferencesSet = (::setenv("LANGUAGE", "fr_FR:ru_RU:de_DE", 1) == 0);

// Deliberately not alphabetical: the order given must win over the folder's.
const std::list<std::string> NAMED{"extra", "app"};

std::string Source(const char* relative)
{
    return ReadText(QStringLiteral(KAVREL_LAF_SOURCES "/themes/") + relative);
}

// The library's compiled-in sheets, read from its sources.
std::string ProductDefaults()
{
    return ReadText(QStringLiteral(KAVREL_LIBRARY_RESOURCES "/productStyle.qss")) + "\n" +
           ReadText(QStringLiteral(KAVREL_LIBRARY_RESOURCES "/productStyle_win.qss")) + "\n";
}

bool Exists(const char* resource) { return QFile::exists(QString::fromLatin1(resource)); }

int ApplicationFontsOf(const QString& family)
{
    int count = 0;
    for (int id = 0; id < 256; ++id)
        count += QFontDatabase::applicationFontFamilies(id).contains(family) ? 1 : 0;
    return count;
}

// Counts the language changes the application announces while it lives.
struct LanguageChangeCounter : QObject
{
    LanguageChangeCounter() { qApp->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        count += watched == qApp && event->type() == QEvent::LanguageChange ? 1 : 0;
        return false;
    }
    int count = 0;
};

class LookAndFeelManagerTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(preferencesSet); }
    // Resources outlive a manager; unload them so later tests start clean.
    void TearDown() override
    {
        if (manager)
            manager->SetTheme("");
        QLocale::setDefault(QLocale::system());
    }
    LookAndFeelManager& Make(const std::list<std::string>& names = {},
                             const std::string& base = KAVREL_LAF_DATA)
    {
        manager = std::make_unique<LookAndFeelManager>(base, "theme.json", names);
        manager->RegisterObserver(&observer);
        log.lines.clear(); // the damaged description's line; its own test reads it
        return *manager;
    }

    LogCapture log;
    RecordingObserver observer;
    std::unique_ptr<LookAndFeelManager> manager;
};

TEST_F(LookAndFeelManagerTest, findsLocaleFoldersAndOnlyThemesWithADescription)
{
    Make();
    EXPECT_EQ(Sorted(manager->GetLocales()), (std::list<std::string>{"de_DE", "pt_BR", "ru_RU", "zh_CN"}));
    // "orphan" has resources but no description; "corrupt" has a broken one.
    EXPECT_EQ(Sorted(manager->GetThemes()), (std::list<std::string>{"corrupt", "dark", "night"}));

    QTemporaryDir empty;
    Make({}, empty.path().toStdString()).SetLocale("unknown");
    EXPECT_TRUE(manager->GetLocales().empty() && manager->GetThemes().empty());
    EXPECT_EQ(observer.events, (std::vector<std::string>{"locale en_US (service en_US)"}));
}

TEST_F(LookAndFeelManagerTest, translationsFollowTheLocaleAndTheServiceIsSetBeforeObservers)
{
    Make().SetLocale("de_DE");
    EXPECT_EQ(Tr("Good morning"), QStringLiteral("Guten Morgen"));
    EXPECT_EQ(Tr("Good evening"), QStringLiteral("Guten Abend")); // every .qm of the folder
    manager->SetLocale("ru_RU"); // its extra_ru_RU.qm is not a translation: skipped quietly
    EXPECT_EQ(Tr("Good morning"), QStringLiteral("Доброе утро"));
    EXPECT_EQ(Tr("Good evening"), QStringLiteral("Good evening")); // the German ones are gone
    manager->SetLocale("fr_FR");                                   // not installed, yet taken as given
    EXPECT_EQ(Tr("Good morning"), QStringLiteral("Good morning"));
    EXPECT_EQ(observer.events,
              (std::vector<std::string>{"locale de_DE (service de_DE)", "locale ru_RU (service ru_RU)",
                                        "locale fr_FR (service fr_FR)"}));
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(LookAndFeelManagerTest, unknownPicksTheFirstPreferredInstalledLanguageAndAlwaysReloads)
{
    ASSERT_TRUE(QLocale().uiLanguages().value(0).startsWith(QLatin1String("fr")));
    Make().SetLocale("unknown");
    EXPECT_EQ(manager->GetCurrentLocale(), "ru_RU");
    LanguageChangeCounter changes;
    manager->SetLocale("unknown"); // the same result is still a full change
    EXPECT_GT(changes.count, 0);
    EXPECT_EQ(Tr("Good morning"), QStringLiteral("Доброе утро"));

    changes.count = 0;
    manager->SetLocale("ru_RU"); // a named locale equal to the current one changes nothing
    EXPECT_EQ(changes.count, 0);
    EXPECT_EQ(observer.events, std::vector<std::string>(2, "locale ru_RU (service ru_RU)"));
}

TEST_F(LookAndFeelManagerTest, namedTranslationsLoadInTheGivenOrderAndMissingOnesAreReported)
{
    Make(NAMED).SetLocale("de_DE");
    EXPECT_EQ(Tr("Shared"), QStringLiteral("Geteilt (app)")); // the later file wins
    EXPECT_EQ(Tr("Good evening"), QStringLiteral("Guten Abend"));

    manager->SetLocale("pt_BR");
    const std::string folder = ResourcePath("locales/pt_BR/");
    EXPECT_EQ(log.lines, (std::vector<std::string>{
                             "WARNING: The translation file [" + folder + "extra_pt_BR.qm] doesn't exist!",
                             "WARNING: The translation file [" + folder + "app_pt_BR.qm] doesn't exist!"}));
    EXPECT_EQ(Tr("Shared"), QStringLiteral("Shared"));
    EXPECT_EQ(observer.events.back(), "locale pt_BR (service pt_BR)");
}

struct Preference
{
    const char* userLocale;
    const char* chosen;
};

class UnknownLocaleTest : public LookAndFeelManagerTest, public ::testing::WithParamInterface<Preference>
{
};

TEST_P(UnknownLocaleTest, mapsTheUserLanguageOntoAnInstalledOne)
{
    QLocale::setDefault(QLocale(QLatin1String(GetParam().userLocale)));
    Make().SetLocale("unknown");
    EXPECT_EQ(manager->GetCurrentLocale(), GetParam().chosen);
}

INSTANTIATE_TEST_SUITE_P(Preferences, UnknownLocaleTest,
                         ::testing::Values(Preference{"de_DE", "de_DE"}, Preference{"pt_PT", "pt_BR"},
                                           Preference{"pt_BR", "pt_BR"}, Preference{"zh_TW", "zh_CN"},
                                           Preference{"zh_HK", "zh_CN"}, Preference{"de_AT", "en_US"},
                                           Preference{"ja_JP", "en_US"}, Preference{"C", "en_US"}),
                         [](const auto& info)
                         { return std::string(info.param.userLocale) + "_becomes_" + info.param.chosen; });

TEST_F(LookAndFeelManagerTest, themeResourcesComeAndGoAndTheSheetsJoinInOrder)
{
    Make().SetTheme("dark");
    EXPECT_TRUE(Exists(":/dark/style.qss"));
    EXPECT_FALSE(QPixmap(QStringLiteral(":/dark/images/logo.svg")).isNull());
    EXPECT_EQ(manager->GetUnitedStylesheet(), Source("dark/dark/style.qss") + "\n" +
                                                  Source("dark/dark/fonts_win.qss") + "\n" +
                                                  ProductDefaults());
    ASSERT_TRUE(QPixmapCache::insert(QStringLiteral("probe"), QPixmap(4, 4)));

    manager->SetTheme("night");
    EXPECT_FALSE(Exists(":/dark/style.qss"));
    EXPECT_TRUE(Exists(":/app/style.qss") && Exists(":/extra/style.qss"));
    QPixmap cached;
    EXPECT_FALSE(QPixmapCache::find(QStringLiteral("probe"), &cached));
    // Both files of the folder, in whatever order the folder lists them.
    const std::string app = Source("night/app/style.qss") + "\n" + Source("night/app/fonts_win.qss") + "\n";
    const std::string extra = Source("night/extra/style.qss") + "\n\n"; // it has no fonts sheet
    const std::string sheet = manager->GetUnitedStylesheet();
    EXPECT_TRUE(sheet == app + extra + ProductDefaults() || sheet == extra + app + ProductDefaults())
        << sheet;
    EXPECT_EQ(observer.events, (std::vector<std::string>{"theme dark", "theme night"}));
}

// Each load hands the manifest's fonts to the font database, so a theme's
// fonts come back with it even after the application dropped its own fonts.
TEST_F(LookAndFeelManagerTest, registersTheManifestFontsEachTimeTheThemeLoads)
{
    const QString family = QStringLiteral("DejaVu Sans");
    QFontDatabase::removeAllApplicationFonts();
    Make().SetTheme("dark"); // two entries separated by assorted white space
    EXPECT_EQ(ApplicationFontsOf(family), 2);
    manager->SetTheme("night"); // names fonts that are not there
    EXPECT_EQ(ApplicationFontsOf(family), 2);

    QFontDatabase::removeAllApplicationFonts();
    manager->SetTheme("dark");
    EXPECT_EQ(ApplicationFontsOf(family), 2);
}

TEST_F(LookAndFeelManagerTest, namedResourcesLoadInTheGivenOrderAndMissingOnesAreReportedEachTime)
{
    Make(NAMED).SetTheme("night");
    EXPECT_EQ(manager->GetUnitedStylesheet(),
              Source("night/extra/style.qss") + "\n\n" + Source("night/app/style.qss") + "\n" +
                  Source("night/app/fonts_win.qss") + "\n" + ProductDefaults());
    EXPECT_TRUE(log.lines.empty());

    manager->SetTheme("dark"); // has neither file
    EXPECT_EQ(manager->GetUnitedStylesheet(), ProductDefaults());
    EXPECT_FALSE(Exists(":/dark/style.qss"));
    manager->SetTheme("night"); // unloading "dark" looks for them again
    for (const char* name : {"extra", "app"})
        EXPECT_EQ(log.Count("WARNING: The resource file [" + ResourcePath("themes/dark/") + name +
                            ".rcc] doesn't exist!"),
                  2)
            << name;
}

TEST_F(LookAndFeelManagerTest, emptyThemeUnloadsQuietlyAndTheSameThemeAgainKeepsEverything)
{
    Make().SetTheme("dark");
    ASSERT_TRUE(QPixmapCache::insert(QStringLiteral("probe"), QPixmap(4, 4)));
    manager->SetTheme("dark");
    QPixmap cached;
    EXPECT_TRUE(QPixmapCache::find(QStringLiteral("probe"), &cached));

    const std::string sheet = manager->GetUnitedStylesheet();
    manager->SetTheme("");
    EXPECT_EQ(manager->GetCurrentTheme(), "");
    EXPECT_FALSE(Exists(":/dark/style.qss"));
    EXPECT_EQ(manager->GetUnitedStylesheet(), sheet);
    manager->SetTheme("dark");
    EXPECT_TRUE(Exists(":/dark/style.qss"));
    EXPECT_EQ(observer.events, (std::vector<std::string>{"theme dark", "theme dark"}));
}

TEST_F(LookAndFeelManagerTest, missingOrBrokenThemesAreReportedAndLeaveAWorkingManager)
{
    Make().SetTheme("ghost");
    const std::string error = "ERROR: The directory [" + ResourcePath("themes/ghost") + "] doesn't exist!";
    EXPECT_EQ(log.Count(error), 1);
    EXPECT_EQ(manager->GetUnitedStylesheet(), ProductDefaults());
    manager->SetTheme("corrupt"); // unloading "ghost" looks for its folder again
    EXPECT_EQ(log.Count(error), 2);
    // corrupt.rcc is plain text: its sheets read as empty.
    EXPECT_EQ(manager->GetUnitedStylesheet(), "\n\n" + ProductDefaults());
    manager->SetTheme("dark");
    EXPECT_TRUE(Exists(":/dark/style.qss"));
    EXPECT_EQ(observer.events, (std::vector<std::string>{"theme ghost", "theme corrupt", "theme dark"}));
}

TEST_F(LookAndFeelManagerTest, initializeSetsTheLocaleThenTheThemeAndUnregisteredObserversHearNothing)
{
    Make().Initialize("de_DE", "dark");
    EXPECT_EQ(observer.events, (std::vector<std::string>{"locale de_DE (service de_DE)", "theme dark"}));
    manager->UnregisterObserver(&observer);
    manager->Initialize("ru_RU", "night");
    EXPECT_EQ(observer.events.size(), 2u);
}

struct Title
{
    const char* locale;
    const char* theme;
    const char* expected;
};

class ThemeTitleTest : public LookAndFeelManagerTest, public ::testing::WithParamInterface<Title>
{
};

TEST_P(ThemeTitleTest, comesFromTheDescriptionOrFallsBackToTheName)
{
    Make().SetLocale(GetParam().locale);
    log.lines.clear();
    EXPECT_EQ(manager->GetLocalizedThemeName(GetParam().theme), GetParam().expected);
    const std::string warning = std::string("WARNING: No title found for theme [") + GetParam().theme +
                                "] on language [" + GetParam().locale + "]!";
    EXPECT_EQ(log.Count(warning), GetParam().theme == std::string(GetParam().expected) ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Descriptions, ThemeTitleTest,
    ::testing::Values(Title{"en_US", "dark", "Midnight"}, Title{"de_DE", "dark", "Mitternacht"},
                      Title{"ru_RU", "dark", "Полночь"}, Title{"de_DE", "night", "Nacht"},
                      Title{"ru_RU", "night", "night"}, Title{"de_DE", "corrupt", "corrupt"},
                      Title{"de_DE", "orphan", "orphan"}, Title{"de_DE", "ghost", "ghost"}),
    [](const auto& info) { return std::string(info.param.theme) + "_in_" + info.param.locale; });

// Folders the process may not read are skipped (root reads them anyway).
TEST_F(LookAndFeelManagerTest, unreadableFoldersAreSkipped)
{
    QTemporaryDir copy;
    const std::string base = copy.path().toStdString();
    std::filesystem::copy(KAVREL_LAF_DATA, base, std::filesystem::copy_options::recursive);
    const std::string locales = base + "/resources/locales", night = base + "/resources/themes/night";
    struct Restore
    {
        std::vector<std::string> folders;
        ~Restore()
        {
            for (const std::string& folder : folders)
                ::chmod(folder.c_str(), 0755);
        }
    } restore{{locales, night}};
    ::chmod(locales.c_str(), 0);
    ::chmod(night.c_str(), 0);
    const bool denied = ::access(locales.c_str(), R_OK) != 0;

    Make({}, base);
    EXPECT_EQ(manager->GetLocales().empty(), denied);
    EXPECT_EQ(Sorted(manager->GetThemes()), denied ? (std::list<std::string>{"corrupt", "dark"})
                                                   : (std::list<std::string>{"corrupt", "dark", "night"}));
    manager->Initialize("de_DE", "night");
    manager->SetTheme("dark");
    EXPECT_TRUE(Exists(":/dark/style.qss"));
    EXPECT_EQ(Tr("Good morning"), denied ? QStringLiteral("Good morning") : QStringLiteral("Guten Morgen"));
    manager->SetTheme(""); // while its folder still exists
}

} // namespace
