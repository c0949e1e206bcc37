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
} // namespace SmallFile

} // namespace Kavrel::App
