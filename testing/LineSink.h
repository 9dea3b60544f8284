#pragma once

#include <functional>
#include <string>

namespace testrun {

// Receives the trace lines of a run's preparation, one call per line.
using LineSink = std::function<void(const std::string&)>;

} // namespace testrun
