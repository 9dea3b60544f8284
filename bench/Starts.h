#pragma once
// The starts of one program in the start-up benchmark. A start whose window
// did not come within the wait limit is a failed run: it is reported as
// such, with why, and never becomes a figure; no ratio is made with a
// program that had one.
#include "Report.h"

#include <string>
#include <vector>

namespace bench {

struct Starts {
    std::string figure;                // the table's name for "start to this window on screen"
    std::vector<double> ms;            // the starts that put the window on screen in time
    std::vector<std::string> failures; // one line for each start that did not

    bool Failed() const { return !failures.empty() || ms.empty(); }

    std::string FailureText() const
    {
        std::string text = std::to_string(failures.size()) + " of " + std::to_string(failures.size() + ms.size()) +
                           " starts failed, so no figure: ";
        for (std::size_t i = 0; i < failures.size(); ++i)
            text += (i ? "; " : "") + failures[i];
        if (failures.empty())
            text += "no start was made";
        return text;
    }
};

// The program's row: the median and the spread of its starts, or "failed" and why.
inline std::string StartRow(const Starts& starts, const std::string& how)
{
    if (starts.Failed())
        return Row(starts.figure, "failed", "", starts.FailureText());
    return Row(starts.figure, Fixed(Median(starts.ms), 1), "ms",
               how + "min " + Fixed(Min(starts.ms), 1) + ", max " + Fixed(Max(starts.ms), 1) + " ms");
}

// The ratio of two programs' medians, made only when neither had a failed start.
inline std::string RatioRow(const std::string& figure, const Starts& of, const Starts& to)
{
    if (of.Failed() || to.Failed())
        return Row(figure, "failed", "", "a start of " + std::string(of.Failed() ? "the first" : "the second") +
                                             " program failed (see its row): no ratio");
    return Row(figure, Fixed(Median(of.ms) / Median(to.ms), 2), "×", "ratio of the two medians, same run");
}

} // namespace bench
