#include <Kavrel/Core/AppLocations.h>
#include <Kavrel/Platform/Process.h>

namespace Kavrel::Core
{

AppLocations::AppLocations() : applicationFolder(ioPath(Platform::GetExecutablePath()).parent_path()) {}

AppLocations::~AppLocations() = default;

AppLocations& AppLocations::GetLocations()
{
    static AppLocations locations;
    return locations;
}

ioPath AppLocations::GetApplicationFolder() const { return applicationFolder; }

ioPath AppLocations::GetResourcesFolder() const { return applicationFolder / "resources"; }

ioPath AppLocations::GetFontConfigFile() const { return GetResourcesFolder() / "fonts" / "fonts.conf"; }

} // namespace Kavrel::Core
