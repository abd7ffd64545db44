#pragma once
// The base of every error the installer raises. Event handlers let these pass;
// the application shows the message in one place and keeps its message loop running.
#include <exception>
#include <string>

namespace tk {

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const noexcept { return message_; }

private:
    std::string message_;
};

} // namespace tk
