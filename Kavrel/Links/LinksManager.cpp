#include <Kavrel/App/Application/ICustomizationManager.h>
#include <Kavrel/App/Application/ILookAndFeelManager.h>
#include <Kavrel/App/Application/ISettingsManager.h>
#include <Kavrel/Core/AppLocations.h>
#include <Kavrel/Links/LinksManager.h>

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

#include <glog/logging.h>

namespace Kavrel::App
{

namespace
{
const char DEFAULT_LOCALE[] = "en_US";
// Far more than a family's links need. Qt's parser bounds the nesting itself.
constexpr qint64 MAX_TABLE_BYTES = 4 * 1024 * 1024;

QJsonObject ReadTable(const QString& file)
{
    QFile table(file);
    if (!table.open(QIODevice::ReadOnly))
    {
        LOG(WARNING) << "The link table [" << file.toStdString() << "] cannot be opened; links are empty";
        return {};
    }
    const QByteArray bytes = table.read(MAX_TABLE_BYTES + 1);
    if (bytes.size() > MAX_TABLE_BYTES)
    {
        LOG(WARNING) << "The link table [" << file.toStdString() << "] is larger than " << MAX_TABLE_BYTES
                     << " bytes; links are empty";
        return {};
    }
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
    {
        LOG(WARNING) << "The link table [" << file.toStdString() << "] is malformed ("
                     << error.errorString().toStdString() << " at " << error.offset << "); links are empty";
        return {};
    }
    return document.object().value(QStringLiteral("products")).toObject();
}

// A key's entry for one locale: the exact locale, its language, then "*".
QString PickForLocale(const QJsonValue& entry, const QString& locale)
{
    if (entry.isString())
        return entry.toString();
    const QJsonObject byLocale = entry.toObject();
    for (const QString& candidate : {locale, locale.section(QLatin1Char('_'), 0, 0), QStringLiteral("*")})
        if (byLocale.contains(candidate))
            return byLocale.value(candidate).toString();
    return {};
}
} // namespace

LinksManager::LinksManager(boost::shared_ptr<ICustomizationManager> customizationManager,
                           boost::shared_ptr<ILookAndFeelManager> lookAndFeelManager,
                           boost::shared_ptr<ISettingsManager> mail,
                           boost::shared_ptr<ISettingsManager> installer)
    : LinksManager(std::move(customizationManager), std::move(lookAndFeelManager), std::move(mail),
                   std::move(installer), DefaultTableFile())
{
}

class KAVRELLINKS_NO_EXPORT LinksManager::Private
{
public:
    QString Lookup(const std::string& keyName) const;

    boost::shared_ptr<ICustomizationManager> customization;
    boost::shared_ptr<ILookAndFeelManager> lookAndFeel;
    boost::shared_ptr<ISettingsManager> mailSettings;
    boost::shared_ptr<ISettingsManager> installerSettings;
    QJsonObject products;
};

LinksManager::LinksManager(boost::shared_ptr<ICustomizationManager> customizationManager,
                           boost::shared_ptr<ILookAndFeelManager> lookAndFeelManager,
                           boost::shared_ptr<ISettingsManager> mail,
                           boost::shared_ptr<ISettingsManager> installer, const QString& tableFile)
    : d(std::make_unique<Private>())
{
    d->customization = std::move(customizationManager);
    d->lookAndFeel = std::move(lookAndFeelManager);
    d->mailSettings = std::move(mail);
    d->installerSettings = std::move(installer);
    d->products = ReadTable(tableFile);
}

LinksManager::~LinksManager() = default;

QString LinksManager::DefaultTableFile()
{
    const QString shipped = QString::fromStdString(
        (Kavrel::Core::AppLocations::GetLocations().GetResourcesFolder() / "links.json").utf8string());
    return QFileInfo::exists(shipped) ? shipped : QStringLiteral(":/Kavrel/Links/links.json");
}

QString LinksManager::GetUrl(const QString& link) const
{
    if (link.contains(QLatin1String("://")))
        return link;
    return d->Lookup(link.toStdString());
}

QString LinksManager::GetUrl(URLKeys key) const
{
    const auto name = URLKeyNames.find(key);
    return name == URLKeyNames.end() ? QString() : d->Lookup(name->second);
}

void LinksManager::OpenUrl(const QString& link) const
{
    const QString address = GetUrl(link);
    if (!address.isEmpty())
        QDesktopServices::openUrl(QUrl(address));
}

void LinksManager::OpenUrl(URLKeys key) const
{
    const QString address = GetUrl(key);
    if (!address.isEmpty())
        QDesktopServices::openUrl(QUrl(address));
}

QString LinksManager::Private::Lookup(const std::string& keyName) const
{
    const QString key = QString::fromStdString(keyName);
    const QString product =
        customization ? QString::fromStdString(customization->GetProductCodeName()) : QString();
    QString locale = lookAndFeel ? QString::fromStdString(lookAndFeel->GetCurrentLocale()) : QString();
    if (locale.isEmpty())
        locale = QLatin1String(DEFAULT_LOCALE);

    QString address;
    for (const QString& table : {product, QStringLiteral("*")})
    {
        const QJsonObject links = products.value(table).toObject();
        if (links.contains(key))
        {
            address = PickForLocale(links.value(key), locale);
            break;
        }
    }
    if (address.isEmpty())
        return address;
    const QString version = customization ? QString::fromStdString(customization->GetVersionMajor() + "." +
                                                                   customization->GetVersionMinor())
                                          : QString();
    return address.replace(QLatin1String("{locale}"), locale)
        .replace(QLatin1String("{lang}"), locale.section(QLatin1Char('_'), 0, 0))
        .replace(QLatin1String("{product}"), product)
        .replace(QLatin1String("{version}"), version);
}

} // namespace Kavrel::App
