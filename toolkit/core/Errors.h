#pragma once

#include <string>

// The toolkit's error texts, built in one place so that the logic libraries
// and the window code report the same words.
namespace tk {

std::string CannotOpenFileText(const std::string& path);
std::string NotValidIntegerText(const std::string& text);
std::string ListIndexText(int index);

} // namespace tk
