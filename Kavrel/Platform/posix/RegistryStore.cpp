#include "../Backend.h"

namespace Kavrel::Platform
{

namespace
{
const char currentUserRoot = 0;
} // namespace

const RegistryStore::Key RegistryStore::CURRENT_USER = &currentUserRoot;

// There is no registry here: the settings files stand for it, and they are
// the Qt side's to read (Kavrel::Util::SettingsRegistryStore).
RegistryStore* Backend::SystemRegistryStore() { return nullptr; }

} // namespace Kavrel::Platform
