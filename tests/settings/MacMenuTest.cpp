#include <Kavrel/App/Application/MacMenuActionHandler.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <gtest/gtest.h>

using Kavrel::App::MacMenuActionHandler;

namespace
{
QAction* Add(QMenu* menu, const char* name)
{
    QAction* action = menu->addAction(QLatin1String(name));
    action->setObjectName(QLatin1String(name));
    return action;
}

// A form's menus: the application menu (quit last) and the window menu.
struct Form
{
    explicit Form(bool withActions = true)
    {
        auto* application = window.menuBar()->addMenu("App");
        application->setObjectName("menuMacOSMenu");
        auto* windows = window.menuBar()->addMenu("Window");
        windows->setObjectName("menuWindow");
        if (!withActions)
            return;
        for (const char* name : {"action_Hide", "action_Hide_Others", "action_Preferences", "actionQuit"})
            Add(application, name);
        for (const char* name : {"actionMinimize", "actionZoom", "actionBring_all_to_Front"})
            Add(windows, name);
    }
    QAction* Action(const char* name) const { return window.findChild<QAction*>(QLatin1String(name)); }
    QMainWindow window;
};

bool Activate(QWidget& widget)
{
    widget.show();
    QApplication::setActiveWindow(&widget);
    return QTest::qWaitForWindowActive(&widget);
}

TEST(MacMenuActionHandler, givesTheApplicationMenuItsShortcutsAndTheQuitEntryTheLast)
{
    Form form;
    new MacMenuActionHandler(form.window.menuBar(), {});
    EXPECT_EQ(form.Action("action_Hide")->shortcut(), QKeySequence(Qt::CTRL + Qt::Key_H));
    EXPECT_EQ(form.Action("action_Hide_Others")->shortcut(), QKeySequence(Qt::CTRL + Qt::ALT + Qt::Key_H));
    EXPECT_EQ(form.Action("action_Preferences")->shortcut(), QKeySequence(QKeySequence::Preferences));
    EXPECT_EQ(form.Action("actionQuit")->shortcut(), QKeySequence(QKeySequence::Quit));

    // Menus without the entries, or no such menus: no shortcut, no failure.
    Form empty(false);
    QMenuBar bare;
    bare.addMenu("File")->addAction("Quit");
    new MacMenuActionHandler(empty.window.menuBar(), {});
    new MacMenuActionHandler(&bare, {});
    EXPECT_TRUE(bare.actions().first()->menu()->actions().first()->shortcut().isEmpty());
}

TEST(MacMenuActionHandler, zoomMaximisesThenRestoresAndMinimiseMinimises)
{
    Form form;
    new MacMenuActionHandler(form.window.menuBar(), {});
    ASSERT_TRUE(Activate(form.window));
    form.Action("actionZoom")->trigger();
    EXPECT_TRUE(form.window.isMaximized());
    form.Action("actionZoom")->trigger();
    EXPECT_FALSE(form.window.isMaximized());
    form.Action("actionMinimize")->trigger();
    EXPECT_TRUE(form.window.isMinimized());
}

TEST(MacMenuActionHandler, thePredicateKeepsItsHandsOffWhatItRefuses)
{
    Form form;
    new MacMenuActionHandler(form.window.menuBar(),
                             [](QWidget* widget) { return !qobject_cast<QDialog*>(widget); });
    QDialog dialog;
    ASSERT_TRUE(Activate(dialog));
    form.Action("actionMinimize")->trigger();
    form.Action("actionZoom")->trigger();
    EXPECT_FALSE(dialog.isMinimized());
    EXPECT_FALSE(dialog.isMaximized());
}
} // namespace
