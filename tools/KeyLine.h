#pragma once

#include <string>

namespace contentcheck {

// Why the station cannot read `line` as a right answer (the rules of
// tk::StrToInt), in plain Russian words; empty when it can.
std::string KeyLineProblem(const std::string& line);

} // namespace contentcheck
