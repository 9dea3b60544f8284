#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

namespace contentcheck {

enum class Severity {
    Fault, // some run of the station goes wrong, or none can start
    Info,  // worth knowing, harmless
};

struct Finding {
    Severity severity = Severity::Fault;
    std::string file; // relative to the station folder: "TESTS/ANS.a"
    int line = 0;     // 1-based line of the key; 0 for the file as a whole
    std::string text;
};

struct Report {
    int testCount = 0;              // what the station's own count finds
    std::vector<Finding> findings; // faults first, then by file and line

    int Faults() const;
    int Infos() const;
};

// Checks a station folder (the one holding res/ and TESTS/) the way the
// station reads it when started in that folder.
Report CheckStation(const std::filesystem::path& folder);

// What the check tells about a bank with these right answers (one per page,
// in order), as information: how often its pages come up in the station's
// draw, and an answer number that is right too often.
std::vector<Finding> BankNotes(const std::vector<int>& answers);

// "file:line: text", or "file: text"; information lines say so.
std::string FormatFinding(const Finding& finding);

// The command: one argument, the station folder. Writes the findings and a
// summary to `out`, usage errors to `err`. Returns 0 when no run can go
// wrong, 1 on faults, 2 on usage errors.
int RunCheckCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace contentcheck
