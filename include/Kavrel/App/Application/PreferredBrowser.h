#pragma once

#include <Kavrel/App/Application/AbstractPreferredBrowser.h>

#include <QString>

#include <boost/function.hpp>

#include <map>
#include <string>

namespace Kavrel::App
{

/// Browser executables known by name (lower case, as on Windows): user
/// agents, and priorities (larger wins) per interface language.
KAVRELAPPLICATION_EXPORT extern const std::map<QString, QString> BrowserUserAgents;
KAVRELAPPLICATION_EXPORT extern const std::map<QString, int> DefaultBrowserPriorities;
KAVRELAPPLICATION_EXPORT extern const std::map<std::string, std::map<QString, int>> LocaleBrowserPriorities;

/// The browser the installer recorded if it runs; else that browser where the
/// system knows it to be installed; else the running browser with the highest
/// priority for the interface language.
class KAVRELAPPLICATION_EXPORT PreferredBrowser : public AbstractPreferredBrowser
{
public:
    QString DetectBrowserPath() const override;
};

/// Running programs whose (normalised, lower-case) executable name the filter
/// accepts, by that name; a later process of the same name wins. On Linux a
/// browser's own name is mapped to the table's name: firefox, firefox-esr and
/// firefox-bin to firefox.exe; chromium, chromium-browser, chrome,
/// google-chrome(-stable/-beta/-unstable) to chrome.exe; opera(-stable/-beta)
/// to opera.exe; microsoft-edge(-stable/-beta/-dev) and msedge to
/// microsoftedge.exe; yandex-browser(-stable/-beta) and yandex_browser to
/// browser.exe. Other programs keep their own name.
KAVRELAPPLICATION_EXPORT std::map<QString, QString>
GetCurrentProcessMap(boost::function<bool(const QString&)> filter);

/// The table name of an executable file name ("firefox-esr" -> "firefox.exe").
KAVRELAPPLICATION_EXPORT QString NormalizedExecutableName(const QString& fileName);

/// Where the system has a browser of that table name installed, or empty:
/// executables on PATH and the programs named by the desktop entries of the
/// XDG data folders.
KAVRELAPPLICATION_EXPORT QString FindInMuiCache(const QString& name);

} // namespace Kavrel::App
