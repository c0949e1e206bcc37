#include <Kavrel/App/Application/Application.h>
#include <Kavrel/App/Application/CrashTracker.h>
#include <Kavrel/App/Application/EmailDialog.h>
#include <Kavrel/App/Application/EventHandler.h>
#include <Kavrel/App/Application/ICustomizationManager.h>
#include <Kavrel/App/Application/ILookAndFeelManager.h>
#include <Kavrel/App/Application/ISettingsManager.h>
#include <Kavrel/App/Application/PreferredBrowser.h>
#include <Kavrel/App/Application/ProductConstants.h>
#include <Kavrel/App/Application/RestartApplication.h>
#include <Kavrel/App/Application/SettingsManager.h>
#include <Kavrel/App/Application/URLHandler.h>
#include <Kavrel/Links/LinksManager.h>
#include <Kavrel/Platform/Environment.h>
#include <Kavrel/Platform/Event.h>
#include <Kavrel/Platform/NamedMutex.h>
#include <Kavrel/Platform/Process.h>
#include <Kavrel/Platform/ProcessStarter.h>
#include <Kavrel/Util/AppMutexLocker.h>
#include <Kavrel/Util/RemoveDir.h>
#include <Kavrel/Util/StringConversions.h>

#include "LoggingGuard.h"
#include "NativeEventFilter.h"
#include "UrlTest.h"

#include <Kavrel/App/Application/Gesture/Scroller.h>

#include <QAbstractScrollArea>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QMainWindow>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <QTouchEvent>
#include <QtConcurrent/QtConcurrentRun>

#include <boost/make_shared.hpp>
#include <boost/optional.hpp>
#include <glog/logging.h>

#include <algorithm>
#include <cstring>

using Kavrel::Util::Utf8ToQString;

namespace Kavrel::App
{

// Members in the order the shut-down depends on (see ~Application).
class KAVRELAPPLICATION_NO_EXPORT Application::Private
{
public:
    // The product store falls back to the general one, the mail store to
    // the product store.
    boost::shared_ptr<ISettingsManager> ProductStore() const
    {
        return productSettingsManager ? productSettingsManager : settingsManager;
    }
    boost::shared_ptr<ISettingsManager> MailStore() const
    {
        return mailSettingsManager ? mailSettingsManager : ProductStore();
    }

