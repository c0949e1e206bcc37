// The link table (resources/links.json) as the links manager reads it:
// whatever the file holds, every key gives an address (maybe empty), the
// same one each time it is asked, and a full address is never looked up.
#include "FuzzSupport.h"

#include <Kavrel/App/Application/ICustomizationManager.h>
#include <Kavrel/App/Application/LookAndFeelManager.h>
#include <Kavrel/App/Application/URLKeys.h>
#include <Kavrel/Links/LinksManager.h>

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>

#include <boost/make_shared.hpp>

namespace
{
int argc = 1;
char name[] = "fuzz_link_table";
char* argv[] = {name, nullptr};

// A product that names itself as the first input byte asks.
class Product : public Kavrel::App::ICustomizationManager
{
public:
    std::string codeName;
    std::string GetOrganizationName() const override { return "Org"; }
    std::string GetProductFolderName() const override { return "Player"; }
    std::string GetVersionMajor() const override { return "2"; }
    std::string GetVersionMinor() const override { return "1"; }
    std::string GetApplicationName() const override { return "Player"; }
    std::string GetProductName() const override { return "Player"; }
    std::string GetProductCodeName() const override { return codeName; }
    QPixmap GetApplicationIcon() const override { return {}; }
    std::string GetEditionName() const override { return {}; }
    std::string GetCustomAboutCaption() const override { return {}; }
    bool IsEmailDialogEnabled() const override { return false; }
    std::string GetSupportEmail() const override { return {}; }
    void SetLocale(const std::string&) override {}
};

boost::shared_ptr<Product> product;
boost::shared_ptr<Kavrel::App::LookAndFeelManager> lookAndFeel;
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Kavrel::Fuzz::Prepare();
    new QCoreApplication(argc, argv);
    product = boost::make_shared<Product>();
    lookAndFeel = boost::make_shared<Kavrel::App::LookAndFeelManager>(Kavrel::Fuzz::Root() + "/app",
                                                                      "theme.json", std::list<std::string>{});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    // The length and the last byte pick the product and language the table
    // is read for, so that the file stays the table as it is.
    const auto pick = static_cast<std::uint8_t>(size * 7 + (size > 0 ? data[size - 1] : 0));
    product->codeName = (pick & 1) ? "Player" : ((pick & 2) ? "" : "Other");
    static const char* const locales[] = {"en_US", "de_DE", "ru_RU", "pt_BR", "", "xx"};
    lookAndFeel->SetLocale(locales[(pick >> 2) % 6]);
    const std::string table = Kavrel::Fuzz::Root() + "/links.json";
    Kavrel::Fuzz::WriteFile(table, data, size);

    const boost::shared_ptr<Kavrel::App::ICustomizationManager> customization =
        (pick & 0x80) ? boost::shared_ptr<Kavrel::App::ICustomizationManager>() : product;
    const Kavrel::App::LinksManager links(customization, (pick & 0x40) ? nullptr : lookAndFeel, nullptr, nullptr,
                                          QString::fromStdString(table));
    for (const auto& [key, keyName] : Kavrel::URLKeyNames)
    {
        const QString address = links.GetUrl(key);
        KAVREL_FUZZ_EXPECT(address == links.GetUrl(QString::fromStdString(keyName)));
    }
    // The names the table itself uses, as a product that reads them would ask.
    const QJsonObject products =
        QJsonDocument::fromJson(QByteArray(reinterpret_cast<const char*>(data), static_cast<int>(size)))
            .object()
            .value(QStringLiteral("products"))
            .toObject();
    int asked = 0;
    for (auto table = products.begin(); table != products.end() && asked < 32; ++table)
        for (const QString& key : table->toObject().keys())
        {
            if (++asked > 32)
                break;
            const QString address = links.GetUrl(key);
            KAVREL_FUZZ_EXPECT(address == links.GetUrl(key));
            if (key.contains(QLatin1String("://")))
                KAVREL_FUZZ_EXPECT(address == key);
        }
    return 0;
}
