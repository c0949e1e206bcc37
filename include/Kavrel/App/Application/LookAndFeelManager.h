#pragma once

#include <Kavrel/App/Application/ILookAndFeelManager.h>
#include <Kavrel/App/Application/ILookAndFeelObserver.h>
#include <Kavrel/App/Application/KavrelApplicationExport.h>
#include <Kavrel/Core/ioPath.h>

#include <list>
#include <memory>
#include <string>

namespace Kavrel::App
{

/// Languages and themes installed under `<path>/resources`:
///
///     locales/<locale>/*.qm                 Qt translations of that language
///     themes/<theme>/<themeInfoFileName>    the theme's titles per language
///     themes/<theme>/*.rcc                  resources: <name>/style.qss,
///                                           <name>/fonts_win.qss, <name>/fonts.manifest
///
/// Loads and unloads translations and theme resources as the choice changes,
/// joins the theme's style sheets, and tells observers. It neither applies
/// the style sheet nor stores the choice: both are the product's.
class KAVRELAPPLICATION_EXPORT LookAndFeelManager : public ILookAndFeelManager
{
public:
    static constexpr const char RESOURCES_FOLDER[] = "resources";
    static constexpr const char LOCALES_FOLDER[] = "locales";
    static constexpr const char THEMES_FOLDER[] = "themes";
    static constexpr const char UNKNOWN_LOCALE[] = "unknown";
    static constexpr const char FALLBACK_LOCALE[] = "en_US";
    static constexpr const char PLATFORM[] = "win";

    /// resourceNames limits the files read to `<name>.rcc` and
    /// `<name>_<locale>.qm`, in that order; empty means every file.
    LookAndFeelManager(const Kavrel::ioPath& path, const std::string& themeInfoFileName,
                       const std::list<std::string>& resourceNames);
    ~LookAndFeelManager() override;

    void Initialize(const std::string& locale, const std::string& theme) override;
    const std::string& GetCurrentLocale() const override;
    const std::list<std::string>& GetLocales() const override;
    const std::list<std::string>& GetThemes() const override;
    void SetLocale(const std::string& locale) override;
    void SetTheme(const std::string& theme) override;
    const std::string& GetCurrentTheme() const override;
    std::string GetLocalizedThemeName(const std::string& theme) const override;
    std::string GetUnitedStylesheet() override;
    std::string GetDefaultLocale() override;
    void RegisterObserver(ILookAndFeelObserver* observer) override;
    void UnregisterObserver(ILookAndFeelObserver* observer) override;

    /// The installer's language code (a Windows language identifier) as a
    /// locale name; "en_US" for any code it does not know.
    static std::string LocaleNameFromInstallerCode(unsigned int code);

private:
    class Private;
    std::unique_ptr<Private> d;
};

} // namespace Kavrel::App
