#pragma once

#include <Kavrel/Core/KavrelCoreExport.h>
#include <Kavrel/Core/ioPath.h>

#include <memory>

namespace Kavrel::Core
{

/// Where the running product keeps its installed files. The folders are
/// derived from the executable's own location:
///
///     <executable folder>/resources           themes, translations, links
///     <executable folder>/resources/fonts/fonts.conf
class KAVRELCORE_EXPORT AppLocations
{
public:
    static AppLocations& GetLocations();

    virtual ioPath GetApplicationFolder() const;
    virtual ioPath GetResourcesFolder() const;
    virtual ioPath GetFontConfigFile() const;

    virtual ~AppLocations();

protected:
    AppLocations();

private:
    class Private;
    std::unique_ptr<Private> d;
};

} // namespace Kavrel::Core
