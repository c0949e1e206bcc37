#pragma once

#include <QPixmap>

#include <string>

namespace Kavrel::App
{

/// The product's description of itself, implemented by each product and
/// handed to Application::SetCustomizationManager. Texts are UTF-8.
class ICustomizationManager
{
public:
    virtual std::string GetOrganizationName() const = 0;
    /// One folder name under the system temporary folder.
    virtual std::string GetProductFolderName() const = 0;
    virtual std::string GetVersionMajor() const = 0;
    virtual std::string GetVersionMinor() const = 0;
    virtual std::string GetApplicationName() const = 0;
    /// File-name-safe product name.
    virtual std::string GetProductName() const = 0;
    /// Log product name and default installer registry key.
    virtual std::string GetProductCodeName() const = 0;
    /// Window icon of alert boxes; a null pixmap means none.
    virtual QPixmap GetApplicationIcon() const = 0;
    /// Suffix of the full application name; may be empty.
    virtual std::string GetEditionName() const = 0;
    /// Caption of the custom about link; empty hides it.
    virtual std::string GetCustomAboutCaption() const = 0;
    virtual bool IsEmailDialogEnabled() const = 0;
    /// Normally a "mailto:" address.
    virtual std::string GetSupportEmail() const = 0;
    /// The product's own locale follows the interface language.
    virtual void SetLocale(const std::string& locale) = 0;

    virtual ~ICustomizationManager() = default;
};

} // namespace Kavrel::App
