#pragma once

#include <string>

namespace tk {

// Everything up to and including the last '/'; "" when there is none.
std::string ExtractFilePath(const std::string& path);

} // namespace tk
