#pragma once
// Where a station's content lies beside the executable. The station, the
// content checker, the bank tool, the tests and the benchmarks all take the
// names from here, so that none of them can disagree with another. Paths are
// relative to the station's folder, with '/' where the folders meet.
#include <cstdint>
#include <string>

namespace station {

inline constexpr const char* StudyFolder = "res";
inline constexpr const char* StudyPageName = "INSTR.htm";
inline constexpr const char* StudyPage = "res/INSTR.htm";

inline constexpr const char* BankFolder = "TESTS";
inline constexpr const char* PagePrefix = "TEST";
inline constexpr const char* PageSuffix = ".htm";
inline constexpr const char* KeyName = "ANS.a";
inline constexpr const char* KeyFile = "TESTS/ANS.a";

// The question pages are counted with this pattern, relative to the current
// directory; the search ignores letter case.
inline constexpr const char* PageSearchPattern = "TESTS/TEST*.htm";

// "TEST<n>.htm": the number in plain decimal, as the station builds the name.
inline std::string PageName(std::int64_t number)
{
    return PagePrefix + std::to_string(number) + PageSuffix;
}

// "TESTS/TEST<n>.htm"
inline std::string PageFile(std::int64_t number)
{
    return std::string(BankFolder) + "/" + PageName(number);
}

} // namespace station
