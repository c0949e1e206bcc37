#pragma once

#include <Kavrel/IO/IDataInput.h>
#include <Kavrel/IO/KavrelIOExport.h>

namespace Kavrel::Core
{

/// An input over a copy of a string's bytes.
class KAVRELIO_EXPORT DataInputString : public IDataInput
{
public:
    static DataInputPtr Create(const std::string& text);

    size_t Read(void* buffer, size_t size) override;
    bool AtEnd() const override;

private:
    explicit DataInputString(const std::string& text);
    std::string text;
    size_t position = 0;
};

} // namespace Kavrel::Core
