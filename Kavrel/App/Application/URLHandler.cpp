#include <Kavrel/App/Application/AbstractPreferredBrowser.h>
#include <Kavrel/App/Application/URLHandler.h>
#include <Kavrel/Platform/ProcessStarter.h>
#include <Kavrel/Util/StringConversions.h>

#include <QDesktopServices>
#include <QProcess>

namespace Kavrel::App
{

namespace
{
bool StartDetached(const QStringList& command)
{
    std::vector<std::string> arguments;
    for (const QString& part : command)
        arguments.push_back(Kavrel::Util::QStringToUtf8(part));
    const auto started = Kavrel::Platform::GetProcessStarter().StartDetached(arguments);
    Kavrel::Platform::CloseProcessHandle(started.handle);
    return started.started;
}
} // namespace

class KAVRELAPPLICATION_NO_EXPORT URLHandler::Private
{
public:
    boost::shared_ptr<AbstractPreferredBrowser> browser;
};

URLHandler::URLHandler(QObject* parent, boost::shared_ptr<AbstractPreferredBrowser> preferred)
    : QObject(parent), d(std::make_unique<Private>())
{
    d->browser = std::move(preferred);
}

URLHandler::~URLHandler() = default;

void URLHandler::OpenURLWithPreferredBrowser(const QUrl& url)
{
    const QString path = d->browser->GetBrowserPath();
    if (!path.isEmpty())
    {
        // The store-app browser is reached through its protocol, not its file.
        const bool started = path.contains(QLatin1String("MicrosoftEdge"))
                                 ? StartDetached(QProcess::splitCommand(
                                       QString(QStringLiteral("start microsoft-edge:") + url.toString())))
                                 : StartDetached({path, url.toString()});
        if (started)
            return;
    }
    // Called from inside the registered handler, Qt goes to the system's own.
    QDesktopServices::openUrl(url);
}

} // namespace Kavrel::App
