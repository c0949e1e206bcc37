#pragma once

#include <Kavrel/Localization/KavrelLocalizationExport.h>

#include <boost/shared_ptr.hpp>

#include <string>

namespace Kavrel::Core
{

/// The process's interface language, and translations of the library's own
/// keys (language names, theme names) per translation domain.
class ILocalizationManager
{
public:
    /// A locale name such as "de_DE". Every domain follows it.
    virtual void SetLocale(const std::string& locale) = 0;
    virtual std::string GetLocale() const = 0;
    /// The key's text in the current locale, UTF-8; the key itself when the
    /// domain has none for it.
    virtual std::string Translate(const std::string& key) const = 0;

    virtual ~ILocalizationManager() = default;
};

/// The process-wide manager; its Translate looks in the "core" domain.
KAVRELLOCALIZATION_EXPORT boost::shared_ptr<ILocalizationManager> GetLocalizationManager();

/// A view of one domain that shares the process-wide locale. The "core"
/// domain holds the names of languages (each in its own language, such as
/// "Deutsch" for "de_DE") and of the usual themes ("light", "dark",
/// "classic") in the interface language.
KAVRELLOCALIZATION_EXPORT boost::shared_ptr<ILocalizationManager>
GetLocalizationManagerForDomain(const std::string& domain);

/// Teaches a domain the text of a key in one locale, for names the compiled-in
/// tables cannot know (the titles of a product's own themes, read from their
/// descriptions). Such a text wins over the tables' for that locale.
KAVRELLOCALIZATION_EXPORT void AddTranslation(const std::string& domain, const std::string& locale,
                                              const std::string& key, const std::string& text);

} // namespace Kavrel::Core
