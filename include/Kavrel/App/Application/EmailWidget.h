#pragma once

#include <Kavrel/App/Application/KavrelApplicationExport.h>

#include <QWidget>

#include <memory>

class QDialog;

namespace Kavrel::App
{

/// The content of the e-mail sign-up dialog: the greeting, the address field
/// and the "Register and continue" and "Skip" buttons. The answer goes to the
/// application's mail settings store as strings: registering writes
/// "UserEmail", "isConfirmed" and "IsRegUser" = "1" in that order; skipping
/// writes "IsRegUser" = "2". Both then close the dialog.
class KAVRELAPPLICATION_EXPORT EmailWidget : public QWidget
{
    Q_OBJECT
public:
    explicit EmailWidget(QDialog* dialog);
    ~EmailWidget() override;

    /// QWidget::show() is not virtual; the address field gets the focus
    /// whenever the widget is shown, with its dialog or alone.
    void setVisible(bool visible) override;

public Q_SLOTS:
    void OnNoRegisterClicked();

private Q_SLOTS:
    void OnRegisterClicked();

private:
    /// Marks the field "valid" or "invalid" for the style sheet and explains
    /// an invalid address in a tooltip.
    bool ValidateAndUpdateFields();
    void Write(const char* key, const std::string& value);

    class Private;
    std::unique_ptr<Private> d;
};

} // namespace Kavrel::App
