#include <Kavrel/App/Application/LookAndFeelHandler.h>
#include <Kavrel/App/Application/LookAndFeelManager.h>
#include <Kavrel/Localization/LocalizationManager.h>

#include <QAction>
#include <QMenu>
#include <QSignalSpy>

#include <boost/make_shared.hpp>
#include <gtest/gtest.h>

using Kavrel::App::ILookAndFeelObserver;
using Kavrel::App::LookAndFeelHandler;

Q_DECLARE_METATYPE(std::string)

namespace
{
// Records what the handler asks for and, like the real manager, sets the
// process-wide locale and tells observers.
class RecordingManager : public Kavrel::App::ILookAndFeelManager
{
public:
    void Initialize(const std::string& l, const std::string& t) override { SetLocale(l), SetTheme(t); }
    const std::string& GetCurrentLocale() const override { return locale; }
    const std::list<std::string>& GetLocales() const override { return locales; }
    const std::list<std::string>& GetThemes() const override { return themes; }
    void SetLocale(const std::string& l) override
    {
        calls.push_back("SetLocale " + l);
        Kavrel::Core::GetLocalizationManager()->SetLocale(locale = l);
        for (ILookAndFeelObserver* observer : observers)
            observer->OnLocaleChanged(l);
    }
    void SetTheme(const std::string& t) override
    {
        calls.push_back("SetTheme " + t);
        for (ILookAndFeelObserver* observer : observers)
            observer->OnThemeChanged(theme = t);
    }
    const std::string& GetCurrentTheme() const override { return theme; }
    std::string GetLocalizedThemeName(const std::string& t) const override { return "Title of " + t; }
    std::string GetUnitedStylesheet() override { return {}; }
    std::string GetDefaultLocale() override { return "unknown"; }
    void RegisterObserver(ILookAndFeelObserver* observer) override { observers.push_back(observer); }
    void UnregisterObserver(ILookAndFeelObserver* observer) override { observers.remove(observer); }

    std::list<std::string> locales{"en_US", "de_DE", "ru_RU"}, themes{"dark", "light"};
    std::string locale, theme;
    std::vector<std::string> calls;
    std::list<ILookAndFeelObserver*> observers;
};

QAction* Entry(QMenu& menu, const std::string& name)
{
    for (QAction* action : menu.actions())
        if (action->data().toString() == QString::fromStdString(name))
            return action;
    return nullptr;
}

// The menu as its user sees it: "[x]" marks the checked entry, "[ ]" other
// checkable ones, "---" a separator.
std::string Describe(QMenu& menu)
{
    QStringList items;
    for (QAction* action : menu.actions())
        items << (action->isSeparator()   ? QStringLiteral("---")
                  : action->isCheckable() ? (action->isChecked() ? "[x]" : "[ ]") + action->text()
                                          : action->text());
    return items.join('|').toStdString();
}

class LookAndFeelHandlerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Kavrel::Core::GetLocalizationManager()->SetLocale("en_US");
        handler.SetLocaleList(manager->locales);
        handler.SetThemeList(manager->themes);
    }

    boost::shared_ptr<RecordingManager> manager = boost::make_shared<RecordingManager>();
    QMenu locales, themes;
    LookAndFeelHandler handler{manager, &locales, &themes, nullptr};
    const int stringType = qRegisterMetaType<std::string>(); // before the spies
    QSignalSpy localeChanged{&handler, &LookAndFeelHandler::LocaleChanged};
    QSignalSpy themeChanged{&handler, &LookAndFeelHandler::ThemeChanged};
    QSignalSpy moreLanguages{&handler, &LookAndFeelHandler::MoreLanguagesClicked};
};

TEST_F(LookAndFeelHandlerTest, menusListEveryNameUncheckedUntilSelected)
{
    EXPECT_EQ(Describe(locales), "[ ]English|[ ]Deutsch|[ ]Русский|---|More Languages...");
    EXPECT_EQ(Describe(themes), "[ ]Title of dark|[ ]Title of light");
    EXPECT_EQ(manager->observers, std::list<ILookAndFeelObserver*>{&handler});

    handler.SelectLocale("de_DE");
    handler.SelectTheme("light");
    handler.SelectLocale("ru_RU");
    EXPECT_EQ(Describe(locales), "[ ]English|[ ]Deutsch|[x]Русский|---|More Languages...");
    EXPECT_EQ(Describe(themes), "[ ]Title of dark|[x]Title of light");
    EXPECT_TRUE(manager->calls.empty());
}

TEST_F(LookAndFeelHandlerTest, choosingALanguageSwitchesChecksAnnouncesThenRelabels)
{
    handler.SelectLocale("en_US");
    Entry(locales, "ru_RU")->setText(QStringLiteral("stale"));
    locales.actions().last()->setText(QStringLiteral("stale"));
    std::vector<std::string> atSignal;
    QObject::connect(
        &handler, &LookAndFeelHandler::LocaleChanged,
        [&](const std::string& locale)
        {
            atSignal = manager->calls;
            atSignal.insert(atSignal.end(), {"signal " + locale, Describe(locales), Describe(themes)});
        });

    Entry(locales, "de_DE")->trigger();
    EXPECT_EQ(atSignal, (std::vector<std::string>{"SetLocale de_DE", "signal de_DE",
                                                  "[ ]English|[x]Deutsch|[ ]stale|---|stale",
                                                  "[ ]Title of dark|[ ]Title of light"}));
    EXPECT_EQ(localeChanged.count(), 1);
    EXPECT_EQ(Describe(locales), "[ ]English|[x]Deutsch|[ ]Русский|---|More Languages...");
    EXPECT_EQ(Describe(themes), "[ ]Dunkel|[ ]Hell"); // theme names in the new language
    EXPECT_EQ(themeChanged.count() + moreLanguages.count(), 0);
}

