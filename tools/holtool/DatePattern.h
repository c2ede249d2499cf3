#pragma once

#include <string_view>

namespace holtool {

// Accepts a pattern of --date-format only when the short date pattern language defines all of
// it: runs of d (1 to 4), m and y in either case, text in single or double quotes that is
// closed, and characters that are neither ASCII letters nor control characters; and only when
// it writes at least one day, month or year. Throws ToolError "--date-format: ..." naming what
// is wrong otherwise.
void CheckDatePattern(std::string_view pattern);

} // namespace holtool
