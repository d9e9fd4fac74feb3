// The failure classes raised inside the library. They travel as exceptions until one of the two
// status tables (status_map.h) turns them into a StatusCode.
#pragma once
#include <stdexcept>
#include <string>

namespace vortab {

// A compile error 1 to 8 with the text of the sub-expression where it was found.
class ECompile : public std::runtime_error {
public:
    ECompile(int code, std::string text)
        : std::runtime_error("compile error " + std::to_string(code)), code_(code),
          text_(std::move(text)) {}
    int code() const { return code_; }
    const std::string& text() const { return text_; }

private:
    int code_;
    std::string text_;
};

// A command found its change already in place.
class EAlreadyUpdated : public std::runtime_error {
public:
    EAlreadyUpdated() : std::runtime_error("Database already updated") {}
};

// A table belongs to another driver than the context's; carries the expected driver name.
class EDriverMismatch : public std::runtime_error {
public:
    explicit EDriverMismatch(const std::string& expectedDriver)
        : std::runtime_error(expectedDriver) {}
};

class ENotSupportedByDriver : public std::runtime_error {
public:
    ENotSupportedByDriver() : std::runtime_error("Command not supported by driver") {}
};

// The table layer's "Unsupported" error.
class EUnsupported : public std::runtime_error {
public:
    EUnsupported() : std::runtime_error("Unsupported") {}
};

// Arithmetic and conversion failures.
class EVariantError : public std::runtime_error {
public:
    EVariantError() : std::runtime_error("Invalid variant type conversion") {}
};
class EOverflow : public std::runtime_error {
public:
    EOverflow() : std::runtime_error("Floating point overflow") {}
};
class EZeroDivide : public std::runtime_error {
public:
    EZeroDivide() : std::runtime_error("Division by zero") {}
};
class EInvalidOp : public std::runtime_error {
public:
    EInvalidOp() : std::runtime_error("Invalid floating point operation") {}
};
// Any other failure during evaluation (an impossible date, an invalid format).
class EExecution : public std::runtime_error {
public:
    explicit EExecution(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace vortab
