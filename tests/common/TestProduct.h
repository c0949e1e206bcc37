#pragma once

#include <Kavrel/App/Application/ICustomizationManager.h>

#include <QImage>
#include <QPixmap>

#include <boost/make_shared.hpp>

#include <string>
#include <vector>

namespace Kavrel::Test
{

// A product's self-description with plain fields that tests set as needed;
// the locales it was told to follow are recorded.
class TestProduct : public Kavrel::App::ICustomizationManager
{
public:
    std::string organization = "Org";
    std::string folderName = "Player";
    std::string versionMajor = "1";
    std::string versionMinor = "0";
    std::string applicationName = "Player";
    std::string productName = "Player";
    std::string codeName = "Player";
    std::string edition;
    QImage icon; // a QPixmap could not exist before the application
    std::vector<std::string> locales;

    std::string GetOrganizationName() const override { return organization; }
    std::string GetProductFolderName() const override { return folderName; }
    std::string GetVersionMajor() const override { return versionMajor; }
    std::string GetVersionMinor() const override { return versionMinor; }
    std::string GetApplicationName() const override { return applicationName; }
    std::string GetProductName() const override { return productName; }
    std::string GetProductCodeName() const override { return codeName; }
    QPixmap GetApplicationIcon() const override { return QPixmap::fromImage(icon); }
    std::string GetEditionName() const override { return edition; }
    std::string GetCustomAboutCaption() const override { return {}; }
    bool IsEmailDialogEnabled() const override { return false; }
    std::string GetSupportEmail() const override { return {}; }
    void SetLocale(const std::string& locale) override { locales.push_back(locale); }
};

inline boost::shared_ptr<TestProduct> MakeProduct() { return boost::make_shared<TestProduct>(); }

} // namespace Kavrel::Test
