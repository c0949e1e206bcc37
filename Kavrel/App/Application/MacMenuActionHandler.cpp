#include <Kavrel/App/Application/MacMenuActionHandler.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>

namespace Kavrel::App
{

namespace
{
QAction* Named(const QList<QAction*>& actions, const char* name)
{
    for (QAction* action : actions)
        if (action->objectName() == QLatin1String(name))
            return action;
    return nullptr;
}
} // namespace

class KAVRELAPPLICATION_NO_EXPORT MacMenuActionHandler::Private
{
public:
    boost::function<bool(QWidget*)> canManipulate; // may be empty: anything goes
};

MacMenuActionHandler::MacMenuActionHandler(QMenuBar* menuBar, boost::function<bool(QWidget*)> predicate)
    : QObject(menuBar), d(std::make_unique<Private>())
{
    d->canManipulate = std::move(predicate);
    if (auto* applicationMenu = menuBar->findChild<QMenu*>(QStringLiteral("menuMacOSMenu")))
    {
        const QList<QAction*> actions = applicationMenu->actions();
        if (QAction* hide = Named(actions, "action_Hide"))
        {
            connect(hide, &QAction::triggered, this, &MacMenuActionHandler::onHideItself);
            hide->setShortcut(QKeySequence(Qt::CTRL + Qt::Key_H));
        }
        if (QAction* hideOthers = Named(actions, "action_Hide_Others"))
        {
            connect(hideOthers, &QAction::triggered, this, &MacMenuActionHandler::onHideOthers);
            hideOthers->setShortcut(QKeySequence(Qt::CTRL + Qt::ALT + Qt::Key_H));
        }
        if (QAction* preferences = Named(actions, "action_Preferences"))
            preferences->setShortcut(QKeySequence::Preferences); // the product handles it
        // The product puts its quit entry last.
        if (!actions.isEmpty())
            actions.last()->setShortcut(QKeySequence::Quit);
    }
    if (auto* windowMenu = menuBar->findChild<QMenu*>(QStringLiteral("menuWindow")))
    {
        const QList<QAction*> actions = windowMenu->actions();
        if (QAction* minimize = Named(actions, "actionMinimize"))
            connect(minimize, &QAction::triggered, this, &MacMenuActionHandler::onMinimize);
        if (QAction* zoom = Named(actions, "actionZoom"))
            connect(zoom, &QAction::triggered, this, &MacMenuActionHandler::onZoom);
        if (QAction* front = Named(actions, "actionBring_all_to_Front"))
            connect(front, &QAction::triggered, this, &MacMenuActionHandler::onBringAllToFront);
    }
}

MacMenuActionHandler::~MacMenuActionHandler() = default;

// Hiding and bringing all windows to the front belong to macOS.
void MacMenuActionHandler::onHideItself() {}

void MacMenuActionHandler::onHideOthers() {}

void MacMenuActionHandler::onBringAllToFront() {}

void MacMenuActionHandler::onMinimize()
{
    QWidget* window = QApplication::activeWindow();
    if (canManipulateWithWidget(window) && window)
        window->showMinimized();
}

void MacMenuActionHandler::onZoom()
{
    QWidget* window = QApplication::activeWindow();
    if (!canManipulateWithWidget(window) || !window)
        return;
    if (window->isMaximized())
        window->showNormal();
    else
        window->showMaximized();
}

bool MacMenuActionHandler::canManipulateWithWidget(QWidget* widget)
{
    return d->canManipulate.empty() || d->canManipulate(widget);
}

} // namespace Kavrel::App
