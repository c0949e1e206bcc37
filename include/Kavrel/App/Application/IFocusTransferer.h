#pragma once

namespace Kavrel::App
{

/// Hands the keyboard focus back to the program that started this one.
class IFocusTransferer
{
public:
    virtual ~IFocusTransferer() = default;
    virtual void GiveFocusToParent() = 0;
};

} // namespace Kavrel::App
