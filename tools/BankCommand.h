#pragma once
// The command line of briefing-bank: "import" and "print". Printing needs the
// browser engine, so the program hands it in; everything else is plain C++.
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace bank {

// Prints the station in `folder` to `pdf`; returns the exit code.
using PrintCommand = std::function<int(const std::string& folder, const std::string& pdf, std::ostream& out,
                                       std::ostream& err)>;

// Returns 0 when done, 1 when the input or the folder is at fault (nothing
// written then), 2 on usage errors. Faults go to `err`, one line each, and
// what was done to `out`.
int RunBankCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   const PrintCommand& print);

} // namespace bank
