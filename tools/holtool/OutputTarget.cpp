#include "tools/holtool/OutputTarget.h"

#include "holiday/FilePaths.h"
#include "tools/holtool/ShownName.h"
#include "tools/holtool/ToolError.h"

#include <sys/stat.h>

namespace holtool {
namespace {

const char* KindOf(holiday::FileKind kind) {
    switch (kind) {
    case holiday::FileKind::Pipe:
        return "a pipe";
    case holiday::FileKind::Device:
        return "a device";
    case holiday::FileKind::Socket:
        return "a socket";
    default:
        return "a special file";
    }
}

} // namespace

bool IsStandardOutput(const std::string& target) noexcept {
    return target == "-";
}

void CheckOutputTarget(const std::string& target, const std::string& argument,
                       const std::string& use) {
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0) {
        return;
    }
    const holiday::FileKind kind = holiday::KindOfFile(st.st_mode);
    if (kind == holiday::FileKind::Regular || kind == holiday::FileKind::Folder) {
        return;
    }
    throw ToolError(argument + ": " + ShownName(target) + " is " + KindOf(kind) +
                    ", not a regular file; " + use + " writes to standard output");
}

} // namespace holtool
