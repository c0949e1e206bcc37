#pragma once

#include <string>
#include <vector>

namespace Kavrel::App
{

class ISettingsManagerObserver;

/// A typed key/value store with UTF-8 keys; "/" in a key separates groups.
/// Getters return the default only when the key is absent. The order of the
/// operations is part of the interface.
class ISettingsManager
{
public:
    virtual void RegisterObserver(ISettingsManagerObserver* observer) = 0;
    virtual void UnregisterObserver(ISettingsManagerObserver* observer) = 0;

    virtual void SetBool(const std::string& key, bool value) = 0;
    virtual void SetInt(const std::string& key, int value) = 0;
    virtual void SetString(const std::string& key, const std::string& value) = 0;
    virtual void SetByteArray(const std::string& key, const std::vector<unsigned char>& value) = 0;
    virtual void SetInt64(const std::string& key, long long value) = 0;
    virtual void SetDouble(const std::string& key, double value) = 0;

    virtual bool GetBool(const std::string& key, bool defaultValue) const = 0;
    virtual int GetInt(const std::string& key, int defaultValue) const = 0;
    virtual std::string GetString(const std::string& key, const std::string& defaultValue) const = 0;
    virtual std::vector<unsigned char> GetByteArray(const std::string& key,
                                                    const std::vector<unsigned char>& defaultValue) const = 0;
    virtual long long GetInt64(const std::string& key, long long defaultValue) const = 0;
    virtual double GetDouble(const std::string& key, double defaultValue) const = 0;

    virtual bool Contains(const std::string& key) const = 0;
    /// Removes the key and every key below it; an empty key empties the store.
    virtual void Remove(const std::string& key) = 0;

    virtual ~ISettingsManager() = default;

    /// Every key at or below the group, relative to it ("a/b" for the key
    /// "group/a/b"); an empty group lists the whole store. Declared after the
    /// destructor so that the operations above keep their places.
    virtual std::vector<std::string> GetKeys(const std::string& group) const = 0;
};

} // namespace Kavrel::App
