#pragma once
// Turns an operator's question file into a station's bank: all or nothing.
// The new bank is built in a hidden folder beside the old one and swapped in
// by renaming; any fault leaves the station's folder exactly as it was. A bank
// is never swapped under a test run in progress: the swap waits for its end.
// One import at a time per station's folder; a second one is refused.
#include "tools/QuestionFormats.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace bank {

struct ImportRequest {
    std::filesystem::path source;
    std::filesystem::path folder;  // the station's folder, the one holding res/ and TESTS/
    bool replace = false;          // an existing bank may be replaced (whole)
    bool newStation = false;       // the folder need not be a station yet (made when missing)
    std::optional<Format> format;  // told by the file when not given
    // Told once when the swap has to wait for a test run in progress.
    std::function<void(const std::string&)> waiting;
};

struct ImportOutcome {
    bool written = false;
    std::vector<std::string> errors; // "file:line: text", one per problem
    std::vector<std::string> notes;  // worth telling, no fault
    std::string summary;             // what was written, on success
    int questions = 0;
};

ImportOutcome Import(const ImportRequest& request);

// The station's program, as it lies in the station's folder.
inline constexpr const char* StationProgram = STATION_PROGRAM_NAME;

// Where the new bank is built; names of this form in the station's folder
// belong to the tool.
inline constexpr const char* NewBankPrefix = ".TESTS-new-";

} // namespace bank
