#pragma once

#include <list>
#include <string>

namespace Kavrel::App
{

class ILookAndFeelObserver;

/// The product's interface language (a locale such as "en_US") and visual
/// theme. The order of the operations is part of the interface.
class ILookAndFeelManager
{
public:
    virtual ~ILookAndFeelManager() = default;
    /// SetLocale(locale), then SetTheme(theme).
    virtual void Initialize(const std::string& locale, const std::string& theme) = 0;
    virtual const std::string& GetCurrentLocale() const = 0;
    virtual const std::list<std::string>& GetLocales() const = 0;
    virtual const std::list<std::string>& GetThemes() const = 0;
    /// "unknown" picks the user's preferred installed language.
    virtual void SetLocale(const std::string& locale) = 0;
    /// An empty name unloads the current theme.
    virtual void SetTheme(const std::string& theme) = 0;
    virtual const std::string& GetCurrentTheme() const = 0;
    /// The theme's title in the current language.
    virtual std::string GetLocalizedThemeName(const std::string& theme) const = 0;
    /// The current theme's style sheets joined into one.
    virtual std::string GetUnitedStylesheet() = 0;
    /// The language the installer recorded, or "unknown".
    virtual std::string GetDefaultLocale() = 0;
    virtual void RegisterObserver(ILookAndFeelObserver* observer) = 0;
    virtual void UnregisterObserver(ILookAndFeelObserver* observer) = 0;
};

} // namespace Kavrel::App
