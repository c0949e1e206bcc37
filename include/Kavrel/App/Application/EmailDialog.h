#pragma once

#include <Kavrel/App/Application/KavrelApplicationExport.h>

#include <QDialog>

#include <memory>

namespace Kavrel::App
{

/// The e-mail sign-up: a frameless, always-on-top modal dialog of fixed size
/// around an EmailWidget, with a small close button that counts as "Skip".
/// Escape closes it without writing anything. Its texts stay as they were
/// when a language change comes while it is open.
class KAVRELAPPLICATION_EXPORT EmailDialog : public QDialog
{
    Q_OBJECT
public:
    explicit EmailDialog(QWidget* parent = nullptr);
    ~EmailDialog() override;

protected:
    void changeEvent(QEvent* event) override;

private:
    class Private;
    std::unique_ptr<Private> d;
};

} // namespace Kavrel::App
