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

class KAVRELAPPLICATION_NO_EXPORT LookAndFeelHandler::Private
{
public:
    boost::shared_ptr<ILookAndFeelManager> manager;
    QMenu* localeMenu = nullptr;
    QActionGroup* localeGroup = nullptr;
    std::list<std::string> localeList;
    std::map<std::string, QAction*> localeActions;
    std::string selectedLocale;
    QMenu* themeMenu = nullptr;
    QActionGroup* themeGroup = nullptr;
    std::list<std::string> themeList;
    std::map<std::string, QAction*> themeActions;
    std::string selectedTheme;
    QAction* moreLanguagesAction = nullptr;
};

LookAndFeelHandler::LookAndFeelHandler(boost::shared_ptr<ILookAndFeelManager> lookAndFeel, QMenu* locales,
                                       QMenu* themes, QObject* parent)
    : QObject(parent), d(std::make_unique<Private>())
{
    d->manager = std::move(lookAndFeel);
    d->localeMenu = locales;
    d->themeMenu = themes;
    d->manager->RegisterObserver(this);
    d->localeGroup = new QActionGroup(this);
    d->themeGroup = new QActionGroup(this);
    // Slots of one signal run in connection order: the language is switched
    // before the entries are relabelled.
    connect(d->localeGroup, &QActionGroup::triggered, this, &LookAndFeelHandler::OnInnerLocaleChanged);
    connect(d->localeGroup, &QActionGroup::triggered, this, &LookAndFeelHandler::Retranslate);
    connect(d->themeGroup, &QActionGroup::triggered, this, &LookAndFeelHandler::OnInnerThemeChanged);
    d->moreLanguagesAction = new QAction(this);
    connect(d->moreLanguagesAction, &QAction::triggered, this, &LookAndFeelHandler::MoreLanguagesClicked);
    Retranslate();
}

LookAndFeelHandler::~LookAndFeelHandler() { d->manager->UnregisterObserver(this); }

void LookAndFeelHandler::SetLocaleList(const std::list<std::string>& locales)
{
    if (&locales != &d->localeList)
        d->localeList = locales;
    RebuildLocaleMenu();
}

void LookAndFeelHandler::SetThemeList(const std::list<std::string>& themes)
{
    if (&themes != &d->themeList)
        d->themeList = themes;
    RebuildThemeMenu();
}

void LookAndFeelHandler::SetLocaleMenu(QMenu* menu)
{
    if (d->localeMenu)
        d->localeMenu->clear();
    d->localeMenu = menu;
    Refresh();
}

void LookAndFeelHandler::SetThemeMenu(QMenu* menu)
{
    if (d->themeMenu)
        d->themeMenu->clear();
    d->themeMenu = menu;
    Refresh();
}

void LookAndFeelHandler::Refresh()
{
    if (d->localeMenu && !d->selectedLocale.empty())
    {
        RebuildLocaleMenu();
        SelectLocale(d->selectedLocale);
    }
    if (d->themeMenu && !d->selectedTheme.empty())
    {
        RebuildThemeMenu();
        SelectTheme(d->selectedTheme);
    }
}

void LookAndFeelHandler::SelectLocale(const std::string& locale)
{
    d->selectedLocale = locale;
    Check(d->localeMenu, d->localeActions, locale);
}

void LookAndFeelHandler::SelectTheme(const std::string& theme)
{
    d->selectedTheme = theme;
    Check(d->themeMenu, d->themeActions, theme);
}

void LookAndFeelHandler::OnLocaleChanged(const std::string& locale) { SelectLocale(locale); }

void LookAndFeelHandler::OnThemeChanged(const std::string& theme) { SelectTheme(theme); }

void LookAndFeelHandler::OnInnerLocaleChanged(QAction* action)
{
    const std::string locale = NameOf(action);
    d->manager->SetLocale(locale);
    SelectLocale(locale);
    Q_EMIT LocaleChanged(locale);
}

void LookAndFeelHandler::OnInnerThemeChanged(QAction* action)
{
    const std::string theme = NameOf(action);
    d->manager->SetTheme(theme);
    SelectTheme(theme);
    Q_EMIT ThemeChanged(theme);
}

void LookAndFeelHandler::Retranslate()
{
    for (const auto& [name, action] : d->localeActions)
        action->setText(CoreTranslation(name));
    for (const auto& [name, action] : d->themeActions)
        action->setText(CoreTranslation(name));
    d->moreLanguagesAction->setText(tr("More Languages..."));
}

void LookAndFeelHandler::RebuildLocaleMenu()
{
    if (!d->localeMenu)
        return;
    Rebuild(d->localeMenu, d->localeList, d->localeGroup, d->localeActions, &CoreTranslation);
    d->localeMenu->addSeparator();
    d->localeMenu->addAction(d->moreLanguagesAction);
}

void LookAndFeelHandler::RebuildThemeMenu()
{
    Rebuild(d->themeMenu, d->themeList, d->themeGroup, d->themeActions,
            [this](const std::string& name)
            { return Kavrel::Util::Utf8ToQString(d->manager->GetLocalizedThemeName(name)); });
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
