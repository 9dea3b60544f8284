#pragma once
// How a test run is made up: the station, the checker and the bank tool all
// count questions and choices by these.
namespace station {

// Questions drawn for one run.
inline constexpr int QuestionsPerRun = 5;

// Choices on every question page; the person answers with their number.
inline constexpr int ChoicesPerQuestion = 3;
inline constexpr int FirstChoice = 1;
inline constexpr int LastChoice = ChoicesPerQuestion;

// The test window's view of a question page at the windows' design density
// (120 pixels per inch): the bank tool lays its pages out for it.
inline constexpr int QuestionViewWidth = 985;
inline constexpr int QuestionViewHeight = 577;

} // namespace station
