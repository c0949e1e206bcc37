#include "RunningApplication.h"

#include <Kavrel/App/Application/Application.h>
#include <Kavrel/App/Application/ICustomizationManager.h>

#include <QCoreApplication>

#include <glog/logging.h>

#include <mutex>
#include <set>
#include <string>

namespace Kavrel::App
{

namespace
{
// Each caller's missing service is said once: a box built a hundred times
// is one line.
void ReportOnce(const char* who, const char* what)
{
    static std::mutex mutex;
    static std::set<std::string> reported;
    std::lock_guard<std::mutex> lock(mutex);
    if (reported.insert(std::string(who) + '\n' + what).second)
        LOG(WARNING) << who << ": " << what;
}
} // namespace

Application* RunningApplication(const char* who)
{
    auto* app = qobject_cast<Application*>(QCoreApplication::instance());
    if (!app)
        ReportOnce(who, "no Kavrel::App::Application runs; going on without its services");
    return app;
}

boost::shared_ptr<ICustomizationManager> RunningCustomization(const char* who)
{
    Application* app = RunningApplication(who);
    auto customization = app ? app->GetCustomizationManager() : boost::shared_ptr<ICustomizationManager>();
    if (app && !customization)
        ReportOnce(who, "the product has not set its customisation yet; going on without it");
    return customization;
}

} // namespace Kavrel::App
