#pragma once

#include <Kavrel/App/Application/AlertBox.h>
#include <Kavrel/App/Application/KavrelApplicationExport.h>

#include <QStringList>

#include <boost/shared_ptr.hpp>

#include <memory>
#include <string>

namespace Kavrel::App
{

class ISettingsManager;

/// An alert box with a "Don't show this again" check box beside its buttons.
/// An answer given with the box ticked is remembered in the settings store
/// under the confirmation's identifier, as "confirm/<id>_dont_confirm" (Bool)
/// and "confirm/<id>_answer" (Int); from then on Exec() returns it without
/// showing anything, until Reset() or ResetAll().
class KAVRELAPPLICATION_EXPORT ConfirmationAlertBox : public AlertBox
{
    Q_OBJECT
public:
    ConfirmationAlertBox(boost::shared_ptr<ISettingsManager> settings, AlertBox::Level level,
                         const QString& title, const QString& text,
                         QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No,
                         QWidget* parent = nullptr,
                         Qt::WindowFlags flags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    ~ConfirmationAlertBox() override;

    /// Selects the stored state: set it before Exec(). Boxes without one share
    /// the empty identifier.
    void SetConfirmationId(const QString& id);
    QString GetConfirmationId() const;

    /// The check box's text, not the message.
    void SetConfirmationText(const QString& text);
    QString GetConfirmationText() const;

    /// The check box as shown, not what is stored.
    void SetDontConfirm(bool checked);
    bool IsDontConfirm() const;

    /// Whether an answer with the reject role (Cancel) may be remembered.
    void SetRememberOnReject(bool remember);
    bool RememberOnReject() const;

    /// When not empty, only these answers may be remembered.
    void SetRememberOnly(QMessageBox::StandardButtons buttons);
    QMessageBox::StandardButtons RememberOnly() const;

    /// Remembers this value instead of the clicked button; Exec() still
    /// returns the clicked one this time.
    void SetForceSaveAnswer(int answer);

    /// Asks again from the next Exec() on; the old answer stays stored.
    void Reset();

    /// The remembered answer without showing anything when there is one;
    /// otherwise shows the box and returns the clicked button, remembering it
    /// when the box is ticked and the options allow it.
    QMessageBox::StandardButton Exec() override;

    /// Identifiers whose answers the store remembers now, sorted.
    static QStringList GetRememberedIds(const ISettingsManager& settings);
    /// Asks again for every remembered identifier, as Reset() does for one;
    /// returns how many there were.
    static int ResetAll(ISettingsManager& settings);

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::string GetSettingKey(const std::string& name) const;
    bool ReadDontConfirm() const;
    int ReadAnswer() const;
    void WriteDontConfirm(bool value);
    void WriteAnswer(int answer);
    /// Puts the check box left of the buttons, in their grid cell.
    void PlaceCheckBox();

    class Private;
    std::unique_ptr<Private> d;
};

} // namespace Kavrel::App
