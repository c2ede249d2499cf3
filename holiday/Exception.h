#pragma once

#include <exception>
#include <stdexcept>
#include <string>

namespace holiday {

// The program's own error kinds. Each carries its finished message text (placeholders
// already filled) and, optionally, the error that caused it; the error display shows the
// innermost non-empty message of that chain.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message, std::exception_ptr inner = nullptr)
        : std::runtime_error(message), mInner(std::move(inner)) {}

    [[nodiscard]] const std::exception_ptr& InnerException() const noexcept { return mInner; }

private:
    std::exception_ptr mInner;
};

// A shape operation of the table that is not allowed ("Gitter zu groß für Operation", ...).
class EInvalidGridOperation : public Exception {
public:
    using Exception::Exception;
};

// A file that cannot be opened for reading, or that fails while it is read.
class EFOpenError : public Exception {
public:
    using Exception::Exception;
};

// A file that cannot be created or written.
class EFCreateError : public Exception {
public:
    using Exception::Exception;
};

// A date or integer text that cannot be converted, or a date that cannot be built.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// The silent abort: unwinds a command and is never shown.
class EAbort : public Exception {
public:
    using Exception::Exception;
};

} // namespace holiday
