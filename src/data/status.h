#pragma once

#include <string>
#include <utility>

namespace quillmark {

// Outcome of an operation that can fail: empty message means success; otherwise a
// message for the user that names what went wrong.
class Status {
public:
    Status() = default;  // success
    static Status Ok() { return Status(); }
    static Status Error(std::string message) { return Status(std::move(message)); }

    bool ok() const { return !failed_; }
    const std::string& message() const { return message_; }

private:
    explicit Status(std::string message) : failed_(true), message_(std::move(message)) {}

    bool failed_ = false;
    std::string message_;
};

}  // namespace quillmark
