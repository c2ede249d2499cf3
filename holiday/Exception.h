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

// The text the user is shown for error: the message of the innermost error of its chain of
// inner errors when that is not empty, else the error's own (outermost) message; then a full
// stop is appended when the text is not empty and its last character lies above ".". Errors
// that are not of our kinds end the chain with their what() text; an error that is no
// std::exception reads "Unbekannter Fehler". Texts are UTF-8.
[[nodiscard]] std::string DisplayText(const std::exception& error);
[[nodiscard]] std::string DisplayText(const std::exception_ptr& error);

} // namespace holiday
