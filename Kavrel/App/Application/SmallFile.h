#pragma once

#include <QByteArray>
#include <QString>

namespace Kavrel::App
{

// The library's own small state files (crash records, the start-up crash
// streak), read and written whole. They have to outlive a crash of the
// process, not of the machine: a write and a rename, never a wait for the
// disk.
namespace SmallFile
{
enum class Read
{
    Done,
    Missing,   // nothing at the path: no content yet
    Unreadable // there, but not a regular file of at most `limit` bytes that could be read
};

// Never blocks: a pipe or device planted at the path is Unreadable, not
// waited on.
Read Load(const QString& path, qint64 limit, QByteArray& content);

// Replaces the file with `content` as one step for any reader: a new file
// beside it (private to the user), then renamed over it. On failure the old
// file is left as it was and false returned.
bool Replace(const QString& path, const QByteArray& content);

// The same for readers that hold the same lock as the caller, cheaper: the
// user's own small file is written over in place, in one write of at most a
// page, which a killed process does not leave half done (a rename costs a
// new inode, and ext4 starts writing the data back at every rename over a
// file). Anything else at the path, or a larger file or content, is
// replaced as above.
bool Overwrite(const QString& path, const QByteArray& content);

// A descriptor open for reading and writing on the user's own file at
// `path`, made if missing, cut only if longer than `maxSize`: a file that
// holds data and is cut to nothing is written back by ext4 at once. Anything
// else there (a link, another user's file, a pipe) is removed and a new file
// made. -1 if that fails.
int OpenOwn(const QString& path, qint64 maxSize);
} // namespace SmallFile

} // namespace Kavrel::App
