#pragma once
// The print of a station: a first page naming the folder, the number of
// questions, the date and the checker's findings; the study page; every
// question page with its right answer from the key below it. One PDF.
#include "tools/ContentCheck.h"

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

namespace bank {

struct PrintItem {
    std::string file; // relative to the station's folder: "TESTS/TEST3.htm"
    std::filesystem::path path;
    int question = 0;   // 1..n; 0 for the study page
    std::string answer; // "Правильный ответ: 2", or why the key gives none
};

struct PrintPlan {
    std::string folder; // absolute
    int questions = 0;  // as the station counts them
    contentcheck::Report report;
    std::vector<PrintItem> items; // the study page, then the questions 1..n
    // Found while printing: the question pages that need scrolling in the
    // test window's view on the smallest screen (their files).
    bool measured = false;
    std::vector<std::string> scrolling;
};

// What goes into the print, read the way the station reads the folder.
PrintPlan PlanPrint(const std::filesystem::path& folder);

// The first page; `date` as the operator reads it ("05.06.2025").
std::string TitlePageHtml(const PrintPlan& plan, const std::string& date);

// A page in place of one that does not show, with the reason and the answer.
std::string StandInPageHtml(const PrintItem& item, int questions, const std::string& why);

// What goes above a printed page: which page of the station it is.
std::string PageHeading(const PrintItem& item, int questions);

// Prints the folder to `pdf`; needs an application object and the engine.
// Progress goes to `err`, the result to `out`. Returns the exit code.
int PrintStation(const std::string& folder, const std::string& pdf, std::ostream& out, std::ostream& err);

// The command: sets the process up for the engine (headless unless told
// otherwise), makes the application object and prints.
int RunPrintCommand(int& argc, char** argv, const std::string& folder, const std::string& pdf, std::ostream& out,
                    std::ostream& err);

} // namespace bank
