#include "rules/RuleWalk.h"

#include "rules/DateConversion.h"
#include "rules/Easter.h"

#include <algorithm>
#include <optional>

namespace rules {

namespace {

// Runs step and returns its conversion message, or nothing when it succeeds.
template <typename Step> std::optional<std::string> FailureOf(Step&& step) {
    try {
        step();
    } catch (const holiday::EConvertError& error) {
        return std::string(error.what());
    }
    return std::nullopt;
}

} // namespace

RuleYear RuleYearOf(std::int32_t year) noexcept {
    const EasterDate easter = Ostern(year);
    return {static_cast<std::uint16_t>(year), easter.Day, easter.Month};
}

std::vector<RuleFault> FaultsOf(const RuleRow& row, const RuleYear& year) {
    const auto evaluate = [&](std::string_view weekday, std::string_view offset) {
        return [&, weekday, offset] {
            (void)EvaluateHolidayRule(row.Rule.StartDate(), weekday, offset, year.Year,
                                      year.EasterDay, year.EasterMonth);
        };
    };
    std::vector<RuleFault> faults;
    if (!FailureOf([&] { (void)row.Rule.Evaluate(year); })) {
        return faults;
    }
    const std::optional<std::string> startFault = FailureOf(evaluate("0", "0"));
    if (startFault) {
        faults.push_back({StartDateCol, *startFault});
    }
    bool weekdayOk = !startFault;
    if (!startFault && row.Rule.Weekday() != "0") {
        if (auto fault = FailureOf(evaluate(row.Rule.Weekday(), "0"))) {
            faults.push_back({WeekdayCol, *fault});
            weekdayOk = false;
        }
    }
    if (row.Rule.Offset() != "0") {
        auto fault = FailureOf([&] { (void)ParseInteger(row.Rule.Offset()); });
        if (!fault && weekdayOk) {
            fault = FailureOf(evaluate(row.Rule.Weekday(), row.Rule.Offset()));
        }
        if (fault) {
            faults.push_back({OffsetCol, *fault});
        }
    }
    return faults;
}

RuleWalk::RuleWalk(const holiday::HolidayTable& table, RuleRowRange range)
    : mTable(table), mCells(table.Cells()), mRange(range) {}

const RuleRows& RuleWalk::Rows() {
    if (Changed()) {
        ReadFrom(0, mRange.First);
    }
    return mRows;
}

void RuleWalk::Prepare(holiday::WorkProgress* progress) {
    if (Changed()) {
        ReadFrom(0, mRange.First, progress);
    }
}

bool RuleWalk::ReleaseSome() noexcept {
    mRowCount = -1;
    return mRows.ReleaseLastChunk();
}

void RuleWalk::ReadFrom(std::size_t index, std::int32_t row, holiday::WorkProgress* progress) {
    constexpr std::int32_t ProgressRows = 1 << 12;
    mRows.Truncate(index);
    mRevision = mCells.Revision();
    mRowCount = mTable.RowCount();
    const std::int32_t end = std::min(mRange.End, mRowCount);
    try {
        for (row = std::max(row, FirstRuleRow); row < end; ++row) {
            if (progress != nullptr && row % ProgressRows == 0) {
                holiday::AdvanceOrAbort(progress, row, mRowCount);
            }
            const std::string_view startDate = mCells.View(StartDateCol, row);
            if (startDate.empty()) {
                continue;
            }
            mRows.push_back({row, mCells.View(TitleCol, row),
                             PreparedHolidayRule(startDate, mCells.View(WeekdayCol, row),
                                                 mCells.View(OffsetCol, row))});
        }
    } catch (...) {
        mRowCount = -1; // read whole at the next use
        throw;
    }
}

void RuleWalk::ThrowRuleError(const RuleRow& row, const RuleYear& ruleYear, std::int32_t year) {
    // The message is the one caught; the faults only tell its column, the first of them being
    // the error the evaluation throws.
    const std::exception_ptr error = std::current_exception();
    std::string message;
    try {
        std::rethrow_exception(error);
    } catch (const holiday::EConvertError& caught) {
        message = caught.what();
    }
    const std::vector<RuleFault> faults = FaultsOf(row, ruleYear);
    const std::int32_t col = faults.empty() ? StartDateCol : faults.front().Col;
    throw ERuleError(message, error, row.Row, col, year);
}

} // namespace rules
