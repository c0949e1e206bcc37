#include "SampleApplication.h"

#include <QTimer>

void SampleApplication::OnStart()
{
    Application::OnStart();
    // Once the main window is on screen: the sign-up is modal and waits for
    // the user, which the start sequence must not.
    if (signUpOffered)
        QTimer::singleShot(0, this, [this] { ShowEmailDialogIfNeeded(); });
}
