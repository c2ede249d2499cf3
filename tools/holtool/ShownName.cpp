#include "tools/holtool/ShownName.h"

#include "holiday/FilePaths.h"
#include "holiday/Utf8.h"

#include <cstdio>

namespace holtool {
namespace {

// The bytes of name from at that print as they are: one well-formed character that is not a
// control character (C0, DEL, C1) and not a single quote; 0 for any other.
std::size_t PrintableAt(std::string_view name, std::size_t at) {
    const holiday::Utf8Char c = holiday::DecodeUtf8Char(name, at);
    const bool invalid = c.CodePoint == U'\uFFFD' && c.Bytes == 1;
    const bool control = c.CodePoint < 0x20 || (c.CodePoint >= 0x7F && c.CodePoint < 0xA0);
    return invalid || control || c.CodePoint == U'\'' ? 0 : c.Bytes;
}

void AppendEscaped(std::string& out, unsigned char byte) {
    switch (byte) {
    case '\n':
        out += "\\n";
        return;
    case '\t':
        out += "\\t";
        return;
    case '\r':
        out += "\\r";
        return;
    default:
        char octal[8];
        std::snprintf(octal, sizeof octal, "\\%03o", byte);
        out += octal;
    }
}

} // namespace

std::string ShownName(std::string_view name) {
    bool plain = true;
    for (std::size_t at = 0; at < name.size() && plain;) {
        const std::size_t bytes = PrintableAt(name, at);
        plain = bytes != 0;
        at += bytes;
    }
    if (plain) {
        return std::string(name);
    }
    enum class Quote { None, Single, Dollar } quote = Quote::None;
    std::string out;
    const auto enter = [&](Quote wanted) {
        if (quote != wanted) {
            if (quote != Quote::None) {
                out += '\'';
            }
            out += wanted == Quote::Dollar ? "$'" : wanted == Quote::Single ? "'" : "";
            quote = wanted;
        }
    };
    for (std::size_t at = 0; at < name.size();) {
        if (const std::size_t bytes = PrintableAt(name, at); bytes != 0) {
            enter(Quote::Single);
            out.append(name.substr(at, bytes));
            at += bytes;
        } else if (name[at] == '\'') {
            enter(Quote::None);
            out += "\\'";
            ++at;
        } else {
            enter(Quote::Dollar);
            AppendEscaped(out, static_cast<unsigned char>(name[at]));
            ++at;
        }
    }
    enter(Quote::None);
    return out;
}

std::string WithShownNames(std::string message, const std::vector<std::string>& names) {
    const auto replace = [&message](const std::string& text, const std::string& shown) {
        for (std::size_t at = message.find(text); !text.empty() && at != std::string::npos;
             at = message.find(text, at + shown.size())) {
            message.replace(at, text.size(), shown);
        }
    };
    for (const std::string& name : names) {
        if (ShownName(name) == name) {
            continue;
        }
        const std::string path = holiday::ShownPath(name);
        replace(path, ShownName(path));
        replace(name, ShownName(name));
    }
    return message;
}

} // namespace holtool
