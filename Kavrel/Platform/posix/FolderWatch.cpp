#include <Kavrel/Platform/FolderWatch.h>

#include <cerrno>
#include <map>
#include <set>
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
    // By watch descriptor: one folder reached by several names (a symbolic
    // link) has one descriptor, and a change is reported under every name.
    std::map<int, std::set<std::string>> folders;

    void Forget(int watch)
    {
        if (folders.erase(watch) != 0)
            ::inotify_rm_watch(fd, watch);
    }
};

FolderWatch::FolderWatch() : d(std::make_unique<Private>()) {}

FolderWatch::~FolderWatch()
{
    if (d->fd >= 0)
        ::close(d->fd);
}

bool FolderWatch::Watch(const std::string& folder)
{
    if (folder.empty())
        return false;
    // Made on first use: the user's inotify instances are few (128 by
    // default), and a watch that is never asked for should not take one.
    if (d->fd < 0)
        d->fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (d->fd < 0)
        return false;
    const int watch = ::inotify_add_watch(d->fd, folder.c_str(), EVENTS);
    if (watch < 0)
        return false;
    d->folders[watch].insert(folder);
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
            changes.folders.insert(changes.folders.end(), found->second.begin(), found->second.end());
            d->Forget(event->wd);
        }
    }
    if (changes.all)
    {
        for (const auto& [watch, names] : d->folders)
        {
            changes.folders.insert(changes.folders.end(), names.begin(), names.end());
            ::inotify_rm_watch(d->fd, watch);
        }
        d->folders.clear();
    }
    return changes;
}

} // namespace Kavrel::Platform
