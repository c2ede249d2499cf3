#pragma once

#include "holiday/Exception.h"
#include "holiday/HolidayTable.h"
#include "holiday/WorkProgress.h"
#include "rules/CalendarDate.h"
#include "rules/HolidayRule.h"
#include "rules/RuleColumns.h"
#include "rules/RuleRows.h"

#include <cstdint>
#include <exception>
#include <limits>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace rules {

// A rule's conversion error with where it is: the row, the rule column whose text fails (the
// start date, the weekday move or the offset) and the year. Its message, and the text the error
// display shows for it, are those of the conversion error it stands for, which it carries as its
// inner error.
class ERuleError : public holiday::EConvertError {
public:
    ERuleError(const std::string& message, std::exception_ptr inner, std::int32_t row,
               std::int32_t col, std::int32_t year)
        : EConvertError(message, std::move(inner)), mRow(row), mCol(col), mYear(year) {}

    [[nodiscard]] std::int32_t Row() const noexcept { return mRow; }
    [[nodiscard]] std::int32_t Col() const noexcept { return mCol; }
    [[nodiscard]] std::int32_t Year() const noexcept { return mYear; }

private:
    std::int32_t mRow;
    std::int32_t mCol;
    std::int32_t mYear;
};

// One faulty cell of a rule in one year: its column and its conversion message.
struct RuleFault {
    std::int32_t Col = 0;
    std::string Message;

    friend bool operator==(const RuleFault&, const RuleFault&) = default;
};

// Rows First up to End - 1, cut to the rule rows of the table (FirstRuleRow to RowCount - 1).
struct RuleRowRange {
    std::int32_t First = FirstRuleRow;
    std::int32_t End = std::numeric_limits<std::int32_t>::max();
};

// The year as the rules need it, with Ostern's Easter date; for the years 1 to 9999, the only
// ones the report and holtool take.
[[nodiscard]] RuleYear RuleYearOf(std::int32_t year) noexcept;

// Every faulty cell of row's rule in year, by column; empty when the rule gives a date. The start
// date is judged with no weekday move and no offset, the weekday move with no offset, and the
// offset on its own and then with the whole rule, so a row whose start date fails can still show
// a faulty offset. The first fault is the error the rule's evaluation throws.
[[nodiscard]] std::vector<RuleFault> FaultsOf(const RuleRow& row, const RuleYear& year);

// The one walk over the rule rows of a table, in row order, for the report, the command-line
// tool and anything that evaluates a table's rules. It only reads the table, which must outlive
// it. The table may change between and during its calls (a visitor may change it, or let a
// window's events run that do): the walk then reads the rows again from where it is, so every
// row it hands over, and every date, is of the table as it stands at that moment.
class RuleWalk {
public:
    explicit RuleWalk(const holiday::HolidayTable& table, RuleRowRange range = {});

    // The rule rows of the range, in row order, read again if the table changed since they were
    // last read. Valid until the next call of this walk or the next change of the table.
    [[nodiscard]] const RuleRows& Rows();
    // Reads the rule rows now when the table changed since they were last read, telling
    // progress (may be null) the row reached of RowCount every few thousand rows. Throws
    // EAbort when progress asks to stop; the rows are then read again at their next use.
    void Prepare(holiday::WorkProgress* progress);
    // Gives back the memory of some of the rows read (a chunk of them); false when none was
    // left. Calls in a loop free even ten million rules in short steps. The rows are read again
    // at their next use.
    bool ReleaseSome() noexcept;

    // For each rule row of the range in row order, the date its rule gives in year, handed to
    // visit(const RuleRow&, CalendarDate). visit may return void, or bool: false stops the walk
    // there (a cancel, or the end of a slice). The row is valid until visit returns or changes
    // the table. Returns false when visit stopped it, else true. Throws ERuleError at the first
    // rule that fails, after visit had every date before it.
    template <typename Visit> bool WalkYear(std::int32_t year, Visit&& visit);

private:
    // The rows are read once for all years, which is what makes the report's figure in
    // bench/README.md ("Test report"); one comparison a row tells when to read them again.
    [[nodiscard]] bool Changed() const noexcept {
        return mCells.Revision() != mRevision || mTable.RowCount() != mRowCount;
    }
    // Drops the rows from index on and reads the rule rows from row on again.
    void ReadFrom(std::size_t index, std::int32_t row, holiday::WorkProgress* progress = nullptr);
    [[noreturn]] static void ThrowRuleError(const RuleRow& row, const RuleYear& ruleYear,
                                            std::int32_t year);

    const holiday::HolidayTable& mTable;
    const holiday::CellStore& mCells;
    RuleRowRange mRange;
    RuleRows mRows;
    std::uint64_t mRevision = 0;
    std::int32_t mRowCount = -1; // never a row count: the first use reads the rows
};

template <typename Visit> bool RuleWalk::WalkYear(std::int32_t year, Visit&& visit) {
    if (Changed()) {
        ReadFrom(0, mRange.First);
    }
    const RuleYear ruleYear = RuleYearOf(year);
    // The table and the state it was read in, held where a visitor cannot change them.
    const holiday::HolidayTable& table = mTable;
    const holiday::CellStore& cells = mCells;
    std::uint64_t revision = mRevision;
    std::int32_t rowCount = mRowCount;
    for (std::size_t i = 0; i < mRows.size(); ++i) {
        const RuleRow& row = mRows[i];
        CalendarDate date;
        try {
            date = row.Rule.Evaluate(ruleYear);
        } catch (const holiday::EConvertError&) {
            ThrowRuleError(row, ruleYear, year);
        }
        const std::int32_t rowNumber = row.Row;
        if constexpr (std::is_void_v<std::invoke_result_t<Visit&, const RuleRow&, CalendarDate>>) {
            visit(row, date);
        } else if (!visit(row, date)) {
            return false;
        }
        if (cells.Revision() != revision || table.RowCount() != rowCount) {
            ReadFrom(i + 1, rowNumber + 1);
            revision = mRevision;
            rowCount = mRowCount;
        }
    }
    return true;
}

} // namespace rules
