#pragma once

#include <Kavrel/App/Application/ISettingsManager.h>
#include <Kavrel/App/Application/ISettingsManagerObserver.h>
#include <Kavrel/App/Application/KavrelApplicationExport.h>

// For the format of the file-based constructor only.
#include <QSettings>

#include <memory>

namespace Kavrel::App
{

/// The settings store over QSettings. Observers hear each real change, in
/// registration order, before the setter returns; a value equal to the
/// stored one (after conversion) is neither written nor announced.
class KAVRELAPPLICATION_EXPORT SettingsManager : public ISettingsManager
{
public:
    /// A store on a file (or, with the native format on Windows, a registry path).
    SettingsManager(const QString& fileName, QSettings::Format format);
    /// The user-scope store of the organisation and application. Note the
    /// order: application first, organisation second.
    SettingsManager(const QString& application, const QString& organization);
    /// Writes what is pending; a store that cannot be written is logged.
    ~SettingsManager() override;

    void RegisterObserver(ISettingsManagerObserver* observer) override;
    void UnregisterObserver(ISettingsManagerObserver* observer) override;

    void SetBool(const std::string& key, bool value) override;
    void SetInt(const std::string& key, int value) override;
    void SetString(const std::string& key, const std::string& value) override;
    void SetByteArray(const std::string& key, const std::vector<unsigned char>& value) override;
    void SetInt64(const std::string& key, long long value) override;
    void SetDouble(const std::string& key, double value) override;

    bool GetBool(const std::string& key, bool defaultValue) const override;
    int GetInt(const std::string& key, int defaultValue) const override;
    std::string GetString(const std::string& key, const std::string& defaultValue) const override;
    std::vector<unsigned char> GetByteArray(const std::string& key,
                                            const std::vector<unsigned char>& defaultValue) const override;
    long long GetInt64(const std::string& key, long long defaultValue) const override;
    double GetDouble(const std::string& key, double defaultValue) const override;

    bool Contains(const std::string& key) const override;
    void Remove(const std::string& key) override;
    std::vector<std::string> GetKeys(const std::string& group) const override;

private:
    class Private;
    std::unique_ptr<Private> d;
};

} // namespace Kavrel::App
