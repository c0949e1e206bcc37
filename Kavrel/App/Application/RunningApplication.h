#pragma once

#include <boost/shared_ptr.hpp>

namespace Kavrel::App
{

class Application;
class ICustomizationManager;

// The one way the library's parts reach the services the application object
// holds. Under a plain QApplication (or with none) there is no such object:
// the caller gets null and takes its documented fallback, and the log says
// so once per caller (`who`, a short name of the part asking).
Application* RunningApplication(const char* who);
// The product's customisation; null before SetCustomizationManager, with the
// same single log line.
boost::shared_ptr<ICustomizationManager> RunningCustomization(const char* who);

} // namespace Kavrel::App
