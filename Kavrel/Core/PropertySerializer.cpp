#include <Kavrel/Core/PropertySerializer.h>

// boost.property_tree still includes the old bind header; its placeholders
// are not used here.
#define BOOST_BIND_GLOBAL_PLACEHOLDERS
#include <boost/property_tree/json_parser.hpp>
#include <boost/property_tree/ptree.hpp>

#include <algorithm>
#include <sstream>

namespace Kavrel::Core
{

namespace
{
// The deepest nesting of objects and arrays outside strings, counted only up
// to the limit.
bool NestsDeeperThan(const std::string& text, int limit)
{
    int depth = 0;
    bool inString = false, escaped = false;
    for (const char c : text)
    {
        if (inString)
        {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
        }
        else if (c == '"')
            inString = true;
        else if (c == '{' || c == '[')
        {
            if (++depth > limit)
                return true;
        }
        else if ((c == '}' || c == ']') && depth > 0)
            --depth;
    }
    return false;
}

// At most limit + 1 bytes: enough to tell that the input is too long.
std::string ReadAtMost(IDataInput& input, size_t limit)
{
    std::string bytes;
    char chunk[4096];
    while (bytes.size() <= limit)
    {
        const size_t got = input.Read(chunk, std::min(sizeof chunk, limit + 1 - bytes.size()));
        if (got == 0)
            break;
        bytes.append(chunk, got);
    }
    return bytes;
}

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
    const std::string bytes = ReadAtMost(*input, MAX_INPUT_BYTES);
    if (bytes.size() > MAX_INPUT_BYTES || NestsDeeperThan(bytes, MAX_DEPTH))
        return false;
    std::istringstream text(bytes);
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
