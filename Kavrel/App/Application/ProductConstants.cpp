#include <Kavrel/App/Application/ProductConstants.h>

#include "LibraryProductConstants.h"

namespace Kavrel::App
{

namespace
{
struct Values
{
    std::string productId = LIBRARY_PRODUCT_ID;
    std::string versionMajor = LIBRARY_PRODUCT_VERSION_MAJOR;
    std::string versionMinor = LIBRARY_PRODUCT_VERSION_MINOR;
    std::string applicationMutexName = ProductConstants::DefaultApplicationMutexName;
    std::string installerMutexName = ProductConstants::DefaultInstallerMutexName;
    bool registered = false;
};

// Built on first use: a product registers from a static initialiser of its
// own, which may run before anything of ours.
Values& Current()
{
    static Values values;
    return values;
}

bool IsFolderNamePart(const char* text)
{
    if (!text || !*text)
        return false;
    const std::string part(text);
    return part != "." && part != ".." && part.find_first_of("/\\") == std::string::npos;
}
} // namespace

const std::string& ProductConstants::ProductId() { return Current().productId; }
const std::string& ProductConstants::ProductVersionMajor() { return Current().versionMajor; }
const std::string& ProductConstants::ProductVersionMinor() { return Current().versionMinor; }
const std::string& ProductConstants::ApplicationMutexName() { return Current().applicationMutexName; }
const std::string& ProductConstants::InstallerMutexName() { return Current().installerMutexName; }

bool ProductConstants::Register(const char* productId, const char* versionMajor, const char* versionMinor,
                                const char* applicationMutexName, const char* installerMutexName)
{
    Values& values = Current();
    if (values.registered || !IsFolderNamePart(productId) || !IsFolderNamePart(versionMajor) ||
        !IsFolderNamePart(versionMinor))
        return false;
    values.registered = true;
    values.productId = productId;
    values.versionMajor = versionMajor;
    values.versionMinor = versionMinor;
    if (applicationMutexName && *applicationMutexName)
        values.applicationMutexName = applicationMutexName;
    if (installerMutexName && *installerMutexName)
        values.installerMutexName = installerMutexName;
    return true;
}

} // namespace Kavrel::App
