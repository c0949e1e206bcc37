// A theme's fonts manifest (":/<resource>/fonts.manifest" inside a theme's
// resource file) as a theme switch reads it: whatever it lists, the switch
// completes and the theme's style sheet still loads. The resource file is
// the one built beside this target with a placeholder manifest, which each
// input replaces in place (an uncompressed resource is its length, then its
// bytes).
#include "FuzzSupport.h"

#include <Kavrel/App/Application/LookAndFeelManager.h>

#include <QGuiApplication>

#include <iterator>

namespace
{
int argc = 1;
char name[] = "fuzz_fonts_manifest";
char* argv[] = {name, nullptr};

std::string resourceTemplate;
size_t placeholder = std::string::npos; // where the manifest's length is

constexpr std::uint32_t PLACEHOLDER_BYTES = KAVREL_FUZZ_MANIFEST_BYTES;
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Kavrel::Fuzz::Prepare();
    new QGuiApplication(argc, argv);
    std::ifstream in(KAVREL_FUZZ_MANIFEST_RCC, std::ios::binary);
    resourceTemplate.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    const std::string marker = std::string{char(PLACEHOLDER_BYTES >> 24), char(PLACEHOLDER_BYTES >> 16),
                                           char(PLACEHOLDER_BYTES >> 8), char(PLACEHOLDER_BYTES)} +
                               std::string(16, 'M');
    placeholder = resourceTemplate.find(marker);
    if (placeholder == std::string::npos)
    {
        std::fprintf(stderr, "no placeholder manifest in %s\n", KAVREL_FUZZ_MANIFEST_RCC);
        std::abort();
    }
    const std::string app = Kavrel::Fuzz::Root() + "/app/resources/themes/f/";
    std::filesystem::create_directories(app);
    std::ofstream(app + "theme.json") << R"({"en_US": "Fonts"})";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    if (size > PLACEHOLDER_BYTES)
        return -1;
    std::string resource = resourceTemplate;
    for (int i = 0; i < 4; ++i)
        resource[placeholder + i] = char(size >> (8 * (3 - i)));
    resource.replace(placeholder + 4, size, reinterpret_cast<const char*>(data), size);
    const std::string app = Kavrel::Fuzz::Root() + "/app";
    Kavrel::Fuzz::WriteFile(app + "/resources/themes/f/f.rcc",
                            reinterpret_cast<const std::uint8_t*>(resource.data()), resource.size());

    Kavrel::App::LookAndFeelManager manager(app, "theme.json", {});
    manager.SetTheme("f");
    KAVREL_FUZZ_EXPECT(manager.GetUnitedStylesheet().find("fuzz-theme-loaded") != std::string::npos);
    manager.SetTheme(""); // unregisters the file before the next input rewrites it
    return 0;
}
