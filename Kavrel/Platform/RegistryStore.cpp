#include "Backend.h"

#include <atomic>

namespace Kavrel::Platform
{

namespace
{
std::atomic<RegistryStore*> currentStore{nullptr};
} // namespace

RegistryStore::~RegistryStore() = default;

RegistryStore* GetRegistryStore()
{
    RegistryStore* store = currentStore.load();
    return store ? store : Backend::SystemRegistryStore();
}

RegistryStore* SetRegistryStore(RegistryStore* store) { return currentStore.exchange(store); }

} // namespace Kavrel::Platform