    std::unique_ptr<Kavrel::Platform::NamedMutex> applicationMutex;
    NativeEventFilter* nativeFilter = nullptr;
    boost::shared_ptr<ICustomizationManager> customizationManager;
    boost::shared_ptr<ILookAndFeelManager> lookAndFeel;
    boost::shared_ptr<ISettingsManager> settingsManager;
    boost::shared_ptr<ISettingsManager> productSettingsManager;
    boost::shared_ptr<ISettingsManager> mailSettingsManager;
    QPointer<QMainWindow> mainWindow;
    bool started = false;
    std::unique_ptr<CrashTracker> crashTracker;
    // How sessions end, beside the crash records; termination requests
    // arrive through the event and quit through the normal path.
    Kavrel::Platform::Event terminationRequested;
    std::unique_ptr<SessionHistory> sessions;
    QSocketNotifier* terminationNotifier = nullptr;
    boost::optional<LaunchType> launchType;
    boost::shared_ptr<ILinksManager> linksManager;
    boost::shared_ptr<AbstractPreferredBrowser> preferredBrowser;
};

namespace
{
// Process-wide: a drag is a button held down while the mouse moves.
bool buttonDown = false;
bool dragging = false;

const char INSTALLER_MESSAGE_FILE[] = "InstallerMessage.vbs";

// A single-shot child timer: named, so that a test can find it and fire it
// instead of waiting for it.
template <class Slot>
void StartNamedTimer(QObject* owner, const QString& name, int ms, Qt::TimerType type, Slot slot)
{
    auto* timer = new QTimer(owner);
    timer->setObjectName(name);
    timer->setSingleShot(true);
    timer->setTimerType(type);
    QObject::connect(timer, &QTimer::timeout, owner, slot);
    QObject::connect(timer, &QTimer::timeout, timer, &QObject::deleteLater);
    timer->start(ms);
}

// During a drag the web engine's shared timer would starve the event loop.
const char STARVING_TIMER_CLASS[] = "WebCore::SharedTimerQt";
} // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv), d(std::make_unique<Private>())
{
    // Other processes (the installer above all) look for this name. Taking
    // it never stalls the start: a process that keeps it exclusively only
    // costs us the name.
    d->applicationMutex =
        std::make_unique<Kavrel::Platform::NamedMutex>(ProductConstants::ApplicationMutexName());
    if (!d->applicationMutex->IsHeld())
        LOG(WARNING) << "Running without the application mutex [" << ProductConstants::ApplicationMutexName()
                     << "]: "
                     << (d->applicationMutex->GetOutcome() ==
                                 Kavrel::Platform::NamedMutex::Outcome::HeldByOther
                             ? std::string("another process keeps it exclusively")
                             : std::strerror(d->applicationMutex->Error()));
    d->nativeFilter = new NativeEventFilter(this);
    d->crashTracker = std::make_unique<CrashTracker>();
    d->sessions = std::make_unique<SessionHistory>(d->terminationRequested.Handle());
    if (d->terminationRequested.Handle() >= 0)
    {
        d->terminationNotifier =
            new QSocketNotifier(d->terminationRequested.Handle(), QSocketNotifier::Read, this);
        connect(d->terminationNotifier, &QSocketNotifier::activated, this,
                [this]
                {
                    d->terminationNotifier->setEnabled(false); // the event stays set
                    LOG(INFO) << "Asked to quit by a termination request";
                    quit();
                });
    }
    d->preferredBrowser.reset(new PreferredBrowser);
    setEffectEnabled(Qt::UI_AnimateCombo, false);
    installNativeEventFilter(d->nativeFilter);
    // Every web address the program opens goes to the preferred browser.
    auto* urlHandler = new URLHandler(this, d->preferredBrowser);
    QDesktopServices::setUrlHandler(QStringLiteral("http"), urlHandler, "OpenURLWithPreferredBrowser");
    QDesktopServices::setUrlHandler(QStringLiteral("https"), urlHandler, "OpenURLWithPreferredBrowser");
    connect(this, &QCoreApplication::aboutToQuit, this, &Application::OnAboutToQuit);
}

Application::~Application()
{
    // The product's services go first, in this order, while the application
    // is still whole; then what the application owns.
    d->productSettingsManager.reset();
    d->settingsManager.reset();
    d->lookAndFeel.reset();
    d->customizationManager.reset();
    d->preferredBrowser.reset();
    d->launchType.reset();
    d->crashTracker.reset(); // removes this process's record once more
    d->sessions.reset();
    d->mainWindow = nullptr;
    d->linksManager.reset();
    d->mailSettingsManager.reset();
    delete d->nativeFilter; // releases the registered event handlers
    d->nativeFilter = nullptr;
    d->applicationMutex.reset();
}

void Application::SetCustomizationManager(boost::shared_ptr<ICustomizationManager> manager)
{
    d->customizationManager = std::move(manager);
    const ICustomizationManager& product = *d->customizationManager;
    // An empty code name removes the variable, as on Windows.
    Kavrel::Platform::SetEnvironmentVariable("GLOG_PRODUCT_NAME", product.GetProductCodeName());
    LoggingGuard::Instance();
    const std::string major = product.GetVersionMajor();
    const std::string minor = product.GetVersionMinor();
    setApplicationName(Utf8ToQString(product.GetApplicationName()));
    setApplicationVersion(Utf8ToQString(major + "." + minor));
    setOrganizationName(Utf8ToQString(product.GetOrganizationName()));
    LOG(INFO) << "Product Version: " << major << "." << minor;
}

boost::shared_ptr<ICustomizationManager> Application::GetCustomizationManager() const
{
    return d->customizationManager;
}

void Application::SetSettingsManager(boost::shared_ptr<ISettingsManager> manager)
{
    d->settingsManager = std::move(manager);
}

void Application::SetProductSettingsManager(boost::shared_ptr<ISettingsManager> manager)
{
    d->productSettingsManager = std::move(manager);
}

void Application::SetMailSettingsManager(boost::shared_ptr<ISettingsManager> manager)
{
    d->mailSettingsManager = std::move(manager);
}

void Application::SetLookAndFeel(boost::shared_ptr<ILookAndFeelManager> manager)
{
    d->lookAndFeel = std::move(manager);
}

boost::shared_ptr<ISettingsManager> Application::GetSettingsManager() { return d->settingsManager; }

boost::shared_ptr<const ISettingsManager> Application::GetSettingsManager() const
{
    return d->settingsManager;
}

boost::shared_ptr<ISettingsManager> Application::GetProductSettingsManager() { return d->ProductStore(); }

boost::shared_ptr<const ISettingsManager> Application::GetProductSettingsManager() const
{
    return d->ProductStore();
}

boost::shared_ptr<ISettingsManager> Application::GetMailSettingsManager() { return d->MailStore(); }

boost::shared_ptr<const ISettingsManager> Application::GetMailSettingsManager() const
{
    return d->MailStore();
}

boost::shared_ptr<ILookAndFeelManager> Application::GetLookAndFeel() { return d->lookAndFeel; }

boost::shared_ptr<const ILookAndFeelManager> Application::GetLookAndFeel() const { return d->lookAndFeel; }

void Application::SetMainWindow(QMainWindow* window) { d->mainWindow = window; }

QWidget* Application::GetMainWindow() const
{
    if (d->mainWindow)
        return d->mainWindow.data();
    return QApplication::activeWindow();
}

QString Application::ApplicationName() const
{
    if (d->customizationManager)
        return Utf8ToQString(d->customizationManager->GetApplicationName());
    return QCoreApplication::applicationName();
}

QString Application::GetFullApplicationName() const
{
    const ICustomizationManager& product = *d->customizationManager;
    QString name = QStringLiteral("%1 %2 %3")
                       .arg(Utf8ToQString(product.GetOrganizationName()), ApplicationName(),
                            QCoreApplication::applicationVersion());
    const std::string edition = product.GetEditionName();
    if (!edition.empty())
        name += QLatin1Char(' ') + Utf8ToQString(edition);
    return name;
}

void Application::RegisterEventHandler(boost::shared_ptr<EventHandler> handler)
{
    d->nativeFilter->Register(handler);
}

void Application::UnregisterEventHandler(boost::shared_ptr<EventHandler> handler)
{
    d->nativeFilter->Unregister(handler);
}

bool Application::HasUnreportedCrash() const { return d->crashTracker->HasUnreportedCrash(); }

void Application::ClearCrashes() { d->crashTracker->ClearHistory(); }

Application::LaunchType Application::CheckFirstLaunch() const
{
    const auto productStore = d->ProductStore();
    if (!productStore)
    {
        // Nothing to read from: it looks like a fresh install.
        LOG(WARNING) << "No settings store to compute the launch type from";
        return FirstLaunch;
    }
    ISettingsManager& store = *productStore;
    const std::string current = Kavrel::Util::QStringToUtf8(
        QCoreApplication::applicationVersion().replace(QLatin1Char('.'), QLatin1Char('-')));
    const std::string version = store.GetString("Version", std::string());
    const std::string installed = store.GetString("DateTime", std::string());
    const std::string seen = store.GetString("InstallDateTime", std::string());
    if (version != current)
    {
        store.SetString("Version", current);
        const bool neverStarted = store.GetString("DateOfFirstStart", std::string()).empty();
        store.SetString("IsRun", "1");
        store.SetString("DateOfFirstStart",
                        Kavrel::Util::QStringToUtf8(QDateTime::currentDateTime().toString(Qt::TextDate)));
        store.SetString("InstallDateTime", installed);
        return neverStarted ? FirstLaunch : UpdateLaunch;
    }
    if (installed != seen)
    {
        store.SetString("InstallDateTime", installed);
        return ReinstallLaunch;
    }
    return RegularLaunch;
}

Application::LaunchType Application::GetLaunchType()
{
    if (!d->launchType)
        d->launchType = CheckFirstLaunch();
    return *d->launchType;
}

bool Application::IsFirstLauch() const
{
    if (!d->launchType)
        d->launchType = CheckFirstLaunch();
    return *d->launchType == FirstLaunch || *d->launchType == UpdateLaunch;
}

boost::shared_ptr<ISettingsManager> Application::GetInstallerSettings(const std::string& key) const
{
    const ICustomizationManager& product = *d->customizationManager;
    const std::string productKey = key.empty() ? product.GetProductCodeName() : key;
    const QString path = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\") +
                         Utf8ToQString(product.GetOrganizationName()) + QLatin1Char('\\') +
                         Utf8ToQString(productKey);
    return boost::make_shared<SettingsManager>(path, QSettings::NativeFormat);
}

boost::shared_ptr<ILinksManager> Application::GetLinksManager() const
{
    if (!d->linksManager)
    {
        d->linksManager = boost::make_shared<LinksManager>(
            d->customizationManager, d->lookAndFeel, d->MailStore(), GetInstallerSettings(std::string()));
    }
    return d->linksManager;
}

std::string Application::GetUrl(const URLKeys& key) const
{
    const boost::shared_ptr<ILinksGenerator> links = GetLinksManager();
    return Kavrel::Util::QStringToUtf8(links->GetUrl(key));
}

QString Application::GetApplicationTemporaryFilesDir() const
{
    const QString separator = QDir::separator();
    const QString folder = QDir::toNativeSeparators(
        QDir::tempPath() + separator + Utf8ToQString(d->customizationManager->GetProductFolderName()) +
        separator + QStringLiteral("temp") + separator);
    QDir().mkpath(folder); // a failure shows when the folder is used
    return folder;
}

void Application::ClearApplicationTemporaryFiles(int days) const
{
    const QString folder = QDir(GetApplicationTemporaryFilesDir()).absolutePath();
    LOG(INFO) << "Removing all temporary files from directory " << Kavrel::Util::QStringToUtf8(folder);
    Kavrel::Util::RemoveDir(folder, days, false);
}

QString Application::GetPreferredBrowserUserAgent() { return d->preferredBrowser->GetUserAgent(); }

void Application::NeedToRestart() { RestartApplication(false, QPixmap(), QString()); }

bool Application::CheckRunnedInstaller()
{
    Kavrel::Util::AppMutexLocker locker({ProductConstants::InstallerMutexName()});
    if (locker.TryLockAppMutex())
        return false;
    // The script tells the user to wait for the installer; whether it could
    // be opened does not change the answer. The installer puts it beside
    // the program: one in the current folder may have been planted there,
    // and it is only ever opened as a document, never run.
    const std::string script = Kavrel::Platform::GetApplicationFilePath(INSTALLER_MESSAGE_FILE);
    const auto started = Kavrel::Platform::GetProcessStarter().OpenDocument(script);
    if (!started.started)
        LOG(WARNING) << "The installer's message [" << script << "] could not be opened";
    Kavrel::Platform::CloseProcessHandle(started.handle);
    return true;
}

void Application::Start()
{
    if (d->started)
        return;
    d->started = true;
    OnStart();
}

bool Application::IsStarted() const { return d->started; }

void Application::OnStart()
{
    d->preferredBrowser->RefreshBrowserPath();
    RunUrlTestFromCommandLine();
    // Precise: a coarse timer may fire up to 5% early.
    // Without any store the default holds; a product sets one before Start.
    const auto store = GetProductSettingsManager();
    if (!store || store->GetBool("autoUpdate", true))
        StartNamedTimer(this, QStringLiteral("kavrelAutoUpdateTimer"), AUTO_UPDATE_DELAY_MS, Qt::PreciseTimer,
                        [this] { Q_EMIT AutoUpdateCheckRequested(); });
    // Living this long after the start, the session is no start-up crash.
    StartNamedTimer(this, QStringLiteral("kavrelPastStartupTimer"), SessionHistory::STARTUP_WINDOW_MS,
                    Qt::CoarseTimer, [this] { d->sessions->MarkPastStartup(); });
    Q_EMIT ApplicationStarted();
    // Housekeeping, off the path to the first window. Logging started with
    // the customisation, if there is one.
    if (d->customizationManager)
        QtConcurrent::run([guard = &LoggingGuard::Instance()] { guard->SweepOldLogs(); });
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    switch (event->type())
    {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        buttonDown = true;
        break;
    case QEvent::MouseButtonRelease:
        buttonDown = false;
        dragging = false;
        break;
    case QEvent::MouseMove:
        if (buttonDown)
            dragging = true;
        break;
    case QEvent::Timer:
        if (dragging && receiver && qstrcmp(receiver->metaObject()->className(), STARVING_TIMER_CLASS) == 0)
            return false;
        break;
    case QEvent::ApplicationStateChange:
        if (!d->started && QGuiApplication::applicationState() == Qt::ApplicationActive)
            Start();
        break;
    case QEvent::Show:
        // Every scroll area scrolls by touch, with no code of the product's.
        if (auto* area = qobject_cast<QAbstractScrollArea*>(receiver))
        {
            const QObjectList& children = area->children();
            if (std::none_of(children.begin(), children.end(),
                             [](QObject* child) { return qobject_cast<Gesture::Scroller*>(child); }))
                new Gesture::Scroller(area);
        }
        break;
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
        if (d->nativeFilter->GetRouter()->touchEvent(receiver, static_cast<QTouchEvent*>(event)))
            return true;
        break;
    default:
        break;
    }
    return QApplication::notify(receiver, event);
}

void Application::ShowEmailDialogIfNeeded()
{
    if (!IsFirstLauch())
        return;
    if (!d->customizationManager || !d->customizationManager->IsEmailDialogEnabled())
        return;
    const auto mail = GetMailSettingsManager();
    if (mail && mail->GetString("IsRegUser", std::string()) == "1")
        return;
    if (GetLaunchType() != FirstLaunch)
        return;
    // The parent may go while the dialog runs; the guard then holds null.
    QPointer<EmailDialog> dialog = new EmailDialog(d->mainWindow ? d->mainWindow.data() : activeWindow());
    dialog->exec();
    delete dialog;
}

void Application::OnAboutToQuit()
{
    d->crashTracker->StopSession();
    d->sessions->MarkQuit();
}

SessionHistory::SessionEnd Application::GetPreviousSessionEnd() const
{
    return d->sessions->PreviousSession();
}

int Application::GetStartupCrashStreak() const { return d->sessions->StartupCrashStreak(); }

} // namespace Kavrel::App
