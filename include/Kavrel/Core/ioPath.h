#pragma once

#include <Kavrel/Core/KavrelCoreExport.h>

#include <filesystem>
#include <string>

namespace Kavrel
{

/// A file-system path value. Narrow text is UTF-8 on every platform.
class KAVRELCORE_EXPORT ioPath
{
public:
    ioPath() = default;
    ioPath(const char* utf8);
    ioPath(const std::string& utf8);
    ioPath(const std::wstring& wide);

    ioPath operator/(const ioPath& other) const;
    ioPath& operator/=(const ioPath& other);

    std::string utf8string() const;
    std::wstring wstring() const;
    ioPath parent_path() const;
    ioPath& make_preferred();
    bool empty() const { return path.empty(); }

    const std::filesystem::path& native() const { return path; }

    friend bool operator==(const ioPath& a, const ioPath& b) { return a.path == b.path; }
    friend bool operator!=(const ioPath& a, const ioPath& b) { return !(a == b); }

private:
    explicit ioPath(std::filesystem::path p) : path(std::move(p)) {}
    std::filesystem::path path;
};

} // namespace Kavrel
