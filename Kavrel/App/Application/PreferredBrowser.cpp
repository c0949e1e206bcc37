#include <Kavrel/App/Application/Application.h>
#include <Kavrel/App/Application/ILookAndFeelManager.h>
#include <Kavrel/App/Application/ISettingsManager.h>
#include <Kavrel/App/Application/PreferredBrowser.h>
#include <Kavrel/Util/StringConversions.h>

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

using Kavrel::Util::QStringToUtf8;
using Kavrel::Util::Utf8ToQString;

#include "BrowserNames.h"
#include "RunningApplication.h"

namespace Kavrel::App
{

const std::map<QString, QString> BrowserUserAgents = {
    {QStringLiteral("browser.exe"),
     QStringLiteral("Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
                    "Chrome/30.0.1599.12785 YaBrowser/13.12.1599.12785 Safari/537.36")},
    {QStringLiteral("chrome.exe"),
     QStringLiteral("Mozilla/5.0 (Windows NT 6.1) AppleWebKit/537.36 (KHTML, like "
                    "Gecko) Chrome/41.0.2228.0 Safari/537.36")},
    {QStringLiteral("firefox.exe"),
     QStringLiteral("Mozilla/5.0 (Windows NT 6.1; WOW64; rv:40.0) Gecko/20100101 Firefox/40.1")},
    {QStringLiteral("iexplore.exe"),
     QStringLiteral("Mozilla/5.0 (Windows NT 6.1; WOW64; Trident/7.0; AS; rv:11.0) like Gecko")},
    {QStringLiteral("microsoftedge.exe"),
     QStringLiteral(
         "Mozilla/5.0 (Windows NT 10.0) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/42.0.2311.135 "
         "Safari/537.36 Edge/12.10240")},
    {QStringLiteral("opera.exe"),
     QStringLiteral("Opera/9.80 (Windows NT 6.0) Presto/2.12.388 Version/12.14")},
    {QStringLiteral("safari.exe"),
     QStringLiteral(
         "Mozilla/5.0 (Windows; U; Windows NT 6.1; en-US) AppleWebKit/533.20.25 (KHTML, like Gecko) "
         "Version/5.0.4 Safari/533.20.27")},
};

namespace
{
// Priorities in the order chrome, firefox, iexplore, opera, safari, browser,
// microsoftedge.
std::map<QString, int> Priorities(int chrome, int firefox, int iexplore, int opera, int safari, int browser,
                                  int edge)
{
    return {{QStringLiteral("chrome.exe"), chrome},     {QStringLiteral("firefox.exe"), firefox},
            {QStringLiteral("iexplore.exe"), iexplore}, {QStringLiteral("opera.exe"), opera},
            {QStringLiteral("safari.exe"), safari},     {QStringLiteral("browser.exe"), browser},
            {QStringLiteral("microsoftedge.exe"), edge}};
}
} // namespace

const std::map<QString, int> DefaultBrowserPriorities = Priorities(100, 80, 60, 40, 10, 20, 5);

const std::map<std::string, std::map<QString, int>> LocaleBrowserPriorities = {
    {"en_US", Priorities(100, 60, 80, 40, 20, 10, 5)}, {"ru_RU", Priorities(100, 60, 20, 80, 10, 40, 5)},
    {"de_DE", Priorities(80, 100, 60, 20, 40, 10, 5)}, {"es_ES", Priorities(100, 60, 80, 20, 40, 10, 5)},
    {"fr_FR", Priorities(100, 80, 60, 20, 40, 10, 5)}, {"it_IT", Priorities(100, 60, 80, 20, 40, 10, 5)},
    {"ja_JP", Priorities(80, 60, 100, 20, 40, 10, 5)}, {"nl_NL", Priorities(100, 60, 80, 20, 40, 10, 5)},
    {"pl_PL", Priorities(100, 80, 60, 40, 20, 10, 5)}, {"pt_BR", Priorities(100, 80, 60, 40, 20, 10, 5)},
    {"tr_TR", Priorities(100, 60, 80, 20, 10, 40, 5)},
};

namespace
{
// The executable a desktop entry starts: the first word of its "Exec=" line
// in the [Desktop Entry] group.
QString DesktopEntryProgram(const QString& entryFile)
{
    QFile entry(entryFile);
    if (!entry.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    bool inMainGroup = false;
    while (!entry.atEnd())
    {
        const QString line = QString::fromUtf8(entry.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('[')))
            inMainGroup = line == QLatin1String("[Desktop Entry]");
        else if (inMainGroup && line.startsWith(QLatin1String("Exec=")))
        {
            const QStringList parts = QProcess::splitCommand(line.mid(5));
            return parts.isEmpty() ? QString() : parts.first();
        }
    }
    return QString();
}
} // namespace

QString FindInMuiCache(const QString& name)
{
    if (name.isEmpty())
        return QString();
    const auto known = LinuxBrowserNames().find(name);
    const QStringList candidates = known != LinuxBrowserNames().end() ? known->second : QStringList{name};
    for (const QString& candidate : candidates)
    {
        const QString found = QStandardPaths::findExecutable(candidate);
        if (!found.isEmpty() && QFile::exists(found))
            return found;
    }
    QStringList dataFolders{
        qEnvironmentVariable("XDG_DATA_HOME", QDir::homePath() + QStringLiteral("/.local/share"))};
    dataFolders << qEnvironmentVariable("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share"))
                       .split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& folder : dataFolders)
    {
        QDirIterator entries(folder + QStringLiteral("/applications"), {QStringLiteral("*.desktop")},
                             QDir::Files, QDirIterator::Subdirectories);
        while (entries.hasNext())
        {
            QString program = DesktopEntryProgram(entries.next());
            if (program.isEmpty() || NormalizedExecutableName(QFileInfo(program).fileName()) != name)
                continue;
            if (!QFileInfo(program).isAbsolute())
                program = QStandardPaths::findExecutable(program);
            if (!program.isEmpty() && QFile::exists(program))
                return program;
        }
    }
    return QString();
}

