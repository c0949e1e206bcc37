#include "SmallFile.h"

#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Kavrel::App::SmallFile
{

namespace
{
bool WriteAll(int fd, const char* data, qint64 size)
{
    while (size > 0)
    {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

// A descriptor for reading and writing the user's own regular file with no
// other name at `name` (a hard link planted there would carry a write into
// another file, and a symbolic link is not followed), with its status; -1
// for anything else.
int OpenOwnFile(const QByteArray& name, int createFlag, struct stat& status)
{
    const int fd =
        ::open(name.constData(), O_RDWR | createFlag | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_nlink == 1 &&
        status.st_uid == ::geteuid())
        return fd;
    ::close(fd);
    return -1;
}
} // namespace

Read Load(const QString& path, qint64 limit, QByteArray& content)
{
    content.clear();
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? Read::Missing : Read::Unreadable;
    struct stat status
    {
    };
    Read result = Read::Unreadable;
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size <= limit)
    {
        // Read to the end, not to the size seen: the file may be growing.
        content.resize(static_cast<int>(status.st_size) + 1);
        qint64 have = 0;
        for (;;)
        {
            if (have == content.size())
                content.resize(static_cast<int>(std::min(limit + 1, 2 * have)));
            const ssize_t got = ::read(fd, content.data() + have, static_cast<size_t>(content.size() - have));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
            {
                if (got == 0)
                    result = Read::Done;
                break;
            }
            have += got;
            if (have > limit)
                break;
        }
        content.resize(result == Read::Done ? static_cast<int>(have) : 0);
    }
    ::close(fd);
    return result;
}

bool Replace(const QString& path, const QByteArray& content)
{
    const QByteArray target = QFile::encodeName(path);
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt)
    {
        temporary = target + '.' + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;
    const bool written = WriteAll(fd, content.constData(), content.size());
    const bool closed = ::close(fd) == 0;
    if (written && closed && ::rename(temporary.constData(), target.constData()) == 0)
        return true;
    ::unlink(temporary.constData());
    return false;
}

bool Overwrite(const QString& path, const QByteArray& content)
{
    // One page: the kernel copies it whole or not at all, even for a
    // process killed during the write.
    constexpr qint64 PAGE = 4096;
    struct stat status
    {
    };
    const int fd = OpenOwnFile(QFile::encodeName(path), 0, status);
    if (fd < 0 || status.st_size > PAGE || content.size() > PAGE)
    {
        if (fd >= 0)
            ::close(fd);
        return Replace(path, content);
    }
    // Shorter content is padded with empty lines to the old length, so that
    // the file reads whole even if the process ends before the truncation.
    QByteArray page = content;
    if (page.size() < status.st_size)
        page.append(static_cast<int>(status.st_size) - page.size(), '\n');
    ssize_t written = -1;
    do
        written = ::pwrite(fd, page.constData(), static_cast<size_t>(page.size()), 0);
    while (written < 0 && errno == EINTR);
    const bool whole =
        written == page.size() && (page.size() == content.size() || ::ftruncate(fd, content.size()) == 0);
    const bool closed = ::close(fd) == 0;
    return (whole && closed) || Replace(path, content);
}

int OpenOwn(const QString& path, qint64 maxSize)
{
    const QByteArray name = QFile::encodeName(path);
    for (int attempt = 0; attempt < 2; ++attempt)
    {
        struct stat status
        {
        };
        const int fd = OpenOwnFile(name, O_CREAT, status);
        if (fd >= 0 && (status.st_size <= maxSize || ::ftruncate(fd, maxSize) == 0))
            return fd;
        if (fd >= 0)
            ::close(fd);
        // Whatever else is there goes, once; a folder stays and fails.
        if (::unlink(name.constData()) != 0 && errno != ENOENT)
            break;
    }
    return -1;
}

} // namespace Kavrel::App::SmallFile
