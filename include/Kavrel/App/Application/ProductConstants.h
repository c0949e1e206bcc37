#pragma once

#include <Kavrel/App/Application/KavrelApplicationExport.h>

#include <string>

namespace Kavrel::App
{

/// The constants of the product a process runs: its lower-case identifier
/// and version (which name its crash records), and the names of the mutexes
/// its running instances and its installer hold. One installed library
/// serves every product of the family, so each product sets them at its own
/// build: kavrel_product_constants() of the CMake package generates a source
/// file into the product's executable that registers them before main runs.
/// Without that, the library's own build-time values stand in.
class KAVRELAPPLICATION_EXPORT ProductConstants
{
public:
    /// Organisation folder used in per-user paths.
    static constexpr const char OrganizationFolder[] = "Kavrel";
    /// The names a product gets unless it gives its own.
    static constexpr const char DefaultApplicationMutexName[] = "{bd60f52f-5ab9-467e-a474-9f12d9cba5a0}";
    static constexpr const char DefaultInstallerMutexName[] = "{5470691c-22cc-4796-ad52-3d7fc652fb66}";

    /// For instance "sampleproduct", "1" and "0".
    static const std::string& ProductId();
    static const std::string& ProductVersionMajor();
    static const std::string& ProductVersionMinor();
    /// Held by every running instance so other processes can tell it runs.
    static const std::string& ApplicationMutexName();
    /// Held by the product's installer while it runs.
    static const std::string& InstallerMutexName();

    /// Sets the product's values; called from the generated source before
    /// main. Only the first registration counts. The identifier and the
    /// version parts name a folder, so an empty one, or one holding a path
    /// separator or naming "." or "..", is refused (false) and the fallback
    /// stays; empty mutex names take the defaults.
    static bool Register(const char* productId, const char* versionMajor, const char* versionMinor,
                         const char* applicationMutexName, const char* installerMutexName);

    ProductConstants() = delete;
};

} // namespace Kavrel::App
