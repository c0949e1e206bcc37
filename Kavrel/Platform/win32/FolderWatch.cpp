#include <Kavrel/Platform/FolderWatch.h>

// Windows reports folder changes after the fact (change notifications and
// ReadDirectoryChangesW complete later, on their own), so a watch could not
// promise that a change made before TakeChanges is in it: no folder is
// watched, and callers look at the folders themselves.
namespace Kavrel::Platform
{

struct FolderWatch::Private
{
};

FolderWatch::FolderWatch() : d(std::make_unique<Private>()) {}

FolderWatch::~FolderWatch() = default;

bool FolderWatch::Watch(const std::string&) { return false; }

FolderWatch::Changes FolderWatch::TakeChanges() { return {}; }

} // namespace Kavrel::Platform
