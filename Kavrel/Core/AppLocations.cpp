#include <Kavrel/Core/AppLocations.h>
#include <Kavrel/Platform/Process.h>

namespace Kavrel::Core
{

class KAVRELCORE_NO_EXPORT AppLocations::Private
{
public:
    ioPath applicationFolder = ioPath(Platform::GetExecutablePath()).parent_path();
};

AppLocations::AppLocations() : d(std::make_unique<Private>()) {}

AppLocations::~AppLocations() = default;

AppLocations& AppLocations::GetLocations()
{
    static AppLocations locations;
    return locations;
}

ioPath AppLocations::GetApplicationFolder() const { return d->applicationFolder; }

ioPath AppLocations::GetResourcesFolder() const { return d->applicationFolder / "resources"; }

ioPath AppLocations::GetFontConfigFile() const { return GetResourcesFolder() / "fonts" / "fonts.conf"; }

} // namespace Kavrel::Core
