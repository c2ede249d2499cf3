#include "tools/holtool/CheckCommand.h"

#include "holiday/Exception.h"
#include "holiday/HolidayFile.h"
#include "holiday/HolidayTable.h"
#include "rules/DateConversion.h"
#include "rules/Easter.h"
#include "rules/HolidayRule.h"
#include "rules/RuleColumns.h"
#include "tools/holtool/InputFile.h"
#include "tools/holtool/ShownName.h"
#include "tools/holtool/ToolError.h"

#include <array>
#include <memory>
#include <optional>
#include <ostream>

namespace holtool {
namespace {

using rules::FirstRuleRow;
using rules::OffsetCol;
using rules::StartDateCol;
using rules::WeekdayCol;

// Runs step and returns its conversion message, or nothing when it succeeds.
template <typename Step> std::optional<std::string> FailureOf(Step&& step) {
    try {
        step();
    } catch (const holiday::EConvertError& error) {
        return std::string(error.what());
    }
    return std::nullopt;
}

// The faults of one rule row, one slot per rule column.
class RowFaults {
public:
    void Note(std::int32_t col, std::int32_t year, std::string message) {
        std::optional<CellFault>& slot = mSlots[static_cast<std::size_t>(col)];
        if (!slot) {
            slot = CellFault{0, col, std::move(message), {}};
        }
        slot->Years.push_back(year);
    }

    void MoveTo(std::vector<CellFault>& faults, std::int32_t row) {
        for (std::optional<CellFault>& slot : mSlots) {
            if (slot) {
                slot->Row = row;
                faults.push_back(std::move(*slot));
            }
        }
    }

private:
    std::array<std::optional<CellFault>, OffsetCol + 1> mSlots;
};

void CheckRow(const std::string& start, const std::string& weekday, const std::string& offset,
              std::int32_t year, rules::EasterDate easter, RowFaults& faults) {
    const auto y = static_cast<std::uint16_t>(year);
    const auto evaluate = [&](std::string_view w, std::string_view o) {
        return [&, w, o] {
            (void)rules::EvaluateHolidayRule(start, w, o, y, easter.Day, easter.Month);
        };
    };
    if (!FailureOf(evaluate(weekday, offset))) {
        return;
    }
    const std::optional<std::string> startFault = FailureOf(evaluate("0", "0"));
    if (startFault) {
        faults.Note(StartDateCol, year, *startFault);
    }
    bool weekdayOk = !startFault;
    if (!startFault && weekday != "0") {
        if (auto fault = FailureOf(evaluate(weekday, "0"))) {
            faults.Note(WeekdayCol, year, *fault);
            weekdayOk = false;
        }
    }
    if (offset != "0") {
        auto fault = FailureOf([&] { (void)rules::ParseInteger(offset); });
        if (!fault && weekdayOk) {
            fault = FailureOf(evaluate(weekday, offset));
        }
        if (fault) {
            faults.Note(OffsetCol, year, *fault);
        }
    }
}

} // namespace

std::vector<CellFault> FindRuleFaults(const holiday::HolidayTable& table, YearRange years) {
    std::vector<rules::EasterDate> easter;
    easter.reserve(static_cast<std::size_t>(years.Size()));
    for (std::int32_t year = years.First; year <= years.Last; ++year) {
        easter.push_back(rules::Ostern(year));
    }

    std::vector<CellFault> faults;
    for (std::int32_t row = FirstRuleRow; row < table.RowCount(); ++row) {
        const std::string start = table.GetCell(StartDateCol, row);
        if (start.empty()) {
            continue;
        }
        const std::string weekday = table.GetCell(WeekdayCol, row);
        const std::string offset = table.GetCell(OffsetCol, row);
        RowFaults rowFaults;
        for (std::int32_t year = years.First; year <= years.Last; ++year) {
            CheckRow(start, weekday, offset, year,
                     easter[static_cast<std::size_t>(year - years.First)], rowFaults);
        }
        rowFaults.MoveTo(faults, row);
    }
    return faults;
}

std::string DescribeYears(const std::vector<std::int32_t>& years, YearRange range) {
    if (static_cast<std::int64_t>(years.size()) == range.Size()) {
        return {};
    }
    std::string text = " (years ";
    for (std::size_t i = 0; i < years.size();) {
        std::size_t end = i;
        while (end + 1 < years.size() && years[end + 1] == years[end] + 1) {
            ++end;
        }
        if (i != 0) {
            text += ", ";
        }
        text += std::to_string(years[i]);
        if (end != i) {
            text += '-' + std::to_string(years[end]);
        }
        i = end + 1;
    }
    return text + ')';
}

int RunCheck(const std::vector<std::string>& files, YearRange years, std::ostream& out,
             std::ostream& err) {
    bool anyFault = false;
    bool unreadable = false;
    for (const std::string& file : files) {
        holiday::HolidayTable table;
        holiday::ReadLosses losses;
        try {
            losses = ReadInputFile(table, file);
        } catch (const holiday::Exception& error) {
            PrintError(out, err, WithShownNames(holiday::DisplayText(error), {file}));
            unreadable = true;
            continue;
        }
        // What the file holds that the editor cannot show, and a save would drop.
        for (const holiday::GridCoord& cell : losses.IllFormedCells) {
            out << ShownName(file) << ':' << cell.Row << ':' << cell.Col << ": "
                << holiday::IllFormedCellText << '\n';
            anyFault = true;
        }
        if (losses.UnreadBytes > 0) {
            out << ShownName(file) << ':' << table.RowCount()
                << ":0: " << holiday::LossSentences(losses).back() << '\n';
            anyFault = true;
        }
        for (const CellFault& fault : FindRuleFaults(table, years)) {
            out << ShownName(file) << ':' << fault.Row << ':' << fault.Col << ": " << fault.Message
                << DescribeYears(fault.Years, years) << '\n';
            anyFault = true;
        }
    }
    if (unreadable) {
        return ExitTrouble;
    }
    return anyFault ? ExitFaults : ExitOk;
}

} // namespace holtool
