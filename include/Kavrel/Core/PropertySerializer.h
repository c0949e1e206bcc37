#pragma once

#include <Kavrel/Core/KavrelCoreExport.h>
#include <Kavrel/Core/Property.h>
#include <Kavrel/IO/IDataInput.h>

namespace Kavrel::Core
{

/// Reads property trees written as JSON: an object's members become children
/// in file order, text and number values become the children's strings, and
/// nested objects nest. Example theme description:
///     { "en_US": "Night", "de_DE": "Nacht", "ru_RU": "Ночь" }
class KAVRELCORE_EXPORT PropertySerializer
{
public:
    /// Fills root's children from the input, replacing what it held. A syntax
    /// error leaves root empty and returns false. Array elements read as
    /// children without names, unless strict, which refuses them. Inputs
    /// longer than MAX_INPUT_BYTES or nested deeper than MAX_DEPTH are
    /// refused the same way.
    static bool Deserialize(Property& root, const DataInputPtr& input, bool strict);

    /// A description is a few lines; the parser goes one call deeper per
    /// level of nesting, so the depth is bounded well before the stack is.
    static constexpr size_t MAX_INPUT_BYTES = 1 << 20;
    static constexpr int MAX_DEPTH = 64;
};

} // namespace Kavrel::Core
