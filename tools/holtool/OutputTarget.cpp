#include "tools/holtool/OutputTarget.h"

#include "tools/holtool/ShownName.h"
#include "tools/holtool/ToolError.h"

#include <sys/stat.h>

namespace holtool {
namespace {

const char* KindOf(mode_t mode) {
    if (S_ISFIFO(mode)) {
        return "a pipe";
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return "a device";
    }
    if (S_ISSOCK(mode)) {
        return "a socket";
    }
    return "a special file";
}

} // namespace

bool IsStandardOutput(const std::string& target) noexcept {
    return target == "-";
}

void CheckOutputTarget(const std::string& target, const std::string& argument,
                       const std::string& use) {
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0 || S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)) {
        return;
    }
    throw ToolError(argument + ": " + ShownName(target) + " is " + KindOf(st.st_mode) +
                    ", not a regular file; " + use + " writes to standard output");
}

} // namespace holtool
