#include <Kavrel/Platform/RegistryStore.h>

#include <atomic>

namespace Kavrel::Platform
{

namespace
{
const char currentUserRoot = 0;
std::atomic<RegistryStore*> currentStore{nullptr};
} // namespace

const RegistryStore::Key RegistryStore::CURRENT_USER = &currentUserRoot;

RegistryStore::~RegistryStore() = default;

// There is no registry here: the settings files stand for it, and they are
// the Qt side's to read (Kavrel::Util::SettingsRegistryStore).
RegistryStore* GetRegistryStore() { return currentStore.load(); }

RegistryStore* SetRegistryStore(RegistryStore* store) { return currentStore.exchange(store); }

} // namespace Kavrel::Platform
