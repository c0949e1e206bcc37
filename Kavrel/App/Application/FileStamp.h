#pragma once

#include <QString>

namespace Kavrel::App
{

// What tells a rewritten file or folder from the one seen before: its size,
// modification and status-change times and identity, from one stat call.
// QFileInfo's times pass through the local time zone on every call, which
// costs more than the stat itself; these are raw.
struct FileStamp
{
    bool exists = false;
    qint64 size = 0;
    qint64 modified = 0; // nanoseconds where the system has them
    qint64 changed = 0;
    quint64 identity = 0; // the inode: a file renamed over the old one differs

    static FileStamp Of(const QString& path);
    bool operator==(const FileStamp& other) const
    {
        return exists == other.exists && size == other.size && modified == other.modified &&
               changed == other.changed && identity == other.identity;
    }
    bool operator!=(const FileStamp& other) const { return !(*this == other); }
};

} // namespace Kavrel::App
