#include <Kavrel/Core/PropertySerializer.h>

// boost.property_tree still includes the old bind header; its placeholders
// are not used here.
#define BOOST_BIND_GLOBAL_PLACEHOLDERS
#include <boost/property_tree/json_parser.hpp>
#include <boost/property_tree/ptree.hpp>

#include <sstream>

namespace Kavrel::Core
{

namespace
{
// Arrays read as children without names; strict reading refuses them.
bool Copy(const boost::property_tree::ptree& from, Property& to, bool strict)
{
    for (const auto& [name, child] : from)
    {
        if (strict && name.empty())
            return false;
        Property& property = to.AddChild(name);
        property.SetString(child.data());
        if (!Copy(child, property, strict))
            return false;
    }
    return true;
}
} // namespace

bool PropertySerializer::Deserialize(Property& root, const DataInputPtr& input, bool strict)
{
    root.Clear();
    if (!input)
        return false;
    std::istringstream text(ReadAll(*input));
    boost::property_tree::ptree tree;
    try
    {
        boost::property_tree::read_json(text, tree);
    }
    catch (const boost::property_tree::json_parser_error&)
    {
        return false;
    }
    if (Copy(tree, root, strict))
        return true;
    root.Clear();
    return false;
}

} // namespace Kavrel::Core
