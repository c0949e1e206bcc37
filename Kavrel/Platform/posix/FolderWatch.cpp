#include <Kavrel/Platform/FolderWatch.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <sys/inotify.h>
#include <unistd.h>

namespace Kavrel::Platform
{

namespace
{
constexpr uint32_t EVENTS = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB | IN_DELETE_SELF |
                            IN_MOVE_SELF | IN_ONLYDIR;
// Reads per call before the queue is taken as lost: another process that
// keeps changing a folder cannot keep a caller reading.
constexpr int MAX_READS = 64;
} // namespace

struct FolderWatch::Private
{
    int fd = -1;
    std::map<int, std::string> folders; // by watch descriptor

    void Forget(int watch)
    {
        if (folders.erase(watch) != 0)
            ::inotify_rm_watch(fd, watch);
    }
};

FolderWatch::FolderWatch() : d(std::make_unique<Private>())
{
    d->fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
}

FolderWatch::~FolderWatch()
{
    if (d->fd >= 0)
        ::close(d->fd);
}

bool FolderWatch::Watch(const std::string& folder)
{
    if (d->fd < 0 || folder.empty())
        return false;
    const int watch = ::inotify_add_watch(d->fd, folder.c_str(), EVENTS);
    if (watch < 0)
        return false;
    // The same folder under another name would share the descriptor: the
    // later name is the one reported.
    d->folders[watch] = folder;
    return true;
}

FolderWatch::Changes FolderWatch::TakeChanges()
{
    Changes changes;
    if (d->fd < 0 || d->folders.empty())
        return changes;
    alignas(inotify_event) char buffer[4096];
    for (int reads = 0;; ++reads)
    {
        const ssize_t length = ::read(d->fd, buffer, sizeof buffer);
        if (length < 0 && errno == EINTR)
            continue;
        if (length <= 0)
            break; // EAGAIN: nothing more
        if (reads == MAX_READS)
        {
            changes.all = true;
            break;
        }
        for (ssize_t offset = 0; offset + static_cast<ssize_t>(sizeof(inotify_event)) <= length;)
        {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW)
                changes.all = true;
            const auto found = d->folders.find(event->wd);
            if (found == d->folders.end())
                continue; // already reported, or IN_IGNORED after a removal
            changes.folders.push_back(found->second);
            d->Forget(event->wd);
        }
    }
    if (changes.all)
    {
        for (const auto& [watch, folder] : d->folders)
        {
            changes.folders.push_back(folder);
            ::inotify_rm_watch(d->fd, watch);
        }
        d->folders.clear();
    }
    return changes;
}

} // namespace Kavrel::Platform
