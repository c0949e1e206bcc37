#pragma once

#include "TestEnvironment.h"

#include <Kavrel/App/Application/Application.h>
#include <Kavrel/App/Application/CrashTracker.h>
#include <Kavrel/App/Application/ICustomizationManager.h>
#include <Kavrel/App/Application/ISettingsManagerObserver.h>
#include <Kavrel/App/Application/SettingsManager.h>
#include <Kavrel/Platform/ProcessStarter.h>

#include <QApplication>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

#include <boost/make_shared.hpp>

#include <Kavrel/App/Application/LookAndFeelManager.h>
#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QSignalSpy>

namespace Kavrel::Test
{

// A product's self-description with plain fields that tests set as needed;
// the locales it was told to follow are recorded, and how often it was asked
// whether the e-mail sign-up is enabled.
class TestProduct : public Kavrel::App::ICustomizationManager
{
public:
    std::string organization = "Org";
    std::string folderName = "Player";
    std::string versionMajor = "1";
    std::string versionMinor = "0";
    std::string applicationName = "Player";
    std::string productName = "Player";
    std::string codeName = "Player";
    std::string edition, aboutCaption, supportEmail;
    bool emailDialogEnabled = false;
    mutable int emailDialogQuestions = 0;
    QImage icon; // a QPixmap could not exist before the application
    std::vector<std::string> locales;

    std::string GetOrganizationName() const override { return organization; }
    std::string GetProductFolderName() const override { return folderName; }
    std::string GetVersionMajor() const override { return versionMajor; }
    std::string GetVersionMinor() const override { return versionMinor; }
    std::string GetApplicationName() const override { return applicationName; }
    std::string GetProductName() const override { return productName; }
    std::string GetProductCodeName() const override { return codeName; }
    QPixmap GetApplicationIcon() const override { return QPixmap::fromImage(icon); }
    std::string GetEditionName() const override { return edition; }
    std::string GetCustomAboutCaption() const override { return aboutCaption; }
    bool IsEmailDialogEnabled() const override { return ++emailDialogQuestions, emailDialogEnabled; }
    std::string GetSupportEmail() const override { return supportEmail; }
    void SetLocale(const std::string& locale) override { locales.push_back(locale); }
};

inline boost::shared_ptr<TestProduct> MakeProduct() { return boost::make_shared<TestProduct>(); }

// The command line of an application object that a test makes: the options
// follow the program name. It must outlive the object.
struct CommandLine
{
    explicit CommandLine(std::vector<std::string> options = {}) : arguments(std::move(options))
    {
        arguments.insert(arguments.begin(), "tests");
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argc = static_cast<int>(argv.size());
        argv.push_back(nullptr);
    }
    std::vector<std::string> arguments;
    std::vector<char*> argv;
    int argc = 0;
};

// A new settings file in this process's own folder; with content, written first.
inline QString NewSettingsFile(const std::string& content = "")
{
    static int count = 0;
    return QString::fromStdString(
        WriteFile(IsolatedRoot() + "/settings" + std::to_string(++count) + ".ini", content));
}

inline boost::shared_ptr<Kavrel::App::ISettingsManager> IniStore(const QString& file)
{
    return boost::make_shared<Kavrel::App::SettingsManager>(file, QSettings::IniFormat);
}

// An application object for the product, and a scratch folder.
struct TestApplication
{
    explicit TestApplication(std::vector<std::string> options = {}) : commandLine(std::move(options))
    {
        app.SetCustomizationManager(product);
    }

    QTemporaryDir folder;
    boost::shared_ptr<TestProduct> product = MakeProduct();
    CommandLine commandLine;
    Kavrel::App::Application app{commandLine.argc, commandLine.argv.data()};
    // Learnt before the product's names move the data folder.
    const QString trackerFile = Kavrel::App::CrashTracker::TrackerFilePath();
};

class AppTest : public ::testing::Test, public TestApplication
{
};

// Values of every type shown as text, so that one log holds changes of all types.
inline std::string Show(bool v) { return v ? "true" : "false"; }
inline std::string Show(int v) { return std::to_string(v); }
inline std::string Show(long long v) { return std::to_string(v); }
inline std::string Show(const std::string& v) { return v; }
inline std::string Show(double v) { return QString::number(v, 'g', 17).toStdString(); }
inline std::string Show(const std::vector<unsigned char>& v)
{
    return "0x" + QByteArray(reinterpret_cast<const char*>(v.data()), int(v.size())).toHex().toStdString();
}

// Logs each notification of a settings store as "[<name> ]<type> <key>=<value>[ was <previous>]"
// into a log that several observers may share; `then` runs inside the notification, after
// logging, with the value.
class SettingsRecorder : public Kavrel::App::ISettingsManagerObserver
{
public:
    using Str = const std::string&;
    template <class T> using Opt = boost::optional<T>;
    using Bytes = std::vector<unsigned char>;

    SettingsRecorder(std::string name, std::vector<std::string>& log) : name(std::move(name)), log(log) {}
    std::function<void(const std::string& value)> then;

    void OnBoolChanged(Str k, bool v, const Opt<bool>& p) override { Add("Bool", k, v, p); }
    void OnIntChanged(Str k, int v, const Opt<int>& p) override { Add("Int", k, v, p); }
    void OnStringChanged(Str k, Str v, const Opt<std::string>& p) override { Add("String", k, v, p); }
    void OnByteArrayChanged(Str k, const Bytes& v, const Opt<Bytes>& p) override
    {
        Add("ByteArray", k, v, p);
    }
    void OnInt64Changed(Str k, long long v, const Opt<long long>& p) override { Add("Int64", k, v, p); }
    void OnDoubleChanged(Str k, double v, const Opt<double>& p) override { Add("Double", k, v, p); }

private:
    template <class T> void Add(const char* type, Str key, const T& value, const Opt<T>& previous)
    {
        log.push_back((name.empty() ? "" : name + ' ') + type + ' ' + key + '=' + Show(value) +
                      (previous ? " was " + Show(*previous) : ""));
        if (then)
            then(Show(value));
    }
    std::string name;
    std::vector<std::string>& log;
};

// While it lives, records what the library would start instead of starting it.
class RecordingStarter : public Kavrel::Platform::ProcessStarter
{
public:
    RecordingStarter() : previous(Kavrel::Platform::SetProcessStarter(this)) {}
    ~RecordingStarter() override { Kavrel::Platform::SetProcessStarter(previous); }
    Kavrel::Platform::StartedProcess StartDetached(const std::vector<std::string>& arguments) override
    {
        if (onStart)
            onStart();
        starts.push_back(arguments);
        Kavrel::Platform::StartedProcess result;
        result.started = succeed;
        return result;
    }
    Kavrel::Platform::StartedProcess OpenDocument(const std::string& path) override
    {
        opened.push_back(path);
        return {};
    }

    bool succeed = true;
    std::function<void()> onStart;
    std::vector<std::vector<std::string>> starts;
    std::vector<std::string> opened;

private:
    Kavrel::Platform::ProcessStarter* previous;
};

} // namespace Kavrel::Test
