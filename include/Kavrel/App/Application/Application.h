#pragma once

#include <Kavrel/App/Application/KavrelApplicationExport.h>
#include <Kavrel/App/Application/SessionHistory.h>
#include <Kavrel/App/Application/URLKeys.h>

#include <QApplication>
#include <QString>

#include <boost/shared_ptr.hpp>

#include <memory>

class QMainWindow;

namespace Kavrel::App
{

class EventHandler;
class ICustomizationManager;
class ILinksManager;
class ILookAndFeelManager;
class ISettingsManager;

/// The one application object of a product: construct it instead of
/// QApplication. It holds the product's shared services (customisation,
/// settings stores, look and feel, main window) for its whole life and runs
/// the start sequence once, ending with ApplicationStarted().
class KAVRELAPPLICATION_EXPORT Application : public QApplication
{
    Q_OBJECT
public:
    enum LaunchType
    {
        FirstLaunch = 1,     ///< first start after a fresh install
        ReinstallLaunch = 2, ///< the same version was installed again
        UpdateLaunch = 3,    ///< first start after an update
        RegularLaunch = 4
    };

    Application(int& argc, char** argv);
    ~Application() override;

    /// Starts logging on the first call and hands the product's names and
    /// version to the toolkit. The manager must not be empty.
    void SetCustomizationManager(boost::shared_ptr<ICustomizationManager> manager);
    boost::shared_ptr<ICustomizationManager> GetCustomizationManager() const;

    void SetSettingsManager(boost::shared_ptr<ISettingsManager> manager);
    void SetProductSettingsManager(boost::shared_ptr<ISettingsManager> manager);
    void SetMailSettingsManager(boost::shared_ptr<ISettingsManager> manager);
    void SetLookAndFeel(boost::shared_ptr<ILookAndFeelManager> manager);

    boost::shared_ptr<ISettingsManager> GetSettingsManager();
    boost::shared_ptr<const ISettingsManager> GetSettingsManager() const;
    /// The product store, or the general store when none was set.
    boost::shared_ptr<ISettingsManager> GetProductSettingsManager();
    boost::shared_ptr<const ISettingsManager> GetProductSettingsManager() const;
    /// The mail store, or GetProductSettingsManager() when none was set.
    boost::shared_ptr<ISettingsManager> GetMailSettingsManager();
    boost::shared_ptr<const ISettingsManager> GetMailSettingsManager() const;
    boost::shared_ptr<ILookAndFeelManager> GetLookAndFeel();
    boost::shared_ptr<const ILookAndFeelManager> GetLookAndFeel() const;

    void SetMainWindow(QMainWindow* window);
    /// The main window while it exists, else the active window (may be null).
    QWidget* GetMainWindow() const;

    /// The product's application name, or the toolkit's before one is known.
    QString ApplicationName() const;
    /// "<organisation> <name> <version>[ <edition>]"; needs the customisation.
    QString GetFullApplicationName() const;

    void RegisterEventHandler(boost::shared_ptr<EventHandler> handler);
    void UnregisterEventHandler(boost::shared_ptr<EventHandler> handler);

    /// Whether an earlier run of this executable ended without shutting down.
    bool HasUnreportedCrash() const;
    /// Forgets every recorded session; HasUnreportedCrash() keeps its answer.
    void ClearCrashes();
    /// How the previous session of this executable ended: a normal quit, a
    /// crash (which signal), a termination request, or unknown (killed,
    /// power lost). The crash records above are not affected.
    SessionHistory::SessionEnd GetPreviousSessionEnd() const;
    /// Sessions in a row that crashed within SessionHistory::STARTUP_WINDOW_MS
    /// of ApplicationStarted; a product may offer a safe mode after a few.
    int GetStartupCrashStreak() const;

    /// How this start relates to the last installation; computed once per
    /// process from the product store's keys, which it then updates.
    LaunchType GetLaunchType();
    /// True for FirstLaunch and UpdateLaunch.
    bool IsFirstLauch() const;

    /// A new store on the installer's machine-wide branch of the product:
    /// "HKEY_LOCAL_MACHINE\SOFTWARE\<organisation>\<key>", the key being the
    /// product code name when empty. Needs the customisation.
    boost::shared_ptr<ISettingsManager> GetInstallerSettings(const std::string& key) const;

    /// The links manager, created on first use from the customisation, look
    /// and feel, mail store and installer store.
    boost::shared_ptr<ILinksManager> GetLinksManager() const;

    /// A user-agent text that imitates the preferred browser.
    QString GetPreferredBrowserUserAgent();

    /// Files older than this are stale; for products' own clean-ups.
    static constexpr int DAYS_TO_FILE_EXPIRE = 10;
    /// `<temp>/<product folder>/temp/`, created on every call. Needs the
    /// customisation.
    QString GetApplicationTemporaryFilesDir() const;
    /// Empties that folder of files older than `days` days (all when 0).
    void ClearApplicationTemporaryFiles(int days) const;
    /// Restarts the program without asking.
    virtual void NeedToRestart();

    /// For the product's main, before the application exists: true when the
    /// installer runs right now, in which case its message
    /// "InstallerMessage.vbs" beside the program has been opened with the
    /// desktop's handler.
    static bool CheckRunnedInstaller();

    /// Computes the launch type and updates the keys; products may override it.
    virtual LaunchType CheckFirstLaunch() const;
    /// Runs OnStart() once; later calls do nothing. Called by the product, or
    /// on the first activation of the application.
    virtual void Start();
    bool IsStarted() const;
    /// The address of a link in the current language, UTF-8; empty when the
    /// product has none.
    virtual std::string GetUrl(const URLKeys& key) const;
    /// The start sequence; products may override it and call the base.
    virtual void OnStart();

    bool notify(QObject* receiver, QEvent* event) override;

    /// Delay between the start and AutoUpdateCheckRequested().
    static constexpr int AUTO_UPDATE_DELAY_MS = 5000;

Q_SIGNALS:
    /// Emitted once, AUTO_UPDATE_DELAY_MS after the start, unless the product
    /// store's "autoUpdate" is false.
    void AutoUpdateCheckRequested();
    void ApplicationStarted();

protected:
    /// For a product's own OnStart: shows the e-mail sign-up modally on the
    /// first start after a fresh install, when the product enables it and the
    /// user has not registered yet (mail store "IsRegUser" is not "1").
    void ShowEmailDialogIfNeeded();

protected Q_SLOTS:
    void OnAboutToQuit();

private:
    class Private;
    std::unique_ptr<Private> d;
};

} // namespace Kavrel::App
