#include <Kavrel/Core/Utf.h>
#include <Kavrel/Core/ioPath.h>

namespace Kavrel
{

ioPath::ioPath(const char* utf8) : ioPath(std::string(utf8 ? utf8 : "")) {}

// Narrow paths are UTF-8 here, which is also the native form on POSIX.
ioPath::ioPath(const std::string& utf8) : path(std::filesystem::u8path(utf8)) {}

ioPath::ioPath(const std::wstring& wide) : ioPath(Core::Utf8FromWstring(wide)) {}

ioPath ioPath::operator/(const ioPath& other) const { return ioPath(path / other.path); }

ioPath& ioPath::operator/=(const ioPath& other)
{
    path /= other.path;
    return *this;
}

std::string ioPath::utf8string() const { return path.u8string(); }

std::wstring ioPath::wstring() const { return Core::WstringFromUtf8(utf8string()); }

ioPath ioPath::parent_path() const { return ioPath(path.parent_path()); }

ioPath& ioPath::make_preferred()
{
    path.make_preferred();
    return *this;
}

} // namespace Kavrel
