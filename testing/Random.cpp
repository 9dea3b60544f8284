#include "testing/Random.h"

namespace testrun {

void Lcg::Seed(std::uint32_t seed)
{
    state_ = seed;
    Next();
}

std::int32_t Lcg::Next()
{
    state_ = state_ * 22695477u + 1u; // unsigned: wraps modulo 2^32
    return static_cast<std::int32_t>((state_ >> 16) & 0x7FFFu);
}

std::uint32_t Lcg::State() const { return state_; }

} // namespace testrun
