#include <Kavrel/App/Application/ResourcePaths.h>
#include <Kavrel/Core/AppLocations.h>

namespace Kavrel::App
{

Kavrel::ioPath GetPathToResources()
{
    return Kavrel::Core::AppLocations::GetLocations().GetResourcesFolder();
}

Kavrel::ioPath GetPathToFontConfigFile()
{
    return Kavrel::Core::AppLocations::GetLocations().GetFontConfigFile();
}

} // namespace Kavrel::App
