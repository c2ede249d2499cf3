#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace holtool {

// A file name or argument as the tool shows it: unchanged when every character prints and
// none is a single quote; otherwise quoted as a shell reads it back, printable runs in single
// quotes, a single quote as \' and every other byte (control characters, DEL, C1 controls,
// bytes that are not UTF-8) in $'...' with C escapes: "a\nb.hol" shows as 'a'$'\n''b.hol'.
// So a shown name never spans two lines and no two names show alike.
[[nodiscard]] std::string ShownName(std::string_view name);

// message with each name of names that ShownName changes, and the full path under which the
// file messages name it, replaced by its shown form; every other text of message as it is.
[[nodiscard]] std::string WithShownNames(std::string message,
                                         const std::vector<std::string>& names);

} // namespace holtool
