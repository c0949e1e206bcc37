#include <Kavrel/Localization/LocalizationManager.h>

#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QTranslator>

#include <boost/make_shared.hpp>

#include <map>
#include <memory>
#include <mutex>
#include <tuple>

namespace Kavrel::Core
{

namespace
{
// Locales without a table of their own read the English one, which still
// names every language in its own language.
const char FALLBACK_LOCALE[] = "en_US";

class Catalog
{
public:
    static Catalog& Instance()
    {
        static Catalog catalog;
        return catalog;
    }

    void SetLocale(const std::string& newLocale)
    {
        std::lock_guard<std::mutex> lock(mutex);
        locale = newLocale;
    }

    std::string GetLocale() const
    {
        std::lock_guard<std::mutex> lock(mutex);
        return locale;
    }

    void Add(const std::string& domain, const std::string& tableLocale, const std::string& key,
             const std::string& text)
    {
        std::lock_guard<std::mutex> lock(mutex);
        added[{domain, tableLocale, key}] = text;
    }

    std::string Translate(const std::string& domain, const std::string& key)
    {
        std::lock_guard<std::mutex> lock(mutex);
        const QString source = QString::fromStdString(key);
        for (const std::string& candidate : {locale, std::string(FALLBACK_LOCALE)})
        {
            if (const auto found = added.find({domain, candidate, key}); found != added.end())
                return found->second;
            if (const QTranslator* translator = Table(domain, candidate))
            {
                const QString text = translator->translate(domain.c_str(), key.c_str());
                if (!text.isEmpty())
                    return text.toStdString();
            }
        }
        // A language this catalogue does not list still gets its own name.
        static const QRegularExpression localeName(QStringLiteral("^[a-z]{2,3}_[A-Z]{2}$"));
        if (localeName.match(source).hasMatch())
        {
            const QLocale named(source);
            QString native = named.nativeLanguageName();
            if (named.language() != QLocale::C && !native.isEmpty())
            {
                native[0] = native[0].toUpper();
                return native.toStdString();
            }
        }
        return key;
    }

private:
    // The compiled-in table of a domain and locale, loaded on first use;
    // null when there is none.
    const QTranslator* Table(const std::string& domain, const std::string& tableLocale)
    {
        const std::string name = domain + "_" + tableLocale;
        auto found = tables.find(name);
        if (found == tables.end())
        {
            auto translator = std::make_unique<QTranslator>();
            if (!translator->load(
                    QStringLiteral(":/Kavrel/Localization/%1.qm").arg(QString::fromStdString(name))))
                translator.reset();
            found = tables.emplace(name, std::move(translator)).first;
        }
        return found->second.get();
    }

    mutable std::mutex mutex;
    std::string locale = FALLBACK_LOCALE;
    std::map<std::string, std::unique_ptr<QTranslator>> tables;
    // Texts taught at run time, by domain, locale and key.
    std::map<std::tuple<std::string, std::string, std::string>, std::string> added;
};

class DomainManager : public ILocalizationManager
{
public:
    explicit DomainManager(std::string domainName) : domain(std::move(domainName)) {}
    void SetLocale(const std::string& locale) override { Catalog::Instance().SetLocale(locale); }
    std::string GetLocale() const override { return Catalog::Instance().GetLocale(); }
    std::string Translate(const std::string& key) const override
    {
        return Catalog::Instance().Translate(domain, key);
    }

private:
    std::string domain;
};
} // namespace

boost::shared_ptr<ILocalizationManager> GetLocalizationManager()
{
    static const auto manager = boost::make_shared<DomainManager>("core");
    return manager;
}

boost::shared_ptr<ILocalizationManager> GetLocalizationManagerForDomain(const std::string& domain)
{
    return boost::make_shared<DomainManager>(domain);
}

void AddTranslation(const std::string& domain, const std::string& locale, const std::string& key,
                    const std::string& text)
{
    Catalog::Instance().Add(domain, locale, key, text);
}

} // namespace Kavrel::Core
