// The e-mail sign-up: what each way out of the dialog writes, in which
// order, and when the application offers it at all.
#include "DialogTestSupport.h"

#include <Kavrel/App/Application/EmailDialog.h>

#include <QLineEdit>
#include <QPushButton>

using Kavrel::App::Application;
using Kavrel::App::EmailDialog;

namespace
{

// A product whose start is of a chosen kind and which offers the sign-up.
class SignUpApplication : public Application
{
public:
    using Application::Application;
    using Application::ShowEmailDialogIfNeeded;
    LaunchType launch = FirstLaunch;
    LaunchType CheckFirstLaunch() const override { return launch; }
};

class EmailDialogTest : public ::testing::Test
{
protected:
    EmailDialogTest()
    {
        app.SetCustomizationManager(product);
        app.SetMailSettingsManager(mail);
        mail->RegisterObserver(&log);
    }
    ~EmailDialogTest() override { mail->UnregisterObserver(&log); }

    Kavrel::Test::CommandLine commandLine;
    SignUpApplication app{commandLine.argc, commandLine.argv.data()};
    boost::shared_ptr<Kavrel::Test::TestProduct> product = Kavrel::Test::MakeProduct();
    boost::shared_ptr<Kavrel::App::SettingsManager> mail = boost::make_shared<Kavrel::App::SettingsManager>(
        Kavrel::Test::NewSettingsFile(), QSettings::IniFormat);
    std::vector<std::string> changes;
    Kavrel::Test::SettingsRecorder log{"", changes};
};

struct AnswerCase
{
    const char* name;
    const char* typed;
    const char* press; // a button's object name, or "Escape"
    std::vector<std::string> written;
    int result; // QDialog::Accepted or Rejected; -1: still open
    const char* state;
};
void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.name; }

class EmailDialogAnswers : public EmailDialogTest, public ::testing::WithParamInterface<AnswerCase>
{
};

TEST_P(EmailDialogAnswers, eachWayOutWritesItsKeysInOrder)
{
    const AnswerCase& c = GetParam();
    EmailDialog dialog;
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    auto* edit = dialog.findChild<QLineEdit*>("emailEdit");
    EXPECT_TRUE(edit->hasFocus());
    QTest::keyClicks(edit, QString::fromUtf8(c.typed));
    if (std::string(c.press) == "Escape")
        QTest::keyClick(edit, Qt::Key_Escape);
    else
        QTest::mouseClick(dialog.findChild<QPushButton*>(QLatin1String(c.press)), Qt::LeftButton);

    EXPECT_EQ(changes, c.written);
    EXPECT_EQ(dialog.isVisible() ? -1 : dialog.result(), c.result);
    EXPECT_EQ(edit->property("state").toString(), QLatin1String(c.state));
    const bool refused = std::string(c.state) == "invalid";
    EXPECT_EQ(edit->toolTip(), refused ? "Please enter a valid email address" : QString());
}

INSTANTIATE_TEST_SUITE_P(
    Ways, EmailDialogAnswers,
    ::testing::Values(
        AnswerCase{"RegisterEmpty", "", "registerButton", {}, -1, "invalid"},
        AnswerCase{"RegisterUnfinished", "jane@example", "registerButton", {}, -1, "invalid"},
        AnswerCase{"Register",
                   "jane.doe+news@mail.example.co.uk",
                   "registerButton",
                   {"String UserEmail=jane.doe+news@mail.example.co.uk", "String isConfirmed=1",
                    "String IsRegUser=1"},
                   QDialog::Accepted,
                   "valid"},
        AnswerCase{
            "Skip", "jane@example.com", "noRegisterButton", {"String IsRegUser=2"}, QDialog::Rejected, ""},
        AnswerCase{"CloseButton", "", "disagreeButton", {"String IsRegUser=2"}, QDialog::Rejected, ""},
        AnswerCase{"Escape", "jane@example.com", "Escape", {}, QDialog::Rejected, ""}),
    [](const ::testing::TestParamInfo<AnswerCase>& info) { return std::string(info.param.name); });

struct OfferCase
{
    const char* name;
    Application::LaunchType launch;
    bool enabled;
    const char* registered; // stored "IsRegUser"; nullptr: none
    bool shown;
    int productAsked;
};
void PrintTo(const OfferCase& c, std::ostream* os) { *os << c.name; }

class EmailDialogOffer : public EmailDialogTest, public ::testing::WithParamInterface<OfferCase>
{
};

TEST_P(EmailDialogOffer, offeredOnlyOnAFreshInstallOfAnEnabledProductToUnregisteredUsers)
{
    const OfferCase& c = GetParam();
    app.launch = c.launch;
    product->emailDialogEnabled = c.enabled;
    if (c.registered)
        mail->SetString("IsRegUser", c.registered);
    Kavrel::Test::DialogWatcher<EmailDialog> watcher(
        [](EmailDialog* dialog)
        { QTest::mouseClick(dialog->findChild<QPushButton*>("noRegisterButton"), Qt::LeftButton); });
    app.ShowEmailDialogIfNeeded();
    EXPECT_EQ(watcher.Seen(), c.shown);
    EXPECT_FALSE(watcher.TimedOut());
    EXPECT_EQ(product->emailDialogQuestions, c.productAsked) << "the checks come in order";
    EXPECT_EQ(mail->GetString("IsRegUser", ""), c.shown ? "2" : c.registered ? c.registered : "");
}

INSTANTIATE_TEST_SUITE_P(
    Conditions, EmailDialogOffer,
    ::testing::Values(OfferCase{"FreshInstall", Application::FirstLaunch, true, nullptr, true, 1},
                      OfferCase{"SkippedBefore", Application::FirstLaunch, true, "2", true, 1},
                      OfferCase{"Registered", Application::FirstLaunch, true, "1", false, 1},
                      OfferCase{"Disabled", Application::FirstLaunch, false, nullptr, false, 1},
                      OfferCase{"Update", Application::UpdateLaunch, true, nullptr, false, 1},
                      OfferCase{"Regular", Application::RegularLaunch, true, nullptr, false, 0}),
    [](const ::testing::TestParamInfo<OfferCase>& info) { return std::string(info.param.name); });
} // namespace
