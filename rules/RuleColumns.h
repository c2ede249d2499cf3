#pragma once

#include <cstdint>

namespace rules {

// The columns of the holiday table that hold the rules; rows 1 and up are rules, row 0 is the
// header. Column 4 is carried and stored but read by nothing; the configuration columns (one
// per state or province) follow the rule columns.
inline constexpr std::int32_t TitleCol = 0;
inline constexpr std::int32_t StartDateCol = 1; // "30.11" or "Easter"; empty: no rule
inline constexpr std::int32_t WeekdayCol = 2;   // the weekday move such as "-We"; "0": none
inline constexpr std::int32_t OffsetCol = 3;    // the offset in days such as "+14"; "0": none
inline constexpr std::int32_t RuleColumnCount = 5;
// The first configuration column: the one right after the rule columns.
inline constexpr std::int32_t FirstConfigCol = RuleColumnCount;
// The first row that holds a rule; the rows before it are the header.
inline constexpr std::int32_t FirstRuleRow = 1;

} // namespace rules
