#pragma once
// What the operators' tools tell: one line per finding, "file:line: text".
#include <cstddef>
#include <string>

namespace contentcheck {

enum class Severity {
    Fault, // something goes wrong: a run of the station, or the tool's work
    Info,  // worth knowing, harmless
};

// The reader of a file finds lines and texts ({line, text} will do); whoever
// names the file to the operator fills it in.
struct Finding {
    int line = 0; // 1-based; 0 for the file as a whole
    std::string text = {};
    Severity severity = Severity::Fault;
    std::string file = {}; // as the operator knows it: "TESTS/ANS.a", "вопросы.txt"
};

// "file:line: text", or "file: text"; information says so.
std::string FormatFinding(const Finding& finding);

// `bytes` made safe for one line of a terminal: valid UTF-8 passes, tabs,
// control characters and stray bytes are written as \t, \xNN; longer texts are
// cut at `limit` characters with "…".
std::string Shown(const std::string& bytes, std::size_t limit = 40);

} // namespace contentcheck
