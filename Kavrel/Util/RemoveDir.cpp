#include <Kavrel/Util/RemoveDir.h>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace Kavrel::Util
{

namespace
{
bool Sweep(const QString& path, const QDateTime& threshold)
{
    bool complete = true;
    const QFileInfoList entries =
        QDir(path).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries)
    {
        if (entry.isDir() && !entry.isSymLink())
        {
            complete = Sweep(entry.absoluteFilePath(), threshold) && complete;
            QDir().rmdir(entry.absoluteFilePath()); // only when it ended up empty
        }
        else if (!threshold.isValid() || entry.lastModified() < threshold)
            complete = QFile::remove(entry.absoluteFilePath()) && complete;
    }
    return complete;
}
} // namespace

bool RemoveDir(const QString& path, int days, bool removeFolder)
{
    const QFileInfo folder(path);
    if (!folder.isDir())
        return false;
    const QDateTime threshold = days > 0 ? QDateTime::currentDateTime().addDays(-days) : QDateTime();
    bool complete = Sweep(folder.absoluteFilePath(), threshold);
    if (removeFolder)
        complete = QDir().rmdir(folder.absoluteFilePath()) && complete;
    return complete;
}

} // namespace Kavrel::Util
