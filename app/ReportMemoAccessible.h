#pragma once

namespace app {

class ReportMemo;

// Makes the report box answer assistive technology as an editable multi-line text (once per
// process; more calls do nothing).
void InstallReportMemoAccessible();

// The caret as an offset into the text that the box's accessible interface shows.
[[nodiscard]] int AccessibleCaretOffset(ReportMemo& memo);

} // namespace app
