#include <Kavrel/App/Application/Application.h>
#include <Kavrel/App/Application/ISettingsManager.h>
#include <Kavrel/App/Application/LookAndFeelManager.h>
#include <Kavrel/Core/EventHandlerList.h>
#include <Kavrel/Core/Property.h>
#include <Kavrel/Core/PropertySerializer.h>
#include <Kavrel/Core/SyncExecutePolicy.h>
#include <Kavrel/IO/DataInputString.h>
#include <Kavrel/Localization/LocalizationManager.h>
#include <Kavrel/Platform/FolderWatch.h>

#include "FileStamp.h"
#include "RunningApplication.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHash>
#include <QList>
#include <QLocale>
#include <QPixmapCache>
#include <QResource>
#include <QSet>
#include <QTranslator>

#include <algorithm>
#include <limits>
#include <map>

#include <boost/make_shared.hpp>
#include <boost/shared_ptr.hpp>
#include <glog/logging.h>

namespace Kavrel::App
{

namespace
{
QString ToQString(const Kavrel::ioPath& path) { return QString::fromStdString(path.utf8string()); }

QFileInfoList SubFolders(const QString& folder)
{
    return QDir(folder).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort);
}

// The files whose names end in the suffix (any case, as a "*.rcc" filter
// matches). Compared by hand: a name filter compiles a regular expression on
// every listing, which cost more than the switch it serves.
QFileInfoList FilesMatching(const QString& folder, const QString& suffix)
{
    QFileInfoList files = QDir(folder).entryInfoList(QDir::Files, QDir::NoSort);
    files.erase(std::remove_if(files.begin(), files.end(),
                               [&](const QFileInfo& file)
                               { return !file.fileName().endsWith(suffix, Qt::CaseInsensitive); }),
                files.end());
    return files;
}

// The description is text up to its first NUL byte. One that does not read
// (malformed, too large, too deeply nested) leaves the theme without titles.
Kavrel::Core::Property ReadThemeTitles(QFile& file)
{
    using Kavrel::Core::PropertySerializer;
    QByteArray bytes = file.read(PropertySerializer::MAX_INPUT_BYTES + 1);
    if (const int nul = bytes.indexOf('\0'); nul >= 0)
        bytes.truncate(nul);
    Kavrel::Core::Property titles{std::string()};
    if (!PropertySerializer::Deserialize(titles, Kavrel::Core::DataInputString::Create(bytes.toStdString()),
                                         true))
        LOG(WARNING) << "The theme description [" << file.fileName().toStdString()
                     << "] cannot be read; the theme has no titles";
    return titles;
}

bool Contains(const std::list<std::string>& names, const std::string& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

// A resource file that does not register (damaged, truncated, not a
// resource file at all) is reported once per process, not at every switch.
void RegisterResource(const QString& file)
{
    static QSet<QString> reported;
    if (QResource::registerResource(file) || reported.contains(file))
        return;
    reported.insert(file);
    LOG(ERROR) << "The resource file [" << file.toStdString()
               << "] cannot be registered; the theme's styles, pictures and fonts from it are missing";
}

// What a QFile opened on a resource path in text mode reads from it: its
// bytes, uncompressed, with every carriage return dropped (at most `limit`
// of them before that); empty if there is no such file. A switch reads two
// sheets and a font manifest from every resource file, and a QResource
// look-up costs a fraction of a QFile, its file engine and its device.
QByteArray ResourceText(const QString& path, qint64 limit = std::numeric_limits<int>::max())
{
#if QT_VERSION >= QT_VERSION_CHECK(5, 15, 0)
    const QResource resource(path);
    if (!resource.isValid()) // a folder has no data: empty too
        return {};
    // Copied: the resource file may be unregistered, and unmapped, later.
    QByteArray bytes =
        resource.compressionAlgorithm() == QResource::NoCompression
            ? QByteArray(reinterpret_cast<const char*>(resource.data()),
                         static_cast<int>(std::min(resource.size(), limit)))
            : resource.uncompressedData().left(static_cast<int>(limit));
    if (bytes.contains('\r'))
        bytes.truncate(static_cast<int>(std::remove(bytes.begin(), bytes.end(), '\r') - bytes.begin()));
    return bytes;
#else
    QFile file(path);
    return file.open(QIODevice::ReadOnly | QIODevice::Text) ? file.read(limit) : QByteArray();
#endif
}

// A sheet as the united sheet holds it: UTF-8, as decoding and encoding it
// again leaves it (no leading byte-order mark, a replacement character for
// each broken sequence). The united sheet is handed out as UTF-8, so a sheet
// in plain ASCII, the usual one, is taken as it is: the decoding and
// encoding cost a tenth of a switch.
QByteArray ReadSheet(const QString& resourcePath)
{
    const QByteArray bytes = ResourceText(resourcePath);
    const bool ascii = std::all_of(bytes.cbegin(), bytes.cend(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    return ascii ? bytes : QString::fromUtf8(bytes).toUtf8();
}

// Fonts stay registered when their theme is unloaded, so a font that comes
// back with its theme is added again only if it is no longer registered
// (adding it anew would keep another copy of it in memory per switch). A
// font is known by its content: two themes may ship different fonts under
// one resource path.
void RegisterFonts(const QString& manifestPath, const QString& resourceFile)
{
    // What each font of a resource file is, while that file is unchanged:
    // a switch back to a theme reads no font again.
    static QHash<QString, QByteArray> knownContent;
    // A manifest lists a few file names; more than this is not one.
    constexpr qint64 MAX_MANIFEST_BYTES = 64 * 1024;
    static QHash<QByteArray, int> registered;
    // Names are separated by any white space.
    const QStringList fonts = QString::fromUtf8(ResourceText(manifestPath, MAX_MANIFEST_BYTES))
                                  .simplified()
                                  .split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (fonts.isEmpty())
        return; // most resource files bring no font: no stamp to take
    const FileStamp stamp = FileStamp::Of(resourceFile);
    const QString origin = resourceFile + QLatin1Char('\n') + QString::number(stamp.size) + QLatin1Char(' ') +
                           QString::number(stamp.modified) + QLatin1Char(' ') +
                           QString::number(stamp.identity) + QLatin1Char('\n');
    for (const QString& font : fonts)
    {
        QByteArray key = knownContent.value(origin + font);
        QByteArray data;
        if (key.isEmpty())
        {
            QFile file(font);
            if (!file.open(QIODevice::ReadOnly))
                continue;
            data = file.readAll();
            key = QCryptographicHash::hash(data, QCryptographicHash::Sha1);
            knownContent.insert(origin + font, key);
        }
        const auto known = registered.constFind(key);
        if (known != registered.constEnd() && !QFontDatabase::applicationFontFamilies(*known).isEmpty())
            continue;
        if (data.isEmpty())
        {
            QFile file(font);
            if (!file.open(QIODevice::ReadOnly))
                continue;
            data = file.readAll();
        }
        const int id = QFontDatabase::addApplicationFontFromData(data);
        if (id >= 0)
            registered.insert(key, id);
    }
}

// The user's preferred UI languages as locale names, with the regional
// variants we ship for Portuguese and Chinese.
std::list<std::string> PreferredLocaleNames()
{
    std::list<std::string> names;
    for (const QString& language : QLocale().uiLanguages())
    {
        std::string name = QLocale(language).name().toStdString();
        if (name.rfind("pt", 0) == 0)
            name = "pt_BR";
        if (name.rfind("zh", 0) == 0)
            name = "zh_CN";
        names.push_back(name);
    }
    return names;
}
} // namespace

class KAVRELAPPLICATION_NO_EXPORT LookAndFeelManager::Private
{
public:
    Private(const Kavrel::ioPath& basePath, const std::list<std::string>& names)
        : path(basePath), resourceNames(names)
    {
    }

    // The resource files of the current theme.
    QList<QFileInfo> GetFilteredResourceList();
    void ClearCurrentTheme();

    Kavrel::ioPath path;
    std::list<std::string> resourceNames;
    std::list<std::string> locales;
    std::string currentLocale;
    std::list<std::string> themes;
    std::string currentTheme;
    std::map<std::string, Kavrel::Core::Property> themeTitles;
    // Each theme's or language's folder's files as last listed. A listing is
    // kept while the folder watch has heard nothing of its folder (one read
    // for every folder, where a stamp cost a stat of each), and where the
    // system cannot watch, while the folder's stamp stays the same.
    struct Listing
    {
        bool watched = false; // listed under a watch that has heard nothing since
        FileStamp folder;
        QList<QFileInfo> files;
    };
    std::map<QString, Listing> listings;
    Kavrel::Platform::FolderWatch folderWatch;

    // Takes in what changed in the watched folders; a switch does so once, as
    // it begins, and sees the folders as they were then.
    void HearFolderChanges()
    {
        const auto changes = folderWatch.TakeChanges();
        if (changes.all)
            for (auto& entry : listings)
                entry.second.watched = false;
        for (const std::string& changed : changes.folders)
        {
            const auto found = listings.find(QFile::decodeName(QByteArray::fromStdString(changed)));
            if (found != listings.end())
                found->second.watched = false;
        }
    }
    // The folder's listing if no change to the folder was heard since it was
    // listed; else null, and the caller looks at the folder itself.
    const QList<QFileInfo>* Unchanged(const QString& dir) const
    {
        const auto found = listings.find(dir);
        return found != listings.end() && found->second.watched ? &found->second.files : nullptr;
    }
    const QList<QFileInfo>& Listed(const QString& dir, const FileStamp& folder, const QString& suffix)
    {
        Listing& listing = listings[dir];
        // Watched before it is listed: a change after the listing is heard.
        const bool watched = folderWatch.Watch(QFile::encodeName(dir).toStdString());
        if (watched || listing.folder != folder)
            listing.files = FilesMatching(dir, suffix);
        listing.folder = folder;
        listing.watched = watched;
        return listing.files;
    }
    QString themesFolder; // with a slash at its end
    QByteArray unitedStylesheet;
    std::list<boost::shared_ptr<QTranslator>> translators;
    Kavrel::Core::EventHandlerList<ILookAndFeelObserver, Kavrel::Core::SyncExecutePolicy> observers;
};

LookAndFeelManager::LookAndFeelManager(const Kavrel::ioPath& basePath, const std::string& themeInfoFileName,
                                       const std::list<std::string>& names)
    : d(std::make_unique<Private>(basePath, names))
{
    // Folders count by their whole names: "night.v2" is the theme
    // "night.v2", and "themes.old" is not the themes folder.
    const QString resources = ToQString(d->path / RESOURCES_FOLDER);
    d->themesFolder = ToQString(d->path / RESOURCES_FOLDER / THEMES_FOLDER) + QLatin1Char('/');
    const QString infoFile = QString::fromStdString(themeInfoFileName);
    for (const QFileInfo& folder : SubFolders(resources))
    {
        const QString name = folder.fileName();
        if (name == QLatin1String(LOCALES_FOLDER))
        {
            for (const QFileInfo& locale : SubFolders(folder.absoluteFilePath()))
                d->locales.push_back(locale.fileName().toStdString());
        }
        else if (name == QLatin1String(THEMES_FOLDER))
        {
            for (const QFileInfo& theme : SubFolders(folder.absoluteFilePath()))
            {
                QFile info(theme.absoluteFilePath() + QLatin1Char('/') + infoFile);
                if (info.open(QIODevice::ReadOnly | QIODevice::Text))
                    d->themes.push_back(theme.fileName().toStdString());
            }
        }
    }
    const auto core = Kavrel::Core::GetLocalizationManagerForDomain("core");
    for (const std::string& theme : d->themes)
    {
        QFile info(resources + QStringLiteral("/themes/") + QString::fromStdString(theme) + QLatin1Char('/') +
                   infoFile);
        if (!info.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        const Kavrel::Core::Property& titles = d->themeTitles[theme] = ReadThemeTitles(info);
        // Menus relabelled after a language switch ask the "core" domain,
        // which knows only the usual themes by itself.
        for (const Kavrel::Core::Property& title : titles.GetChildren())
            Kavrel::Core::AddTranslation("core", title.GetName(), theme, title.GetString());
    }
}

// The translators leave the application as they are destroyed; the theme's
// resources stay registered.
LookAndFeelManager::~LookAndFeelManager() = default;

void LookAndFeelManager::Initialize(const std::string& locale, const std::string& theme)
{
    SetLocale(locale);
    SetTheme(theme);
}

const std::string& LookAndFeelManager::GetCurrentLocale() const { return d->currentLocale; }

const std::list<std::string>& LookAndFeelManager::GetLocales() const { return d->locales; }

const std::list<std::string>& LookAndFeelManager::GetThemes() const { return d->themes; }

void LookAndFeelManager::SetLocale(const std::string& locale)
{
    if (locale == d->currentLocale)
        return;
    if (locale == UNKNOWN_LOCALE)
    {
        d->currentLocale = FALLBACK_LOCALE;
        for (const std::string& name : PreferredLocaleNames())
        {
            if (std::find(d->locales.begin(), d->locales.end(), name) != d->locales.end())
            {
                d->currentLocale = name;
                break;
            }
        }
    }
    else
        d->currentLocale = locale;

    for (const auto& translator : d->translators)
        QCoreApplication::removeTranslator(translator.get());
    d->translators.clear();

    // Only an installed language loads files: any other name (an absolute
    // path, one with "..") would reach outside the resources folder.
    const QString folder = ToQString(d->path / RESOURCES_FOLDER / LOCALES_FOLDER / d->currentLocale);
    QFileInfoList files;
    if (!Contains(d->locales, d->currentLocale))
    {
        // Nothing to load; the service and the observers still hear the name.
    }
    else if (d->resourceNames.empty())
    {
        d->HearFolderChanges();
        const QList<QFileInfo>* unchanged = d->Unchanged(folder);
        files = unchanged ? *unchanged : d->Listed(folder, FileStamp::Of(folder), QStringLiteral(".qm"));
    }
    else
    {
        for (const std::string& name : d->resourceNames)
        {
            const QFileInfo file(folder + QLatin1Char('/') +
                                 QString::fromStdString(name + "_" + d->currentLocale) +
                                 QStringLiteral(".qm"));
            if (file.exists())
                files << file;
            else
                LOG(WARNING) << "The translation file [" << file.absoluteFilePath().toStdString()
                             << "] doesn't exist!";
        }
    }
    for (const QFileInfo& file : files)
    {
        if (!file.isFile())
            continue;
        auto translator = boost::make_shared<QTranslator>();
        if (!translator->load(file.absoluteFilePath()))
            continue;
        QCoreApplication::installTranslator(translator.get());
        d->translators.push_back(translator);
    }

    Kavrel::Core::GetLocalizationManager()->SetLocale(d->currentLocale);
    const std::string changed = d->currentLocale;
    d->observers.Notify([&changed](ILookAndFeelObserver* observer) { observer->OnLocaleChanged(changed); });
}

void LookAndFeelManager::SetTheme(const std::string& theme)
{
    if (theme == d->currentTheme)
        return;
    d->HearFolderChanges();
    d->ClearCurrentTheme();
    if (theme.empty())
        return;
    d->currentTheme = theme;
    d->unitedStylesheet.clear();

    // Formatted once: arg() costs a locale per call.
    static const QString platformFonts = QStringLiteral("/fonts_%1.qss").arg(QLatin1String(PLATFORM));
    // The library's two sheets are compiled into it, registered as it loads
    // and so found before any theme's resource file, which is registered
    // later: read once per process, not at every switch.
    static const QByteArray productSheets =
        ReadSheet(QStringLiteral(":/productStyle.qss")) + '\n' +
        ReadSheet(QStringLiteral(":/productStyle_%1.qss").arg(QLatin1String(PLATFORM))) + '\n';
    QStringList sheets;
    for (const QFileInfo& file : d->GetFilteredResourceList())
    {
        if (!file.isFile())
            continue;
        const QString path = file.absoluteFilePath();
        RegisterResource(path);
        const QString root = QStringLiteral(":/") + file.baseName();
        sheets << root + QStringLiteral("/style.qss") << root + platformFonts;
        RegisterFonts(root + QStringLiteral("/fonts.manifest"), path);
    }
    for (const QString& sheet : sheets)
    {
        d->unitedStylesheet += ReadSheet(sheet);
        d->unitedStylesheet += '\n';
    }
    d->unitedStylesheet += productSheets;

    const std::string changed = d->currentTheme;
    d->observers.Notify([&changed](ILookAndFeelObserver* observer) { observer->OnThemeChanged(changed); });
}

const std::string& LookAndFeelManager::GetCurrentTheme() const { return d->currentTheme; }

std::string LookAndFeelManager::GetLocalizedThemeName(const std::string& theme) const
{
    const auto found = d->themeTitles.find(theme);
    if (found != d->themeTitles.end() && found->second.ChildExists(d->currentLocale))
        return found->second[d->currentLocale].GetString();
    LOG(WARNING) << "No title found for theme [" << theme << "] on language [" << d->currentLocale << "]!";
    return theme;
}

std::string LookAndFeelManager::GetUnitedStylesheet() { return d->unitedStylesheet.toStdString(); }

std::string LookAndFeelManager::GetDefaultLocale()
{
    auto* app = RunningApplication("LookAndFeelManager::GetDefaultLocale");
    if (!app || !RunningCustomization("LookAndFeelManager::GetDefaultLocale"))
        return UNKNOWN_LOCALE;
    const int code = app->GetInstallerSettings(std::string())->GetInt("Language", 0);
    return code != 0 ? LocaleNameFromInstallerCode(static_cast<unsigned int>(code)) : UNKNOWN_LOCALE;
}

void LookAndFeelManager::RegisterObserver(ILookAndFeelObserver* observer)
{
    d->observers.Subscribe(observer);
}

void LookAndFeelManager::UnregisterObserver(ILookAndFeelObserver* observer)
{
    d->observers.Unsubscribe(observer);
}

std::string LookAndFeelManager::LocaleNameFromInstallerCode(unsigned int code)
{
    static const std::map<unsigned int, const char*> table = {
        {0x0404, "zh_TW"}, {0x0407, "de_DE"}, {0x040A, "es_ES"}, {0x040C, "fr_FR"}, {0x0410, "it_IT"},
        {0x0411, "ja_JP"}, {0x0412, "ko_KR"}, {0x0413, "nl_NL"}, {0x0415, "pl_PL"}, {0x0416, "pt_BR"},
        {0x0419, "ru_RU"}, {0x041F, "tr_TR"}, {0x0804, "zh_CN"}, {0x0816, "pt_PT"},
    };
    const auto found = table.find(code);
    return found != table.end() ? found->second : FALLBACK_LOCALE;
}

QList<QFileInfo> LookAndFeelManager::Private::GetFilteredResourceList()
{
    const QString dir = themesFolder + QString::fromStdString(currentTheme);
    const QList<QFileInfo>* unchanged = Unchanged(dir);
    FileStamp folder;
    if (!unchanged && !(folder = FileStamp::Of(dir)).exists)
    {
        LOG(ERROR) << "The directory [" << dir.toStdString() << "] doesn't exist!";
        return {};
    }
    // Only an installed theme loads files: any other name (an absolute path,
    // one with "..", a folder without a description) is not one of ours.
    if (!Contains(themes, currentTheme))
    {
        LOG(ERROR) << "The theme [" << currentTheme << "] is not installed; none of its files are loaded";
        return {};
    }
    if (resourceNames.empty())
        return unchanged ? *unchanged : Listed(dir, folder, QStringLiteral(".rcc"));
    QList<QFileInfo> files;
    for (const std::string& name : resourceNames)
    {
        const QFileInfo file(dir + QLatin1Char('/') + QString::fromStdString(name) + QStringLiteral(".rcc"));
        if (file.exists())
            files << file;
        else
            LOG(WARNING) << "The resource file [" << file.absoluteFilePath().toStdString()
                         << "] doesn't exist!";
    }
    return files;
}

void LookAndFeelManager::Private::ClearCurrentTheme()
{
    if (currentTheme.empty())
    {
        QPixmapCache::clear();
        return;
    }
    // The listing is the one the theme was loaded with, unless its folder
    // changed since.
    for (const QFileInfo& file : GetFilteredResourceList())
        if (file.isFile())
            QResource::unregisterResource(file.absoluteFilePath());
    currentTheme.clear();
    QPixmapCache::clear();
}

} // namespace Kavrel::App