TEST_F(LookAndFeelHandlerTest, choosingAThemeSwitchesAndAnnouncesButChangesOnTheManagerOnlyMoveTheCheckMark)
{
    Entry(themes, "light")->trigger();
    EXPECT_EQ(manager->calls, std::vector<std::string>{"SetTheme light"});
    EXPECT_EQ(Describe(themes), "[ ]Title of dark|[x]Title of light");
    ASSERT_EQ(themeChanged.count(), 1);
    EXPECT_EQ(themeChanged.at(0).at(0).value<std::string>(), "light");

    manager->SetLocale("ru_RU"); // the process-wide locale changes too, yet nothing is relabelled
    manager->SetTheme("dark");
    EXPECT_EQ(Describe(locales), "[ ]English|[ ]Deutsch|[x]Русский|---|More Languages...");
    EXPECT_EQ(Describe(themes), "[x]Title of dark|[ ]Title of light");
    EXPECT_EQ(localeChanged.count() + themeChanged.count(), 1);
}

// Rebuilt menus must not rely on the entries they replaced, which are
// deleted later.
TEST_F(LookAndFeelHandlerTest, refreshRebuildsOnlyMenusWithASelection)
{
    Entry(locales, "de_DE")->setText(QStringLiteral("stale"));
    Entry(themes, "dark")->setText(QStringLiteral("stale"));
    handler.Refresh();
    EXPECT_EQ(Describe(locales) + " " + Describe(themes),
              "[ ]English|[ ]stale|[ ]Русский|---|More Languages... [ ]stale|[ ]Title of light");

    handler.SelectLocale("en_US");
    handler.Refresh();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Describe(locales), "[x]English|[ ]Deutsch|[ ]Русский|---|More Languages...");
    EXPECT_EQ(Describe(themes), "[ ]stale|[ ]Title of light");

    locales.actions().last()->trigger(); // "More Languages..." only announces itself
    EXPECT_EQ(moreLanguages.count(), 1);
    EXPECT_TRUE(manager->calls.empty() && localeChanged.isEmpty());
    Entry(locales, "ru_RU")->trigger();
    EXPECT_EQ(manager->calls, std::vector<std::string>{"SetLocale ru_RU"});
}

TEST_F(LookAndFeelHandlerTest, newMenuReplacesTheOldOneAndIsFilledOnceASelectionIsKnown)
{
    QMenu other, third;
    handler.SetLocaleMenu(&other);
    EXPECT_EQ(Describe(locales) + Describe(other), "");

    handler.SelectLocale("de_DE");
    handler.SetLocaleMenu(&third);
    EXPECT_EQ(Describe(other), "");
    EXPECT_EQ(Describe(third), "[ ]English|[x]Deutsch|[ ]Русский|---|More Languages...");
    Entry(third, "ru_RU")->trigger();
    EXPECT_EQ(manager->calls, std::vector<std::string>{"SetLocale ru_RU"});
    EXPECT_EQ(Describe(third), "[ ]English|[ ]Deutsch|[x]Русский|---|More Languages...");
}

TEST(LookAndFeelHandlerLifetime, worksWithoutMenusAndLeavesTheManagerWhenDestroyed)
{
    auto manager = boost::make_shared<RecordingManager>();
    QMenu late;
    {
        LookAndFeelHandler handler(manager, nullptr, nullptr, nullptr);
        handler.SetLocaleList(manager->locales);
        handler.SetThemeList(manager->themes);
        manager->Initialize("ru_RU", "dark");
        handler.Refresh();
        handler.SetLocaleMenu(&late);
        EXPECT_EQ(Describe(late), "[ ]English|[ ]Deutsch|[x]Русский|---|More Languages...");
    }
    EXPECT_TRUE(manager->observers.empty());
}

// With the real manager a choice relabels from the new language's
// translations; a change made directly on the manager does not.
TEST(LookAndFeelHandlerWithManager, choosingALanguageRelabelsFromTheNewTranslations)
{
    auto manager = boost::make_shared<Kavrel::App::LookAndFeelManager>(KAVREL_LAF_DATA, "theme.json",
                                                                       std::list<std::string>{});
    QMenu locales, themes;
    LookAndFeelHandler handler(manager, &locales, &themes, nullptr);
    manager->Initialize("ru_RU", "dark");
    handler.SetLocaleList({"de_DE", "ru_RU"});
    handler.SetThemeList({"dark"});
    handler.SelectLocale(manager->GetCurrentLocale());
    EXPECT_EQ(Describe(locales) + " " + Describe(themes),
              "[ ]Deutsch|[x]Русский|---|More Languages... [ ]Полночь");

    // The theme's own description names it, also after relabelling.
    Entry(locales, "de_DE")->trigger();
    EXPECT_EQ(manager->GetCurrentLocale(), "de_DE");
    EXPECT_EQ(Describe(locales) + " " + Describe(themes),
              "[x]Deutsch|[ ]Русский|---|Weitere Sprachen... [ ]Mitternacht");

    manager->SetLocale("ru_RU");
    EXPECT_EQ(Describe(locales) + " " + Describe(themes),
              "[ ]Deutsch|[x]Русский|---|Weitere Sprachen... [ ]Mitternacht");
    manager->SetTheme("");
}

} // namespace
