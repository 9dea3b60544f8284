#pragma once

#include "tools/Finding.h"

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

namespace contentcheck {

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

// Another entry of `folder` whose name differs from `name` only in letter
// case: the name the operator meant, which the station will not find.
std::string CaseTwin(const std::filesystem::path& folder, const std::string& name);

// The command: one argument, the station folder. Writes the findings and a
// summary to `out`, usage errors to `err`. Returns 0 when no run can go
// wrong, 1 on faults, 2 on usage errors.
int RunCheckCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace contentcheck
