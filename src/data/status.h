#pragma once

#include <string>
#include <utility>

namespace quillmark {

// Outcome of an operation that can fail: success, or a message for the user that names
// what went wrong and a stable English code for scripts ("error" when none more precise).
class Status {
public:
    Status() = default;  // success
    static Status Ok() { return Status(); }
    static Status Error(std::string message) { return Status("error", std::move(message)); }
    static Status Error(std::string code, std::string message) { return Status(std::move(code), std::move(message)); }

    bool ok() const { return !failed_; }
    const std::string& message() const { return message_; }
    const std::string& code() const { return code_; }

private:
    Status(std::string code, std::string message)
        : failed_(true), code_(std::move(code)), message_(std::move(message)) {}

    bool failed_ = false;
    std::string code_ = "ok";
    std::string message_;
};

}  // namespace quillmark
