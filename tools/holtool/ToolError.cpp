#include "tools/holtool/ToolError.h"

#include "holiday/Exception.h"

#include <algorithm>

namespace holtool {

std::string WithFullStop(std::string message) {
    // A UTF-8 text ends in a byte above '.' exactly when its last character does.
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') {
        message += '.';
    }
    return message;
}

std::string DisplayText(const std::exception& error) {
    std::string message = error.what();
    const auto* own = dynamic_cast<const holiday::Exception*>(&error);
    std::exception_ptr inner = own != nullptr ? own->InnerException() : nullptr;
    while (inner) {
        try {
            std::rethrow_exception(inner);
        } catch (const holiday::Exception& e) {
            if (*e.what() != '\0') {
                message = e.what();
            }
            inner = e.InnerException();
        } catch (const std::exception& e) {
            if (*e.what() != '\0') {
                message = e.what();
            }
            inner = nullptr;
        } catch (...) {
            inner = nullptr;
        }
    }
    return WithFullStop(std::move(message));
}

std::string OneLine(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return text;
}

} // namespace holtool
