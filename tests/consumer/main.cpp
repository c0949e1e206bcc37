// Builds against the installed headers only and runs the start sequence.
#include <Kavrel/App/Application/AboutBoxDialog.h>
#include <Kavrel/App/Application/AlertBox.h>
#include <Kavrel/App/Application/Application.h>
#include <Kavrel/App/Application/ConfirmationAlertBox.h>
#include <Kavrel/App/Application/CrashTracker.h>
#include <Kavrel/App/Application/EmailDialog.h>
#include <Kavrel/App/Application/EmailWidget.h>
#include <Kavrel/App/Application/EntryWrapper.h>
#include <Kavrel/App/Application/ICustomizationManager.h>
#include <Kavrel/App/Application/ISettingsManagerObserver.h>
#include <Kavrel/App/Application/LookAndFeelManager.h>
#include <Kavrel/App/Application/ProductConstants.h>
#include <Kavrel/App/Application/ResourcePaths.h>
#include <Kavrel/App/Application/SettingsManager.h>
#include <Kavrel/Util/EmailValidator.h>

#include <QTemporaryDir>
#include <QTimer>

#include <boost/make_shared.hpp>

#include <algorithm>
#include <cstdio>
#include <string>

namespace
{
class Product : public Kavrel::App::ICustomizationManager
{
public:
    std::string GetOrganizationName() const override { return "Kavrel"; }
    std::string GetProductFolderName() const override { return "Consumer"; }
    std::string GetVersionMajor() const override { return "3"; }
    std::string GetVersionMinor() const override { return "4"; }
    std::string GetApplicationName() const override { return "Consumer"; }
    std::string GetProductName() const override { return "Consumer"; }
    std::string GetProductCodeName() const override { return "Consumer"; }
    QPixmap GetApplicationIcon() const override { return {}; }
    std::string GetEditionName() const override { return {}; }
    std::string GetCustomAboutCaption() const override { return {}; }
    bool IsEmailDialogEnabled() const override { return false; }
    std::string GetSupportEmail() const override { return {}; }
    void SetLocale(const std::string&) override {}
};

// Every class constant is usable by reference, not only as a value.
bool ConstantsLinkByReference()
{
    using Kavrel::App::Application;
    using Kavrel::App::LookAndFeelManager;
    const int days = std::max(1, Application::DAYS_TO_FILE_EXPIRE);
    const int* delay = &Application::AUTO_UPDATE_DELAY_MS;
    const char* const texts[] = {
        LookAndFeelManager::RESOURCES_FOLDER,      LookAndFeelManager::LOCALES_FOLDER,
        LookAndFeelManager::THEMES_FOLDER,         LookAndFeelManager::UNKNOWN_LOCALE,
        LookAndFeelManager::FALLBACK_LOCALE,       LookAndFeelManager::PLATFORM,
        Kavrel::App::AlertBox::SUB_STYLE_PROPERTY, Kavrel::App::ProductConstants::OrganizationFolder};
    const auto& folder = Kavrel::App::ProductConstants::OrganizationFolder;
    return days == 10 && *delay == 5000 &&
           std::all_of(std::begin(texts), std::end(texts), [](const char* text) { return text && *text; }) &&
           &folder[0] == texts[7];
}

int RealMain(int argc, char** argv)
{
    // The product's own constants, registered before main by the package.
    using Kavrel::App::ProductConstants;
    const std::string product = ProductConstants::ProductId() + " " +
                                ProductConstants::ProductVersionMajor() + "." +
                                ProductConstants::ProductVersionMinor();

    Kavrel::App::Application app(argc, argv);
    const bool ownTracker =
        Kavrel::App::CrashTracker::TrackerFilePath().contains(QStringLiteral("/" EXPECTED_PRODUCT "/"));
    app.SetCustomizationManager(boost::make_shared<Product>());
    QTemporaryDir folder;
    app.SetSettingsManager(
        boost::make_shared<Kavrel::App::SettingsManager>(folder.filePath("s.ini"), QSettings::IniFormat));
    bool started = false;
    QObject::connect(&app, &Kavrel::App::Application::ApplicationStarted, [&] { started = true; });
    QTimer::singleShot(0, &app,
                       [&]
                       {
                           app.Start();
                           app.quit();
                       });
    app.exec();
    std::printf("%s started=%d resources=%s product=%s own tracker=%d constants=%d\n",
                qPrintable(app.GetFullApplicationName()), started,
                Kavrel::App::GetPathToResources().utf8string().c_str(), product.c_str(), ownTracker,
                ConstantsLinkByReference());
    return started && app.GetFullApplicationName() == "Kavrel Consumer 3.4" && product == EXPECTED_PRODUCT &&
                   ownTracker && ConstantsLinkByReference()
               ? 0
               : 1;
}
} // namespace

int main() { return Kavrel::App::EntryWrapper(&RealMain); }
