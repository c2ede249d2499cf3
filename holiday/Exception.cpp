#include "holiday/Exception.h"

namespace holiday {

namespace {

constexpr int MaxInnerDepth = 10'000; // a guard against a chain that loops back on itself

// The error's own message and, for our kinds, the error it wraps.
struct ChainLink {
    std::string Message;
    std::exception_ptr Inner;
};

ChainLink ReadLink(const std::exception& error) {
    const auto* own = dynamic_cast<const Exception*>(&error);
    return {error.what(), own != nullptr ? own->InnerException() : nullptr};
}

ChainLink ReadLink(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return ReadLink(e);
    } catch (...) {
        return {"Unbekannter Fehler", nullptr};
    }
}

std::string TextOfChain(ChainLink link) {
    std::string text = link.Message;
    for (int depth = 0; link.Inner && depth < MaxInnerDepth; ++depth) {
        link = ReadLink(link.Inner);
    }
    if (!link.Message.empty()) {
        text = std::move(link.Message);
    }
    // A UTF-8 text ends in a byte above '.' exactly when its last character lies above '.'.
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') {
        text += '.';
    }
    return text;
}

} // namespace

std::string DisplayText(const std::exception& error) {
    return TextOfChain(ReadLink(error));
}

std::string DisplayText(const std::exception_ptr& error) {
    return TextOfChain(ReadLink(error));
}

} // namespace holiday
