#pragma once

#include <Kavrel/App/Application/ICustomizationManager.h>

// The sample product's description of itself: fixed values.
class SampleCustomization : public Kavrel::App::ICustomizationManager
{
public:
    std::string GetOrganizationName() const override { return "Kavrel"; }
    std::string GetProductFolderName() const override { return "SampleProduct"; }
    std::string GetVersionMajor() const override { return "1"; }
    std::string GetVersionMinor() const override { return "0"; }
    std::string GetApplicationName() const override { return "Sample Player"; }
    std::string GetProductName() const override { return "SampleProduct"; }
    std::string GetProductCodeName() const override { return "SampleProduct"; }
    QPixmap GetApplicationIcon() const override;
    std::string GetEditionName() const override { return "Free"; }
    std::string GetCustomAboutCaption() const override { return {}; }
    // The sign-up is offered on the first start after installation.
    bool IsEmailDialogEnabled() const override { return true; }
    std::string GetSupportEmail() const override { return "mailto:support@example.com"; }
    void SetLocale(const std::string& newLocale) override { locale = newLocale; }

    const std::string& Locale() const { return locale; }

private:
    std::string locale = "en_US";
};
