#pragma once

#include <Kavrel/App/Application/KavrelApplicationExport.h>

#include <QObject>

#include <boost/function.hpp>

#include <memory>

class QMenuBar;
class QWidget;

namespace Kavrel::App
{

/// Wires a macOS-style application menu ("menuMacOSMenu": action_Hide,
/// action_Hide_Others, action_Preferences, quit last) and window menu
/// ("menuWindow": actionMinimize, actionZoom, actionBring_all_to_Front) of
/// the product's form: their shortcuts, and minimise and zoom of the active
/// window where the predicate allows. Hide, hide others and bring-all-to-front
/// do nothing in this build. A child of the menu bar.
class KAVRELAPPLICATION_EXPORT MacMenuActionHandler : public QObject
{
    Q_OBJECT
public:
    /// canManipulate may be empty: every window may then be touched.
    MacMenuActionHandler(QMenuBar* menuBar, boost::function<bool(QWidget*)> canManipulate);
    ~MacMenuActionHandler() override;

private Q_SLOTS:
    void onHideItself();
    void onHideOthers();
    void onMinimize();
    void onZoom();
    void onBringAllToFront();

private:
    virtual bool canManipulateWithWidget(QWidget* widget);

    class Private;
    std::unique_ptr<Private> d;
};

} // namespace Kavrel::App
