#pragma once

#include <Kavrel/App/Application/ILookAndFeelObserver.h>
#include <Kavrel/App/Application/KavrelApplicationExport.h>

#include <QObject>

#include <boost/shared_ptr.hpp>

#include <functional>
#include <list>
#include <map>
#include <string>

class QAction;
class QActionGroup;
class QMenu;

namespace Kavrel::App
{

class ILookAndFeelManager;

/// Keeps a language menu and a theme menu in step with the look-and-feel
/// manager: one checkable entry per language or theme, the current one
/// checked. A user's choice switches the manager and is announced by a
/// signal (for the product to store); a change made elsewhere only moves the
/// check mark. The language menu ends with "More Languages...".
class KAVRELAPPLICATION_EXPORT LookAndFeelHandler : public QObject, public ILookAndFeelObserver
{
    Q_OBJECT
public:
    /// The menus are not owned and may be null; they are filled by
    /// SetLocaleList and SetThemeList.
    LookAndFeelHandler(boost::shared_ptr<ILookAndFeelManager> manager, QMenu* localeMenu, QMenu* themeMenu,
                       QObject* parent);
    ~LookAndFeelHandler() override;

    void SetLocaleList(const std::list<std::string>& locales);
    void SetThemeList(const std::list<std::string>& themes);
    /// Swaps the menu: the old one is cleared, the new one filled at once
    /// when a selection is known.
    void SetLocaleMenu(QMenu* menu);
    void SetThemeMenu(QMenu* menu);
    /// Rebuilds the menus that have a selection and checks it again.
    void Refresh();
    void SelectLocale(const std::string& locale);
    void SelectTheme(const std::string& theme);

    void OnLocaleChanged(const std::string& locale) override;
    void OnThemeChanged(const std::string& theme) override;

Q_SIGNALS:
    /// The user chose a language or theme (the manager has switched already).
    void LocaleChanged(const std::string& locale);
    void ThemeChanged(const std::string& theme);
    void MoreLanguagesClicked();

private Q_SLOTS:
    void OnInnerLocaleChanged(QAction* action);
    void OnInnerThemeChanged(QAction* action);
    void Retranslate();

private:
    using TextFunction = std::function<QString(const std::string&)>;
    static void Rebuild(QMenu* menu, const std::list<std::string>& names, QActionGroup* group,
                        std::map<std::string, QAction*>& actions, const TextFunction& text);
    static void Check(QMenu* menu, const std::map<std::string, QAction*>& actions, const std::string& name);
    void RebuildLocaleMenu();
    void RebuildThemeMenu();

    class Private;
    std::unique_ptr<Private> d;
};

} // namespace Kavrel::App
