#pragma once

#include <Kavrel/App/Application/Application.h>

// The sample's application object: its start also offers the e-mail
// sign-up, on the first start after installation, when allowed to.
class SampleApplication : public Kavrel::App::Application
{
    Q_OBJECT
public:
    using Application::Application;

    // Runs that only render or test must not wait for the user.
    void SetSignUpOffered(bool offered) { signUpOffered = offered; }

    void OnStart() override;

private:
    bool signUpOffered = true;
};