class KAVRELAPPLICATION_NO_EXPORT AbstractPreferredBrowser::Private
{
public:
    QString browserPath;
};

AbstractPreferredBrowser::AbstractPreferredBrowser() : d(std::make_unique<Private>()) {}

AbstractPreferredBrowser::~AbstractPreferredBrowser() = default;

QString AbstractPreferredBrowser::GetBrowserPath()
{
    if (d->browserPath.isEmpty() || !QFile::exists(d->browserPath))
        RefreshBrowserPath();
    return d->browserPath;
}

void AbstractPreferredBrowser::RefreshBrowserPath()
{
    Application* app = RunningApplication("PreferredBrowser");
    const auto store = app ? app->GetProductSettingsManager() : boost::shared_ptr<ISettingsManager>();
    const QString stored =
        store ? Utf8ToQString(store->GetString("PreferredBrowser", std::string())) : QString();
    if (!stored.isEmpty() && QFile::exists(stored))
    {
        d->browserPath = stored;
        return;
    }
    d->browserPath = DetectBrowserPath();
    if (store)
        store->SetString("PreferredBrowser", QStringToUtf8(d->browserPath));
}

QString AbstractPreferredBrowser::GetUserAgent() const
{
    // Exact and case-sensitive, as the tables are; a browser's own name here
    // counts as its table name.
    const auto found = BrowserUserAgents.find(TableName(QFileInfo(d->browserPath).fileName()));
    return found != BrowserUserAgents.end() ? found->second : BrowserUserAgents.begin()->second;
}

QString PreferredBrowser::DetectBrowserPath() const
{
    Application* app = RunningApplication("PreferredBrowser");
    QString recorded;
    if (app && app->GetCustomizationManager())
        recorded =
            Utf8ToQString(app->GetInstallerSettings(std::string())->GetString("Browser", std::string()));

    const std::map<QString, int> known = DefaultBrowserPriorities;
    const auto running = GetCurrentProcessMap([known](const QString& name)
                                              { return !name.isEmpty() && known.count(name) > 0; });

    if (const auto found = running.find(recorded); found != running.end() && QFile::exists(found->second))
        return found->second;
    if (const QString installed = FindInMuiCache(recorded); !installed.isEmpty() && QFile::exists(installed))
        return installed;

    const std::string locale =
        app && app->GetLookAndFeel() ? app->GetLookAndFeel()->GetCurrentLocale() : std::string();
    const auto localeTable = LocaleBrowserPriorities.find(locale);
    const std::map<QString, int>& priorities =
        localeTable != LocaleBrowserPriorities.end() ? localeTable->second : DefaultBrowserPriorities;

    const std::pair<const QString, QString>* best = nullptr;
    int bestPriority = 0;
    for (const auto& entry : running)
    {
        const auto priority = priorities.find(entry.first);
        const int value = priority != priorities.end() ? priority->second : 0;
        if (!best || value > bestPriority)
        {
            best = &entry;
            bestPriority = value;
        }
    }
    return best && QFile::exists(best->second) ? best->second : QString();
}

} // namespace Kavrel::App
