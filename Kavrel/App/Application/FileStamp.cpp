#include "FileStamp.h"

#include <QFile>
#include <QFileInfo>
#include <QDateTime>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace Kavrel::App
{

FileStamp FileStamp::Of(const QString& path)
{
#ifdef Q_OS_UNIX
    struct stat status;
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    constexpr qint64 NS = 1000000000;
    return {true, static_cast<qint64>(status.st_size),
            static_cast<qint64>(status.st_mtim.tv_sec) * NS + status.st_mtim.tv_nsec,
            static_cast<qint64>(status.st_ctim.tv_sec) * NS + status.st_ctim.tv_nsec,
            static_cast<quint64>(status.st_ino)};
#else
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    return {true, info.size(), info.lastModified().toMSecsSinceEpoch(),
            info.metadataChangeTime().toMSecsSinceEpoch(), 0};
#endif
}

} // namespace Kavrel::App
