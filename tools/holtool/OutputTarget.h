#pragma once

#include <string>

namespace holtool {

// Whether a file argument names standard output instead of a file: "-".
[[nodiscard]] bool IsStandardOutput(const std::string& target) noexcept;

// Refuses a target that exists, after following symbolic links, as anything but a regular
// file or a folder (a pipe such as /dev/stdout into one, a device, a socket): throws ToolError
// "ARGUMENT: TARGET is a pipe, not a regular file; USE writes to standard output". Folders,
// missing files and regular files are left to the safe save.
void CheckOutputTarget(const std::string& target, const std::string& argument,
                       const std::string& use);

} // namespace holtool
