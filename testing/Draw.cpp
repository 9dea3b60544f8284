#include "testing/Draw.h"

#include "toolkit/core/StrToInt.h"

#include <stdexcept>

namespace testrun {
namespace {

constexpr int PairsPerScan = QuestionsPerRun * (QuestionsPerRun - 1) / 2;

} // namespace

int DrawQuestions(TestRunState& state, Lcg& random, const LineSink& trace)
{
    if (state.TestCount < QuestionsPerRun)
        throw std::logic_error("a draw needs at least five question pages");
    for (auto& number : state.TestNo) {
        state.CleanCompares = 0;
        number = random.Next() % (state.TestCount - 1) + 1;
    }
    return DeduplicateDraw(state, trace);
}

int DeduplicateDraw(TestRunState& state, const LineSink& trace)
{
    int comparisons = 0;
    state.CleanCompares = 0;
    while (state.CleanCompares < PairsPerScan) {
        bool collided = false;
        for (state.i = 1; state.i < QuestionsPerRun && !collided; ++state.i) {
            for (state.j = 0; state.j < state.i; ++state.j) {
                ++comparisons;
                auto& later = state.TestNo[static_cast<std::size_t>(state.i)];
                auto& earlier = state.TestNo[static_cast<std::size_t>(state.j)];
                if (later != earlier) {
                    ++state.CleanCompares;
                    continue;
                }
                if (later > state.TestCount - 1) {
                    earlier = 1;
                    trace("косяк");
                } else {
                    earlier = later + 1;
                    trace(tk::IntToStr(state.i) + "-" + tk::IntToStr(state.j));
                }
                state.CleanCompares = 0;
                collided = true;
                break;
            }
        }
    }
    return comparisons;
}

} // namespace testrun
