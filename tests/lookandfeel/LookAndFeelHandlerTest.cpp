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
using Strings = std::vector<std::string>;

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
    Strings calls;
    std::list<ILookAndFeelObserver*> observers;
};

QAction* Entry(QMenu& menu, const std::string& name)
{
    for (QAction* action : menu.actions())
        if (action->data().toString() == QString::fromStdString(name))
            return action;
    return nullptr;
}

// The menus as their user sees them: "[x]" marks the checked entry, "[ ]"
// other checkable ones, "---" a separator; menus apart by a space.
std::string Describe(std::initializer_list<QMenu*> menus)
{
    QStringList described;
    for (QMenu* menu : menus)
    {
        QStringList items;
        for (QAction* action : menu->actions())
            items << (action->isSeparator()   ? QString("---")
                      : action->isCheckable() ? (action->isChecked() ? "[x]" : "[ ]") + action->text()
                                              : action->text());
        described << items.join('|');
    }
    return described.join(' ').toStdString();
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

TEST_F(LookAndFeelHandlerTest, menusListEveryNameAndSelectingOnlyMovesTheCheckMarkEvenInANewMenu)
{
    EXPECT_EQ(Describe({&locales, &themes}),
              "[ ]English|[ ]Deutsch|[ ]Русский|---|More Languages... [ ]Title of dark|[ ]Title of light");
    EXPECT_EQ(manager->observers, std::list<ILookAndFeelObserver*>{&handler});
    QMenu other, third;
    handler.SetLocaleMenu(&other); // no selection yet: nothing to show
    EXPECT_EQ(Describe({&locales, &other}), " ");
    handler.SelectLocale("de_DE");
    handler.SelectTheme("light");
    handler.SelectLocale("ru_RU");
    handler.SetLocaleMenu(&third);
    EXPECT_EQ(Describe({&other, &third, &themes}),
              " [ ]English|[ ]Deutsch|[x]Русский|---|More Languages... [ ]Title of dark|[x]Title of light");
    EXPECT_TRUE(manager->calls.empty());
    Entry(third, "de_DE")->trigger();
    EXPECT_EQ(manager->calls, Strings{"SetLocale de_DE"});
    EXPECT_EQ(Describe({&third}), "[ ]English|[x]Deutsch|[ ]Русский|---|More Languages...");
    {
        LookAndFeelHandler menuless(manager, nullptr, nullptr, nullptr);
        menuless.SetLocaleList(manager->locales);
        manager->SetLocale("ru_RU");
        menuless.Refresh();
        menuless.SetLocaleMenu(&other); // filled once it has one
        EXPECT_EQ(Describe({&other}), "[ ]English|[ ]Deutsch|[x]Русский|---|More Languages...");
    }
    EXPECT_EQ(manager->observers, std::list<ILookAndFeelObserver*>{&handler}) << "the other one left";
}

// A choice switches the manager, moves the check mark, announces it and, for
// a language, relabels; changes made on the manager only move the check mark.
TEST_F(LookAndFeelHandlerTest,
       choosingSwitchesChecksAnnouncesThenRelabelsButManagerChangesOnlyMoveTheCheckMark)
{
    handler.SelectLocale("en_US");
    Entry(locales, "ru_RU")->setText("stale");
    locales.actions().last()->setText("stale");
    Strings atSignal;
    QObject::connect(&handler, &LookAndFeelHandler::LocaleChanged,
                     [&](const std::string& locale)
                     {
                         atSignal = manager->calls;
                         atSignal.insert(atSignal.end(), {"signal " + locale, Describe({&locales, &themes})});
                     });
    Entry(locales, "de_DE")->trigger();
    Entry(themes, "light")->trigger();
    EXPECT_EQ(atSignal,
              (Strings{"SetLocale de_DE", "signal de_DE",
                       "[ ]English|[x]Deutsch|[ ]stale|---|stale [ ]Title of dark|[ ]Title of light"}));
    EXPECT_EQ(manager->calls, (Strings{"SetLocale de_DE", "SetTheme light"}));
    ASSERT_EQ(localeChanged.count() * 10 + themeChanged.count() + moreLanguages.count(), 11);
    EXPECT_EQ(themeChanged.at(0).at(0).value<std::string>(), "light");
    EXPECT_EQ(
        Describe({&locales, &themes}),
        "[ ]English|[x]Deutsch|[ ]Русский|---|More Languages... [ ]Dunkel|[x]Hell"); // in the new language
    manager->SetLocale("ru_RU"); // the process-wide locale changes too, yet nothing is relabelled
    manager->SetTheme("dark");
    EXPECT_EQ(Describe({&locales, &themes}),
              "[ ]English|[ ]Deutsch|[x]Русский|---|More Languages... [x]Dunkel|[ ]Hell");
    EXPECT_EQ(localeChanged.count() + themeChanged.count(), 2);
}

// Rebuilt menus must not rely on the entries they replaced, which are
// deleted later.
TEST_F(LookAndFeelHandlerTest, refreshRebuildsOnlyMenusWithASelection)
{
    Entry(locales, "de_DE")->setText("stale");
    Entry(themes, "dark")->setText("stale");
    handler.Refresh();
    EXPECT_EQ(Describe({&locales, &themes}),
              "[ ]English|[ ]stale|[ ]Русский|---|More Languages... [ ]stale|[ ]Title of light");
    handler.SelectLocale("en_US");
    handler.Refresh();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Describe({&locales, &themes}),
              "[x]English|[ ]Deutsch|[ ]Русский|---|More Languages... [ ]stale|[ ]Title of light");
    locales.actions().last()->trigger(); // "More Languages..." only announces itself
    EXPECT_TRUE(moreLanguages.count() == 1 && manager->calls.empty() && localeChanged.isEmpty());
    Entry(locales, "ru_RU")->trigger();
    EXPECT_EQ(manager->calls, Strings{"SetLocale ru_RU"});
}

} // namespace
