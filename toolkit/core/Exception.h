#pragma once

#include <exception>
#include <string>

namespace tk {

// The toolkit's one error class; its message is what the error box shows.
class Exception : public std::exception {
public:
    explicit Exception(std::string message);

    const std::string& Message() const;
    const char* what() const noexcept override;

private:
    std::string message_;
};

} // namespace tk
