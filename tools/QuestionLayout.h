#pragma once
// How large an imported question page's type can be. The page is laid out in
// steps of type size, all measured in units of the test window's view (its
// width / 985, as the design at 120 pixels per inch), so that a page looks
// the same at every screen density. The tool estimates the height of a
// question and its choices from conservative letter widths and picks the
// largest step that fits the view; a question that fits none is refused.
#include "tools/ImportedQuestion.h"

#include <string>

namespace bank {

inline constexpr int LayoutSteps = 4; // 0: the demo pages' size … 3: the smallest

// The step a question's page is laid out in; -1 when even the smallest step
// would need scrolling.
int LayoutStep(const Text& question, const std::array<Text, ChoicesPerQuestion>& choices);

// The estimated height, in view units (the view is 577 high), of the
// question's page in `step`.
double EstimatedHeight(const Text& question, const std::array<Text, ChoicesPerQuestion>& choices, int step);
inline constexpr double ViewHeightUnits = 577;

// The style of the steps: the body of a page in step n has class "stepn".
std::string LayoutStyle();

// Characters a text shows (tags and character references of HTML counted
// as the browser shows them).
std::size_t ShownCharacters(const Text& text);

} // namespace bank
