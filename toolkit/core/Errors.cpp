#include "toolkit/core/Errors.h"

namespace tk {

std::string CannotOpenFileText(const std::string& path)
{
    return "Cannot open file " + path;
}

std::string NotValidIntegerText(const std::string& text)
{
    return "'" + text + "' is not a valid integer value";
}

std::string ListIndexText(int index)
{
    return "List index out of bounds (" + std::to_string(index) + ")";
}

} // namespace tk
