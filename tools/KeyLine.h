#pragma once

#include <string>

namespace contentcheck {

// Why the station cannot read `line` as a right answer (the rules of
// tk::StrToInt), in plain Russian words; empty when it can.
std::string KeyLineProblem(const std::string& line);

// `bytes` made safe for one line of a terminal: valid UTF-8 passes, tabs,
// control characters and stray bytes are written as \t, \xNN; longer texts are
// cut at `limit` characters with "…".
std::string Shown(const std::string& bytes, std::size_t limit = 40);

} // namespace contentcheck
