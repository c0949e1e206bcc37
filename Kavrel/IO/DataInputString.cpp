#include <Kavrel/IO/DataInputString.h>

#include <algorithm>
#include <cstring>

namespace Kavrel::Core
{

DataInputPtr DataInputString::Create(const std::string& text)
{
    return DataInputPtr(new DataInputString(text));
}

DataInputString::DataInputString(const std::string& bytes) : text(bytes) {}

size_t DataInputString::Read(void* buffer, size_t size)
{
    const size_t count = std::min(size, text.size() - position);
    std::memcpy(buffer, text.data() + position, count);
    position += count;
    return count;
}

bool DataInputString::AtEnd() const { return position >= text.size(); }

} // namespace Kavrel::Core
