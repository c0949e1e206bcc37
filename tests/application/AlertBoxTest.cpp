#include "TestEnvironment.h"
#include "TestProduct.h"

#include <Kavrel/App/Application/AlertBox.h>
#include <Kavrel/App/Application/Application.h>
#include <Kavrel/App/Application/ICustomizationManager.h>

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <boost/make_shared.hpp>
#include <gtest/gtest.h>

using Kavrel::App::AlertBox;

namespace
{
class AlertBoxTest : public ::testing::Test
{
protected:
    AlertBoxTest()
    {
        auto product = Kavrel::Test::MakeProduct();
        product->icon = QImage(16, 16, QImage::Format_ARGB32);
        product->icon.fill(Qt::red);
        app.SetCustomizationManager(product);
    }

    // Answers the next modal box with its first button of the given role.
    static void AnswerNextBox()
    {
        QTimer::singleShot(0,
                           []
                           {
                               if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                                   box->button(QMessageBox::Ok)->click();
                           });
    }

    static inline int argc = 1;
    static inline char name[] = "AlertBoxTests";
    static inline char* argv[] = {name, nullptr};
    Kavrel::App::Application app{argc, argv};
};

struct LevelCase
{
    AlertBox::Level level;
    QString title;
    bool hasIcon;
};

class AlertBoxLevels : public AlertBoxTest, public ::testing::WithParamInterface<LevelCase>
{
};

TEST_P(AlertBoxLevels, levelGivesIconAndDefaultTitle)
{
    AlertBox box(GetParam().level, QString(), QStringLiteral("text"), QMessageBox::Ok, nullptr,
                 Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    EXPECT_EQ(box.windowTitle(), GetParam().title);
    EXPECT_EQ(!box.iconPixmap().isNull(), GetParam().hasIcon);
    EXPECT_EQ(box.iconPixmap().size(), GetParam().hasIcon ? QSize(64, 64) : QSize(0, 0));
    EXPECT_FALSE(box.windowIcon().isNull()) << "the product's icon";
}

INSTANTIATE_TEST_SUITE_P(
    Levels, AlertBoxLevels,
    ::testing::Values(LevelCase{AlertBox::Information, QStringLiteral("Information"), true},
                      LevelCase{AlertBox::Error, QStringLiteral("Error"), true},
                      LevelCase{AlertBox::Question, QString(), true},
                      LevelCase{static_cast<AlertBox::Level>(7), QString(), false}),
    [](const auto& info) {
        return std::vector<std::string>({"information", "error", "question", "unknown_level"})[info.index];
    });

TEST_F(AlertBoxTest, untitledQuestionIsAtLeast300PixelsWideAndATitledOneIsNot)
{
    AlertBox untitled(AlertBox::Question, QString(), QStringLiteral("?"), QMessageBox::Yes | QMessageBox::No);
    AlertBox titled(AlertBox::Question, QStringLiteral("Ask"), QStringLiteral("?"),
                    QMessageBox::Yes | QMessageBox::No);
    EXPECT_GE(untitled.sizeHint().width(), 300);
    EXPECT_EQ(titled.windowTitle(), QStringLiteral("Ask"));
    const auto* grid = qobject_cast<QGridLayout*>(titled.layout());
    ASSERT_NE(grid, nullptr);
    const int rows = grid->rowCount();
    titled.SetWidth(-1);
    EXPECT_EQ(grid->rowCount(), rows);
    titled.SetWidth(500);
    EXPECT_EQ(grid->rowCount(), rows + 1);
    EXPECT_GE(titled.sizeHint().width(), 500);
}

TEST_F(AlertBoxTest, buttonsGetTheirSubStyleWhenShown)
{
    AlertBox box(AlertBox::Information, QStringLiteral("t"), QStringLiteral("x"),
                 QMessageBox::Ok | QMessageBox::Cancel);
    QPushButton* reject = box.addButton(QStringLiteral("Not now"), QMessageBox::RejectRole);
    QPushButton* yes = box.addButton(QStringLiteral("Sure"), QMessageBox::YesRole);
    QPushButton* action = box.addButton(QStringLiteral("Details"), QMessageBox::ActionRole);
    EXPECT_FALSE(box.button(QMessageBox::Ok)->property("SubStyle").isValid()) << "only once shown";
    box.Show(false);
    EXPECT_TRUE(box.isModal() == false && box.isVisible());
    EXPECT_EQ(box.button(QMessageBox::Ok)->property("SubStyle").toString(), QStringLiteral("Ok"));
    EXPECT_EQ(box.button(QMessageBox::Cancel)->property("SubStyle").toString(), QStringLiteral("Cancel"));
    EXPECT_EQ(reject->property("SubStyle").toString(), QStringLiteral("Cancel"));
    EXPECT_EQ(yes->property("SubStyle").toString(), QStringLiteral("Yes"));
    EXPECT_FALSE(action->property("SubStyle").isValid());
}

TEST_F(AlertBoxTest, staticExecReturnsTheAnswer)
{
    AnswerNextBox();
    EXPECT_EQ(AlertBox::Exec(AlertBox::Error, QString(), QStringLiteral("failed"),
                             QMessageBox::Ok | QMessageBox::Cancel, nullptr, Qt::Dialog),
              QMessageBox::Ok);
}

TEST_F(AlertBoxTest, learnMoreLinkSitsLeftOfTheButtons)
{
    AlertBox box(AlertBox::Information, QStringLiteral("t"), QStringLiteral("x"), QMessageBox::NoButton);
    box.SetLearnMoreLink(QStringLiteral("<a href=\"https://www.kavrel.example/\">Learn more</a>"));
    box.SetLearnMoreLink(QStringLiteral("<a href=\"https://www.kavrel.example/2\">Read on</a>"));
    const auto labels = box.findChildren<QLabel*>(QStringLiteral("learnMoreLabel"));
    ASSERT_EQ(labels.size(), 1);
    EXPECT_TRUE(labels[0]->text().contains(QStringLiteral("Read on")));
    EXPECT_TRUE(labels[0]->openExternalLinks());
    box.Show(false);
    const auto* buttons = box.findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    EXPECT_LT(labels[0]->geometry().right(), buttons->geometry().left() + 1);
    EXPECT_EQ(labels[0]->geometry().center().y() / 10, buttons->geometry().center().y() / 10) << "one row";
}

TEST_F(AlertBoxTest, driverMessagesCarryTheLinkAndTheApplicationsLinkStyle)
{
    const QString url = QString::fromStdString(app.GetUrl(Kavrel::HELP_URL_menu));
    ASSERT_FALSE(url.isEmpty());
    const QString plain = GetGPUUnsupportedDriverMessage(Kavrel::HELP_URL_menu);
    EXPECT_TRUE(
        plain.startsWith(QStringLiteral("Unfortunately, the currently installed graphics card driver")));
    EXPECT_TRUE(plain.endsWith(QStringLiteral("<a href=\"%1\" style=\"\">Download Driver</a>").arg(url)));
    app.setProperty("linkStyle", QStringLiteral("color: #1e88e5;"));
    EXPECT_TRUE(
        GetGPUNeedSetupDriverMessage(Kavrel::HELP_URL_menu)
            .endsWith(QStringLiteral("<a href=\"%1\" style=\"color: #1e88e5;\">Detailed Instructions</a>")
                          .arg(url)));
    EXPECT_TRUE(
        GetGPUNeedSetupDriverMessage(Kavrel::HELP_URL_menu).contains(QStringLiteral("for Kavrel Tarnwick")));
}
} // namespace
