#include <Kavrel/App/Application/ILookAndFeelManager.h>
#include <Kavrel/App/Application/LookAndFeelHandler.h>
#include <Kavrel/Localization/LocalizationManager.h>
#include <Kavrel/Util/StringConversions.h>

#include <QAction>
#include <QActionGroup>
#include <QMenu>

namespace Kavrel::App
{

namespace
{
QString CoreTranslation(const std::string& name)
{
    return Kavrel::Util::Utf8ToQString(
        Kavrel::Core::GetLocalizationManagerForDomain("core")->Translate(name));
}

std::string NameOf(const QAction* action) { return Kavrel::Util::QStringToUtf8(action->data().toString()); }
} // namespace

LookAndFeelHandler::LookAndFeelHandler(boost::shared_ptr<ILookAndFeelManager> lookAndFeel, QMenu* locales,
                                       QMenu* themes, QObject* parent)
    : QObject(parent), manager(std::move(lookAndFeel)), localeMenu(locales), localeGroup(nullptr),
      themeMenu(themes), themeGroup(nullptr), moreLanguagesAction(nullptr)
{
    manager->RegisterObserver(this);
    localeGroup = new QActionGroup(this);
    themeGroup = new QActionGroup(this);
    // Slots of one signal run in connection order: the language is switched
    // before the entries are relabelled.
    connect(localeGroup, &QActionGroup::triggered, this, &LookAndFeelHandler::OnInnerLocaleChanged);
    connect(localeGroup, &QActionGroup::triggered, this, &LookAndFeelHandler::Retranslate);
    connect(themeGroup, &QActionGroup::triggered, this, &LookAndFeelHandler::OnInnerThemeChanged);
    moreLanguagesAction = new QAction(this);
    connect(moreLanguagesAction, &QAction::triggered, this, &LookAndFeelHandler::MoreLanguagesClicked);
    Retranslate();
}

LookAndFeelHandler::~LookAndFeelHandler() { manager->UnregisterObserver(this); }

void LookAndFeelHandler::SetLocaleList(const std::list<std::string>& locales)
{
    if (&locales != &localeList)
        localeList = locales;
    RebuildLocaleMenu();
}

void LookAndFeelHandler::SetThemeList(const std::list<std::string>& themes)
{
    if (&themes != &themeList)
        themeList = themes;
    RebuildThemeMenu();
}

void LookAndFeelHandler::SetLocaleMenu(QMenu* menu)
{
    if (localeMenu)
        localeMenu->clear();
    localeMenu = menu;
    Refresh();
}

void LookAndFeelHandler::SetThemeMenu(QMenu* menu)
{
    if (themeMenu)
        themeMenu->clear();
    themeMenu = menu;
    Refresh();
}

void LookAndFeelHandler::Refresh()
{
    if (localeMenu && !selectedLocale.empty())
    {
        RebuildLocaleMenu();
        SelectLocale(selectedLocale);
    }
    if (themeMenu && !selectedTheme.empty())
    {
        RebuildThemeMenu();
        SelectTheme(selectedTheme);
    }
}

void LookAndFeelHandler::SelectLocale(const std::string& locale)
{
    selectedLocale = locale;
    Check(localeMenu, localeActions, locale);
}

void LookAndFeelHandler::SelectTheme(const std::string& theme)
{
    selectedTheme = theme;
    Check(themeMenu, themeActions, theme);
}

void LookAndFeelHandler::OnLocaleChanged(const std::string& locale) { SelectLocale(locale); }

void LookAndFeelHandler::OnThemeChanged(const std::string& theme) { SelectTheme(theme); }

void LookAndFeelHandler::OnInnerLocaleChanged(QAction* action)
{
    const std::string locale = NameOf(action);
    manager->SetLocale(locale);
    SelectLocale(locale);
    Q_EMIT LocaleChanged(locale);
}

void LookAndFeelHandler::OnInnerThemeChanged(QAction* action)
{
    const std::string theme = NameOf(action);
    manager->SetTheme(theme);
    SelectTheme(theme);
    Q_EMIT ThemeChanged(theme);
}

void LookAndFeelHandler::Retranslate()
{
    for (const auto& [name, action] : localeActions)
        action->setText(CoreTranslation(name));
    for (const auto& [name, action] : themeActions)
        action->setText(CoreTranslation(name));
    moreLanguagesAction->setText(tr("More Languages..."));
}

void LookAndFeelHandler::RebuildLocaleMenu()
{
    if (!localeMenu)
        return;
    Rebuild(localeMenu, localeList, localeGroup, localeActions, &CoreTranslation);
    localeMenu->addSeparator();
    localeMenu->addAction(moreLanguagesAction);
}

void LookAndFeelHandler::RebuildThemeMenu()
{
    Rebuild(themeMenu, themeList, themeGroup, themeActions,
            [this](const std::string& name)
            { return Kavrel::Util::Utf8ToQString(manager->GetLocalizedThemeName(name)); });
}

void LookAndFeelHandler::Rebuild(QMenu* menu, const std::list<std::string>& names, QActionGroup* group,
                                 std::map<std::string, QAction*>& actions, const TextFunction& text)
{
    if (!menu || !group)
        return;
    actions.clear();
    for (QAction* action : menu->actions())
    {
        menu->removeAction(action);
        if (action->isSeparator() && action->parent() == menu)
            action->deleteLater(); // the menu made it; nobody else will
    }
    for (QAction* action : group->actions())
    {
        group->removeAction(action);
        action->deleteLater();
    }
    for (const std::string& name : names)
    {
        auto* action = new QAction(group);
        action->setText(text(name));
        action->setData(Kavrel::Util::Utf8ToQString(name));
        action->setCheckable(true);
        group->addAction(action);
        menu->addAction(action);
        actions[name] = action;
    }
}

void LookAndFeelHandler::Check(QMenu* menu, const std::map<std::string, QAction*>& actions,
                               const std::string& name)
{
    if (!menu)
        return;
    const auto found = actions.find(name);
    if (found != actions.end() && !found->second->isChecked())
        found->second->setChecked(true);
}

} // namespace Kavrel::App
