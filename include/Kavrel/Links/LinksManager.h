#pragma once

#include <Kavrel/App/Application/ILinksManager.h>
#include <Kavrel/Links/KavrelLinksExport.h>

#include <QString>

#include <boost/shared_ptr.hpp>

#include <memory>

namespace Kavrel::App
{

class ICustomizationManager;
class ILookAndFeelManager;
class ISettingsManager;

/// Addresses of the named links, per product, key and interface language,
/// from a JSON table: `<resources>/links.json` when the product ships one, else
/// the table compiled into this library. The table:
///   { "products": { "<product code name>" | "*": {
///         "<KEY_NAME>": "<address>" | { "<locale>" | "<language>" | "*": "<address>" } } } }
/// The product's own entries win over "*"; within a key the exact locale
/// ("de_DE") wins over the language ("de") and then "*". Addresses may hold
/// {locale}, {lang}, {product} and {version}. The language is read from the
/// look-and-feel manager at each call, so links follow a language switch.
class KAVRELLINKS_EXPORT LinksManager : public virtual ILinksManager
{
public:
    LinksManager(boost::shared_ptr<ICustomizationManager> customization,
                 boost::shared_ptr<ILookAndFeelManager> lookAndFeel,
                 boost::shared_ptr<ISettingsManager> mailSettings,
                 boost::shared_ptr<ISettingsManager> installerSettings);
    /// The same over a table file of the caller's choice.
    LinksManager(boost::shared_ptr<ICustomizationManager> customization,
                 boost::shared_ptr<ILookAndFeelManager> lookAndFeel,
                 boost::shared_ptr<ISettingsManager> mailSettings,
                 boost::shared_ptr<ISettingsManager> installerSettings, const QString& tableFile);

    QString GetUrl(const QString& link) const override;
    QString GetUrl(URLKeys key) const override;
    /// Opens through QDesktopServices, so web addresses reach the preferred
    /// browser; a key without a link opens nothing.
    void OpenUrl(const QString& link) const override;
    void OpenUrl(URLKeys key) const override;

    /// The table in use when the caller names none.
    static QString DefaultTableFile();

    ~LinksManager() override;

private:
    class Private;
    std::unique_ptr<Private> d;
};

} // namespace Kavrel::App
