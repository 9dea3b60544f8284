#include "toolkit/core/Exception.h"

#include <utility>

namespace tk {

Exception::Exception(std::string message) : message_(std::move(message)) {}

const std::string& Exception::Message() const { return message_; }

const char* Exception::what() const noexcept { return message_.c_str(); }

} // namespace tk
