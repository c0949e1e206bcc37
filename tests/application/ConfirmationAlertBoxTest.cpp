// The confirmation box that remembers: what it stores for which answer and
// option, driven through its real check box and buttons over a real store.
#include "DialogTestSupport.h"

#include <Kavrel/App/Application/ConfirmationAlertBox.h>

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>

using Kavrel::App::ConfirmationAlertBox;
using Kavrel::App::SettingsManager;
using Button = QMessageBox::StandardButton;

namespace
{

struct Outcome
{
    Button result;
    bool shown;
};

class ConfirmationTest : public ::testing::Test
{
protected:
    ConfirmationTest() { app.SetCustomizationManager(Kavrel::Test::MakeProduct()); }

    std::unique_ptr<ConfirmationAlertBox>
    Box(const QString& id, QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No)
    {
        auto box = std::make_unique<ConfirmationAlertBox>(store, Kavrel::App::AlertBox::Question, QString(),
                                                          "Delete all files?", buttons);
        box->SetConfirmationId(id);
        return box;
    }

    // Runs Exec(); when the box shows, sets its check box to `tick` by a
    // click if needed and clicks `click`.
    static Outcome Answer(ConfirmationAlertBox& box, Button click, bool tick = false)
    {
        Kavrel::Test::DialogWatcher<ConfirmationAlertBox> watcher(
            [&](ConfirmationAlertBox* shown)
            {
                if (shown->IsDontConfirm() != tick)
                    Kavrel::Test::ClickCheckBox(shown->findChild<QCheckBox*>("dontConfirmCheckBox"));
                EXPECT_EQ(shown->IsDontConfirm(), tick);
                QTest::mouseClick(shown->button(click), Qt::LeftButton);
            });
        const Button result = box.Exec();
        EXPECT_FALSE(watcher.TimedOut());
        return {result, watcher.Seen()};
    }

