#include <Kavrel/Core/Property.h>

#include <algorithm>

namespace Kavrel::Core
{

Property::Property(const std::string& propertyName) : name(propertyName) {}

bool Property::ChildExists(const std::string& childName) const
{
    return std::any_of(children.begin(), children.end(),
                       [&](const Property& child) { return child.name == childName; });
}

Property& Property::operator[](const std::string& childName)
{
    for (Property& child : children)
        if (child.name == childName)
            return child;
    return AddChild(childName);
}

const Property& Property::operator[](const std::string& childName) const
{
    static const Property empty;
    for (const Property& child : children)
        if (child.name == childName)
            return child;
    return empty;
}

Property& Property::AddChild(const std::string& childName) { return children.emplace_back(childName); }

void Property::Clear()
{
    value.clear();
    children.clear();
}

} // namespace Kavrel::Core
