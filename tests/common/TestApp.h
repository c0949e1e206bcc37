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

// Logs a store's Bool, Int and String changes as "<key>=<value>", in order.
class ChangeLog : public Kavrel::App::ISettingsManagerObserver
{
public:
    std::vector<std::string> changes;
    void OnBoolChanged(const std::string& k, bool v, const boost::optional<bool>&) override
    {
        changes.push_back(k + "=" + (v ? "true" : "false"));
    }
    void OnIntChanged(const std::string& k, int v, const boost::optional<int>&) override
    {
        changes.push_back(k + "=" + std::to_string(v));
    }
    void OnStringChanged(const std::string& k, const std::string& v,
                         const boost::optional<std::string>&) override
    {
        changes.push_back(k + "=" + v);
    }
    void OnByteArrayChanged(const std::string&, const std::vector<unsigned char>&,
                            const boost::optional<std::vector<unsigned char>>&) override
    {
    }
    void OnInt64Changed(const std::string&, long long, const boost::optional<long long>&) override {}
    void OnDoubleChanged(const std::string&, double, const boost::optional<double>&) override {}
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

// Hands the next modal message box to `answer` as soon as it shows; the
// answer must close it.
inline void AnswerNextBox(std::function<void(QMessageBox*)> answer)
{
    auto* poll = new QTimer(QCoreApplication::instance());
    QObject::connect(poll, &QTimer::timeout,
                     [poll, answer]
                     {
                         if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                         {
                             poll->stop();
                             poll->deleteLater();
                             answer(box);
                         }
                     });
    poll->start(5);
}

} // namespace Kavrel::Test
