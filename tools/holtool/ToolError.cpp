#include "tools/holtool/ToolError.h"

#include <algorithm>
#include <ostream>

namespace holtool {
namespace {

std::string OneLine(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return text;
}

} // namespace

void PrintError(std::ostream& out, std::ostream& err, const std::string& message) {
    out.flush();
    err << "holtool: " << OneLine(message) << '\n';
}

} // namespace holtool
