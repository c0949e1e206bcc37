#pragma once

#include <Kavrel/Core/KavrelCoreExport.h>
#include <Kavrel/Core/Property.h>
#include <Kavrel/IO/IDataInput.h>

namespace Kavrel::Core
{

// Reads property trees written as JSON: an object's members become children
// in file order, text and number values become the children's strings, and
// nested objects nest. Example theme description:
//     { "en_US": "Night", "de_DE": "Nacht", "ru_RU": "Ночь" }
class KAVRELCORE_EXPORT PropertySerializer
{
public:
    // Fills root's children from the input, replacing what it held. A syntax
    // error leaves root empty and returns false. Array elements read as
    // children without names, unless strict, which refuses them.
    static bool Deserialize(Property& root, const DataInputPtr& input, bool strict);
};

} // namespace Kavrel::Core
