#pragma once

#include <Kavrel/App/Application/KavrelApplicationExport.h>

#include <QDialog>

#include <memory>

namespace Kavrel::App
{

/// The product's about window: a borderless popup with the language's
/// picture on top (":/About/about_<locale>.png"), the product name and
/// version, the home-page link, the support address, the copyright lines and
/// the product's custom link. Activating the address copies it to the
/// clipboard; a click anywhere but on a link closes the window.
class KAVRELAPPLICATION_EXPORT AboutBoxDialog : public QDialog
{
    Q_OBJECT
public:
    /// The running Kavrel::App::Application's customisation gives the support
    /// address, the custom link's caption and the organisation, its look and
    /// feel the language; without them those parts stay empty and the log says
    /// so once. With
    /// `companyCopyright` the organisation's copyright and rights lines show;
    /// without, neither does.
    AboutBoxDialog(const QString& applicationVersionText, const QString& homePageUrl, bool companyCopyright,
                   QWidget* parent = nullptr);
    ~AboutBoxDialog() override;

    /// Shows a new about window modally; it deletes itself when closed.
    static void ShowAbout(const QString& applicationVersionText, const QString& homePageUrl,
                          bool companyCopyright, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private Q_SLOTS:
    void openEmailClient(const QString& link);
    void setMailToLabelText();

private:
    /// Everything that depends on the language: texts, links and picture.
    void ShowTexts();

    class Private;
    std::unique_ptr<Private> d;
};

} // namespace Kavrel::App
