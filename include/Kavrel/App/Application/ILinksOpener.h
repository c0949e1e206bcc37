#pragma once

#include <Kavrel/App/Application/URLKeys.h>

#include <QString>

namespace Kavrel::App
{

/// Opens links for the user, in the browser the system routes web addresses to.
class ILinksOpener
{
public:
    virtual ~ILinksOpener() = default;
    virtual void OpenUrl(const QString& link) const = 0;
    virtual void OpenUrl(URLKeys key) const = 0;
};

} // namespace Kavrel::App
