#pragma once

#include <Kavrel/App/Application/URLKeys.h>

#include <QString>

namespace Kavrel::App
{

/// Gives the address of a link for the current product and language; an
/// empty text means the product has no such link.
class ILinksGenerator
{
public:
    virtual ~ILinksGenerator() = default;
    /// A link given as text: a key's name ("HELP_URL_menu") or an address.
    virtual QString GetUrl(const QString& link) const = 0;
    virtual QString GetUrl(URLKeys key) const = 0;
};

} // namespace Kavrel::App
