#include "tools/holtool/CheckCommand.h"

#include "holiday/Exception.h"
#include "holiday/HolidayFile.h"
#include "holiday/HolidayTable.h"
#include "rules/RuleWalk.h"
#include "tools/holtool/InputFile.h"
#include "tools/holtool/ShownName.h"
#include "tools/holtool/ToolError.h"

#include <array>
#include <memory>
#include <optional>
#include <ostream>

namespace holtool {
namespace {

// The faults of one rule row, one slot per rule column.
class RowFaults {
public:
    void Note(const rules::RuleFault& fault, std::int32_t year) {
        std::optional<CellFault>& slot = mSlots[static_cast<std::size_t>(fault.Col)];
        if (!slot) {
            slot = CellFault{0, fault.Col, fault.Message, {}};
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
    std::array<std::optional<CellFault>, rules::OffsetCol + 1> mSlots;
};

} // namespace

std::vector<CellFault> FindRuleFaults(const holiday::HolidayTable& table, YearRange years) {
    std::vector<rules::RuleYear> ruleYears;
    ruleYears.reserve(static_cast<std::size_t>(years.Size()));
    for (std::int32_t year = years.First; year <= years.Last; ++year) {
        ruleYears.push_back(rules::RuleYearOf(year));
    }

    std::vector<CellFault> faults;
    rules::RuleWalk walk(table);
    for (const rules::RuleRow& row : walk.Rows()) {
        RowFaults rowFaults;
        for (std::int32_t year = years.First; year <= years.Last; ++year) {
            for (const rules::RuleFault& fault :
                 rules::FaultsOf(row, ruleYears[static_cast<std::size_t>(year - years.First)])) {
                rowFaults.Note(fault, year);
            }
        }
        rowFaults.MoveTo(faults, row.Row);
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