    Kavrel::Test::CommandLine commandLine;
    Kavrel::App::Application app{commandLine.argc, commandLine.argv.data()};
    boost::shared_ptr<SettingsManager> store =
        boost::make_shared<SettingsManager>(Kavrel::Test::NewSettingsFile(), QSettings::IniFormat);
};

// A ticked answer is stored under the id's two keys, in order.
TEST_F(ConfirmationTest, tickedAnswerIsStoredUnderTheIdsTwoKeysInOrder)
{
    for (const auto& [id, prefix] : {std::pair<QString, const char*>("x", "confirm/x"),
                                     {QString(), "confirm/"},
                                     {"Dateien löschen", "confirm/Dateien löschen"}})
    {
        store = boost::make_shared<SettingsManager>(Kavrel::Test::NewSettingsFile(), QSettings::IniFormat);
        std::vector<std::string> changes;
        Kavrel::Test::SettingsRecorder log{"", changes};
        store->RegisterObserver(&log);
        EXPECT_EQ(Answer(*Box(id), QMessageBox::No, true).result, QMessageBox::No);
        store->UnregisterObserver(&log);
        EXPECT_EQ(changes, (std::vector<std::string>{std::string("Bool ") + prefix + "_dont_confirm=true",
                                                     std::string("Int ") + prefix +
                                                         "_answer=" + std::to_string(QMessageBox::No)}));
        EXPECT_EQ(ConfirmationAlertBox::GetRememberedIds(*store), QStringList{id});
    }
}

struct ExecCase
{
    const char* name;
    QMessageBox::StandardButtons buttons;
    Button click;
    bool tick;
    bool rememberOnReject;
    QMessageBox::StandardButtons rememberOnly;
    int forcedAnswer; // -1: none
    int remembered;   // the answer later calls get without a box; -1: asked again
};
void PrintTo(const ExecCase& c, std::ostream* os) { *os << c.name; }

class ConfirmationExec : public ConfirmationTest, public ::testing::WithParamInterface<ExecCase>
{
};

TEST_P(ConfirmationExec, firstAnswerIsTheClickedButtonAndLaterOnesFollowTheOptions)
{
    const ExecCase& c = GetParam();
    auto box = Box("job", c.buttons);
    box->SetRememberOnReject(c.rememberOnReject);
    box->SetRememberOnly(c.rememberOnly);
    if (c.forcedAnswer >= 0)
        box->SetForceSaveAnswer(c.forcedAnswer);
    const Outcome first = Answer(*box, c.click, c.tick);
    EXPECT_TRUE(first.shown);
    EXPECT_EQ(first.result, c.click);

    const Outcome later = Answer(*Box("job", c.buttons), c.click);
    EXPECT_EQ(later.shown, c.remembered < 0);
    EXPECT_EQ(later.result, c.remembered < 0 ? c.click : c.remembered);
}

const QMessageBox::StandardButtons YES_NO = QMessageBox::Yes | QMessageBox::No;
const QMessageBox::StandardButtons OK_CANCEL = QMessageBox::Ok | QMessageBox::Cancel;
const Button YES = QMessageBox::Yes, NO = QMessageBox::No, CANCEL = QMessageBox::Cancel;

INSTANTIATE_TEST_SUITE_P(
    Options, ConfirmationExec,
    ::testing::Values(
        ExecCase{"NotTicked", YES_NO, YES, false, false, {}, -1, -1},
        ExecCase{"NoHasNoRoleAndIsKept", YES_NO, NO, true, false, {}, -1, NO},
        ExecCase{"CancelIsNotKept", OK_CANCEL, CANCEL, true, false, {}, -1, -1},
        ExecCase{"CancelKeptWhenAsked", OK_CANCEL, CANCEL, true, true, {}, -1, CANCEL},
        ExecCase{"OnlyYesLeavesNo", YES_NO, NO, true, false, YES, -1, -1},
        ExecCase{"OnlyYesKeepsYes", YES_NO, YES, true, false, YES, -1, YES},
        ExecCase{"ForcedAnswerIsKept", YES_NO, YES, true, false, {}, QMessageBox::Ok, QMessageBox::Ok}),
    [](const ::testing::TestParamInfo<ExecCase>& info) { return std::string(info.param.name); });

TEST_F(ConfirmationTest, resetAsksAgainAndBoxesWithOneIdShareTheAnswer)
{
    auto first = Box("shared");
    auto second = Box("shared");
    ASSERT_TRUE(Answer(*first, QMessageBox::Yes, true).shown);
    const Outcome remembered = Answer(*second, QMessageBox::No);
    EXPECT_FALSE(remembered.shown);
    EXPECT_EQ(remembered.result, QMessageBox::Yes);

    second->Reset();
    EXPECT_EQ(store->GetInt("confirm/shared_answer", 0), QMessageBox::Yes) << "the answer stays stored";
    const Outcome asked = Answer(*first, QMessageBox::No);
    EXPECT_TRUE(asked.shown);
    EXPECT_EQ(asked.result, QMessageBox::No);
}

TEST_F(ConfirmationTest, resetAllAsksAgainForEveryRememberedIdOnly)
{
    for (const char* id : {"a", "", "x/y"})
    {
        store->SetBool(std::string("confirm/") + id + "_dont_confirm", true);
        store->SetInt(std::string("confirm/") + id + "_answer", QMessageBox::Yes);
    }
    store->SetBool("confirm/asked_dont_confirm", false);
    store->SetInt("confirm/old_answer", QMessageBox::No);
    store->SetBool("elsewhere/b_dont_confirm", true);
    EXPECT_EQ(ConfirmationAlertBox::GetRememberedIds(*store), (QStringList{QString(), "a", "x/y"}));

    EXPECT_EQ(ConfirmationAlertBox::ResetAll(*store), 3);
    EXPECT_TRUE(ConfirmationAlertBox::GetRememberedIds(*store).isEmpty());
    EXPECT_EQ(ConfirmationAlertBox::ResetAll(*store), 0);
    EXPECT_TRUE(store->GetBool("elsewhere/b_dont_confirm", false));
    EXPECT_TRUE(Answer(*Box("x/y"), QMessageBox::No).shown);
}

TEST_F(ConfirmationTest, unreadableStoredAnswerIsNoButtonWithoutABox)
{
    store->SetBool("confirm/c_dont_confirm", true);
    store->SetString("confirm/c_answer", "garbage");
    const Outcome outcome = Answer(*Box("c"), QMessageBox::Yes);
    EXPECT_FALSE(outcome.shown);
    EXPECT_EQ(outcome.result, QMessageBox::NoButton);
}

TEST_F(ConfirmationTest, checkBoxStaysLeftOfTheButtonsWhenTheMessageBoxRebuildsItsLayout)
{
    auto box = Box("layout");
    box->setInformativeText("This cannot be undone."); // QMessageBox lays itself out anew
    box->Show(false);
    const auto* check = box->findChild<QCheckBox*>("dontConfirmCheckBox");
    const auto* buttons = box->findChild<QDialogButtonBox*>();
    ASSERT_TRUE(check && buttons);
    EXPECT_TRUE(check->isVisible());
    EXPECT_LE(check->geometry().right(), buttons->geometry().left());
    EXPECT_TRUE(buttons->geometry().contains(buttons->geometry().left(), check->geometry().center().y()))
        << "one row";
}

TEST_F(ConfirmationTest, longMessageWrapsInsteadOfBeingCutOffUnderTheProductStyle)
{
    QString sheet;
    for (const char* path : {":/productStyle.qss", ":/productStyle_win.qss"})
    {
        QFile file(QString::fromLatin1(path));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        sheet += QString::fromUtf8(file.readAll());
    }
    app.setStyleSheet(sheet);
    auto box = std::make_unique<ConfirmationAlertBox>(
        store, Kavrel::App::AlertBox::Question, QString(),
        "Supprimer tous les fichiers de la liste de lecture, y compris celui en cours ?", QMessageBox::Ok);
    box->SetConfirmationText("Ne plus demander"); // a narrow button row
    box->Show(false);
    const auto* label = box->findChild<QLabel*>("qt_msgbox_label");
    ASSERT_NE(label, nullptr);
    EXPECT_GE(label->width(), label->minimumSizeHint().width());
}
} // namespace
