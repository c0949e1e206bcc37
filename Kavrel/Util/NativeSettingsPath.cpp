#include <Kavrel/Util/NativeSettingsPath.h>

#include <QDir>
#include <QStandardPaths>
#include <QStringList>

namespace Kavrel::Util
{

namespace
{
QString SystemConfigFolder()
{
    const QString dirs = qEnvironmentVariable("XDG_CONFIG_DIRS");
    const QString first = dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts).value(0);
    return first.isEmpty() ? QStringLiteral("/etc/xdg") : first;
}

QString UserConfigFolder()
{
    const QString home = qEnvironmentVariable("XDG_CONFIG_HOME");
    return home.isEmpty() ? QDir::homePath() + QStringLiteral("/.config") : home;
}
} // namespace

QString NativeSettingsPath(const QString& location)
{
#ifdef Q_OS_WIN
    return location;
#else
    QStringList parts = location.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    if (parts.size() < 3)
        return location;
    QString folder;
    const QString hive = parts.takeFirst().toUpper();
    if (hive == QLatin1String("HKEY_LOCAL_MACHINE") || hive == QLatin1String("HKLM"))
        folder = SystemConfigFolder();
    else if (hive == QLatin1String("HKEY_CURRENT_USER") || hive == QLatin1String("HKCU"))
        folder = UserConfigFolder();
    else
        return location;
    if (parts.first().compare(QLatin1String("SOFTWARE"), Qt::CaseInsensitive) == 0)
        parts.removeFirst();
    if (parts.isEmpty())
        return location;
    // A key with no sub-key of its own keeps its values in "<key>.conf".
    return folder + QLatin1Char('/') + parts.join(QLatin1Char('/')) + QStringLiteral(".conf");
#endif
}

} // namespace Kavrel::Util
