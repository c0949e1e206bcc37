#pragma once

#include <Kavrel/Core/KavrelCoreExport.h>

#include <list>
#include <string>

namespace Kavrel::Core
{

/// A named tree of text values: each node has a name, a string value and
/// children in the order they were read.
class KAVRELCORE_EXPORT Property
{
public:
    explicit Property(const std::string& name = std::string());

    const std::string& GetName() const { return name; }
    const std::string& GetString() const { return value; }
    void SetString(const std::string& text) { value = text; }

    bool ChildExists(const std::string& childName) const;
    /// The first child of that name; created (empty) when there is none.
    Property& operator[](const std::string& childName);
    /// The first child of that name; an empty property when there is none.
    const Property& operator[](const std::string& childName) const;
    Property& AddChild(const std::string& childName);
    const std::list<Property>& GetChildren() const { return children; }
    void Clear();

private:
    std::string name;
    std::string value;
    std::list<Property> children;
};

} // namespace Kavrel::Core
