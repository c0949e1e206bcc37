#include <Kavrel/Util/CheckedSettingsFormat.h>

#include <QFile>
#include <QTemporaryFile>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace Kavrel::Util
{

namespace
{
// QSettings saves under a lock file "<file>.lock", which it locks (flock)
// and then writes its owner into; it takes a stale one away under a second
// such lock, "<file>.lock.rmlock". A process killed between making one and
// writing into it leaves an empty file that nobody holds, and the next save
// would wait until that is 30 s old. They are removed when the file is
// read, before any save: only while we lock them, and only if still the
// file at that name.
void RemoveAbandonedLocks(const QString& settingsFile)
{
#ifndef Q_OS_WIN
    for (const QString& suffix : {QStringLiteral(".lock.rmlock"), QStringLiteral(".lock")})
    {
        const QByteArray path = QFile::encodeName(settingsFile + suffix);
        const int fd = ::open(path.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat held
        {
        }, named{};
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) &&
            held.st_size == 0 && ::lstat(path.constData(), &named) == 0 && named.st_dev == held.st_dev &&
            named.st_ino == held.st_ino)
            ::unlink(path.constData());
        ::close(fd);
    }
#else
    Q_UNUSED(settingsFile)
#endif
}

// Qt's INI text, made and read by QSettings itself on a temporary file: its
// parser and writer are not reachable any other way.
bool ReadIni(QIODevice& device, QSettings::SettingsMap& map)
{
    if (const auto* file = qobject_cast<QFile*>(&device))
        RemoveAbandonedLocks(file->fileName());
    QTemporaryFile copy;
    if (!copy.open() || copy.write(device.readAll()) < 0 || !copy.flush())
        return false;
    // What a damaged file still holds is read, as Qt's INI reading does, but
    // only keys in the form QSettings reaches keys by (not empty, no slash
    // at either end, none doubled): any other would be listed, yet could
    // never be read, changed or removed (its value cannot even be read here).
    const QSettings ini(copy.fileName(), QSettings::IniFormat);
    for (const QString& key : ini.allKeys())
        if (!key.isEmpty() && key == key.split(QLatin1Char('/'), Qt::SkipEmptyParts).join(QLatin1Char('/')))
            map.insert(key, ini.value(key));
    return true;
}

bool WriteIni(QIODevice& device, const QSettings::SettingsMap& map)
{
    QTemporaryFile copy;
    if (!copy.open())
        return false;
    {
        QSettings ini(copy.fileName(), QSettings::IniFormat);
        for (auto entry = map.constBegin(); entry != map.constEnd(); ++entry)
            ini.setValue(entry.key(), entry.value());
        ini.sync();
        if (ini.status() != QSettings::NoError)
            return false;
    }
    QFile text(copy.fileName());
    if (!text.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = text.readAll();
    // Written through now, not when the file is closed: an error then would
    // go unnoticed and the file be replaced all the same.
    auto* file = qobject_cast<QFileDevice*>(&device);
    return device.write(bytes) == bytes.size() && (!file || file->flush());
}
} // namespace

QSettings::Format CheckedSettingsFormat(QSettings::Format format)
{
#ifdef Q_OS_WIN
    if (format != QSettings::IniFormat)
        return format;
#else
    if (format != QSettings::IniFormat && format != QSettings::NativeFormat)
        return format;
#endif
    static const QSettings::Format checked = QSettings::registerFormat(QStringLiteral("conf"), &ReadIni, &WriteIni);
    return checked == QSettings::InvalidFormat ? format : checked;
}

} // namespace Kavrel::Util
