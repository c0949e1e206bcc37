#include "DialogTestSupport.h"

#include <Kavrel/App/Application/AlertBox.h>
#include <Kavrel/App/Application/ConfirmationAlertBox.h>

#include <QDialogButtonBox>
#include <QLabel>

#include <QPushButton>

using Kavrel::App::AlertBox;

namespace
{
class AlertBoxTest : public Kavrel::Test::AppTest
{
protected:
    AlertBoxTest()
    {
        product->icon = QImage(16, 16, QImage::Format_ARGB32);
        product->icon.fill(Qt::red);
    }
};

TEST_F(AlertBoxTest, eachLevelHasItsIconAndDefaultTitle)
{
    const std::tuple<AlertBox::Level, const char*, const char*> levels[] = {
        {AlertBox::Information, "Information", ":/MessageBox/info_icon.png"},
        {AlertBox::Error, "Error", ":/MessageBox/error_icon.png"},
        {AlertBox::Question, "", ":/MessageBox/question_icon.png"},
        {static_cast<AlertBox::Level>(7), "", nullptr}};
    for (const auto& [level, title, icon] : levels)
    {
        SCOPED_TRACE(icon ? icon : "unknown level");
        AlertBox box(level, QString(), "text", QMessageBox::Ok, nullptr, Qt::Dialog);
        EXPECT_EQ(box.windowTitle(), title);
        EXPECT_EQ(box.iconPixmap().toImage(), (icon ? QPixmap(icon, "PNG") : QPixmap()).toImage());
        EXPECT_EQ(box.windowIcon().pixmap(16).toImage().pixelColor(8, 8), QColor(Qt::red))
            << "the product's icon";
    }
}

QString SubStyles(const QList<QAbstractButton*>& buttons)
{
    QStringList styles;
    for (const QAbstractButton* button : buttons)
        styles << button->property(AlertBox::SUB_STYLE_PROPERTY).toString();
    return styles.join(',');
}

TEST_F(AlertBoxTest, buttonsGetTheirSubStyleWhenShownOrExecuted)
{
    AlertBox box(AlertBox::Information, "t", "x", QMessageBox::Ok | QMessageBox::Cancel);
    const QList<QAbstractButton*> buttons{box.button(QMessageBox::Ok), box.button(QMessageBox::Cancel),
                                          box.addButton("Not now", QMessageBox::RejectRole),
                                          box.addButton("Sure", QMessageBox::YesRole),
                                          box.addButton("Details", QMessageBox::ActionRole)};
    EXPECT_EQ(SubStyles(buttons), ",,,,") << "only once shown";
    box.Show(false);
    EXPECT_TRUE(!box.isModal() && box.isVisible());
    EXPECT_EQ(SubStyles(buttons), "Ok,Cancel,Cancel,Yes,");
    // An executed box has them as it shows, and gives the answer back.
    box.hide();
    QString executed;
    Kavrel::Test::DialogWatcher<QMessageBox> watcher(
        [&](QMessageBox* open)
        {
            executed = SubStyles({open->button(QMessageBox::Ok), open->button(QMessageBox::Cancel)});
            open->button(QMessageBox::Cancel)->click();
        });
    EXPECT_EQ(AlertBox::Exec(AlertBox::Error, QString(), "failed", QMessageBox::Ok | QMessageBox::Cancel,
                             nullptr, Qt::Dialog),
              QMessageBox::Cancel);
    EXPECT_EQ(executed, "Ok,Cancel");
}

// Regression: in a confirmation box the buttons share a row with the check
// box, and the learn-more label was left out of every layout, never shown.
TEST_F(AlertBoxTest, theLearnMoreLinkShowsOnceBesideTheButtonsInEitherLayout)
{
    Kavrel::App::ConfirmationAlertBox confirmation(Kavrel::Test::IniStore(folder.filePath("c.ini")),
                                                   AlertBox::Question, "t", "x");
    AlertBox plain(AlertBox::Information, "t", "x", QMessageBox::Ok);
    for (AlertBox* box : {static_cast<AlertBox*>(&confirmation), &plain})
    {
        box->SetLearnMoreLink("<a href=\"https://a.example\">first</a>");
        box->SetLearnMoreLink("<a href=\"https://b.example\">Learn more</a>");
        box->show();
        const QList<QLabel*> labels = box->findChildren<QLabel*>("learnMoreLabel");
        ASSERT_EQ(labels.size(), 1);
        EXPECT_TRUE(labels[0]->isVisible());
        EXPECT_TRUE(labels[0]->text().contains("b.example"));
        const QWidget* buttons = box->findChild<QDialogButtonBox*>();
        EXPECT_LT(labels[0]->mapTo(box, QPoint()).x(), buttons->mapTo(box, QPoint()).x());
    }
}
} // namespace
