#pragma once
// What every benchmark program shares: simple statistics and the Markdown
// table rows that scripts/bench.sh gathers into one table.
#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace bench {

// The middle value; the mean of the two middle values for an even count.
inline double Median(std::vector<double> values)
{
    if (values.empty())
        throw std::invalid_argument("median of no values");
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2.0;
}

inline double Min(const std::vector<double>& values)
{
    return values.empty() ? 0.0 : *std::min_element(values.begin(), values.end());
}

inline double Max(const std::vector<double>& values)
{
    return values.empty() ? 0.0 : *std::max_element(values.begin(), values.end());
}

inline std::string Fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// A cell must not end its row early: a '|' inside it is escaped, a line break becomes a space.
inline std::string Cell(const std::string& text)
{
    std::string cell;
    for (char c : text) {
        if (c == '|')
            cell += "\\|";
        else if (c == '\n' || c == '\r')
            cell += ' ';
        else
            cell += c;
    }
    return cell;
}

// One table row: figure, value, unit, how it was measured.
inline std::string Row(const std::string& figure, const std::string& value, const std::string& unit,
                       const std::string& how)
{
    return "| " + Cell(figure) + " | " + Cell(value) + " | " + Cell(unit) + " | " + Cell(how) + " |";
}

inline void PrintRow(const std::string& figure, const std::string& value, const std::string& unit,
                     const std::string& how)
{
    std::printf("%s\n", Row(figure, value, unit, how).c_str());
    std::fflush(stdout);
}

} // namespace bench
