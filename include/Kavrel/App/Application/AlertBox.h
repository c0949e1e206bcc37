#pragma once

#include <Kavrel/App/Application/KavrelApplicationExport.h>
#include <Kavrel/App/Application/URLKeys.h>

#include <QMessageBox>

#include <memory>

class QLabel;

namespace Kavrel::App
{

/// The standard message box: the level gives the icon, the default title and,
/// for questions, a minimum width. Buttons carry a "SubStyle" property
/// ("Ok", "Yes", "Cancel") that themes can style, and a learn-more link can
/// sit at the left of the button row.
class KAVRELAPPLICATION_EXPORT AlertBox : public QMessageBox
{
    Q_OBJECT
public:
    /// A fixed underlying type: a value outside the list is valid (and gets
    /// no icon and no title).
    enum Level : int
    {
        Information,
        Error,
        Question
    };

    AlertBox();
    ~AlertBox() override;
    /// The product's icon (from the running Kavrel::App::Application's
    /// customisation) becomes the box's window icon; without either the box
    /// has none, and the log says so once.
    AlertBox(Level level, const QString& title, const QString& text,
             QMessageBox::StandardButtons buttons = QMessageBox::Ok, QWidget* parent = nullptr,
             Qt::WindowFlags flags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);

    /// Shows a box modally and returns the button pressed.
    static QMessageBox::StandardButton
    Exec(Level level, const QString& title, const QString& text,
         QMessageBox::StandardButtons buttons = QMessageBox::Ok, QWidget* parent = nullptr,
         Qt::WindowFlags flags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);

    virtual QMessageBox::StandardButton Exec();
    virtual void Show(bool modal);

    /// Rich text; a link in it opens in the external browser.
    void SetLearnMoreLink(const QString& text);
    /// Makes the box at least this wide; a negative width does nothing.
    void SetWidth(int width);

    static constexpr const char SUB_STYLE_PROPERTY[] = "SubStyle";

private:
    static QPixmap GetPixmapForLevel(Level level);
    /// The layout under `layout` (itself included) that holds the widget.
    static QLayout* LayoutHolding(QLayout* layout, QWidget* widget);
    void SetButtonsSubStyle();

    class Private;
    std::unique_ptr<Private> d;
};

} // namespace Kavrel::App

/// Rich-text bodies of the graphics-driver messages, with the link of the key
/// and the application's "linkStyle" property as the link's style.
KAVRELAPPLICATION_EXPORT QString GetGPUUnsupportedDriverMessage(const Kavrel::URLKeys& key);
KAVRELAPPLICATION_EXPORT QString GetGPUNeedSetupDriverMessage(const Kavrel::URLKeys& key);
