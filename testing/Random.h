#pragma once

#include <cstdint>

namespace testrun {

// Linear congruential generator with a 32-bit state, yielding 0..32767.
class Lcg {
public:
    // Stores the seed as the state and discards one draw.
    void Seed(std::uint32_t seed);
    std::int32_t Next();
    std::uint32_t State() const;

private:
    std::uint32_t state_ = 0;
};

} // namespace testrun
