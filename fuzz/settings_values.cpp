// A settings file that someone damaged, read through the settings store's
// getters: every key the store lists reads back, with each conversion, and
// a value set afterwards reads back as set.
#include "FuzzSupport.h"

#include <Kavrel/App/Application/SettingsManager.h>

#include <QCoreApplication>

namespace
{
int argc = 1;
char name[] = "fuzz_settings_values";
char* argv[] = {name, nullptr};
unsigned long long serial = 0;
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Kavrel::Fuzz::Prepare();
    new QCoreApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    // A new file each time: QSettings keeps what it parsed of a file by name
    // and would not notice a rewrite within the same millisecond.
    const std::string file = Kavrel::Fuzz::Root() + "/store" + std::to_string(++serial) + ".ini";
    Kavrel::Fuzz::WriteFile(file, data, size);
    {
        Kavrel::App::SettingsManager store(QString::fromStdString(file), QSettings::IniFormat);
        const std::vector<std::string> keys = store.GetKeys("");
        int read = 0;
        for (const std::string& key : keys)
        {
            if (++read > 64)
                break;
            KAVREL_FUZZ_EXPECT(store.Contains(key));
            store.GetBool(key, false);
            store.GetInt(key, 7);
            store.GetInt64(key, 7);
            store.GetDouble(key, 7.5);
            store.GetString(key, "default");
            store.GetByteArray(key, {1, 2});
            // A group below the key, as the confirmation box lists its answers.
            store.GetKeys(key);
        }
        // The store keeps nothing under an empty key.
        const std::string key = keys.empty() || keys.front().empty() ? std::string("fresh") : keys.front();
        store.SetString(key, "written");
        KAVREL_FUZZ_EXPECT(store.GetString(key, std::string()) == "written");
        store.SetInt(key, -12);
        KAVREL_FUZZ_EXPECT(store.GetInt(key, 0) == -12);
        store.SetInt64(key, 1LL << 40);
        KAVREL_FUZZ_EXPECT(store.GetInt64(key, 0) == (1LL << 40));
        store.SetBool(key, true);
        KAVREL_FUZZ_EXPECT(store.GetBool(key, false));
        const std::vector<unsigned char> bytes{0, 255, '\n', '=', '\\'};
        store.SetByteArray(key, bytes);
        KAVREL_FUZZ_EXPECT(store.GetByteArray(key, {}) == bytes);
    }
    std::remove(file.c_str());
    return 0;
}
