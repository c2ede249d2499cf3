#include "tools/holtool/FaultPlace.h"

#include "tools/holtool/CheckCommand.h"
#include "tools/holtool/ShownName.h"

#include <tuple>

namespace holtool {

std::string FaultPlace(const holiday::HolidayTable& table, YearRange years, const std::string& file,
                       const std::string& message) {
    const CellFault* first = nullptr;
    const auto key = [&message](const CellFault& fault) {
        return std::make_tuple(fault.Years.front(), fault.Row, fault.Message != message);
    };
    const std::vector<CellFault> faults = FindRuleFaults(table, years);
    for (const CellFault& fault : faults) {
        if (first == nullptr || key(fault) < key(*first)) {
            first = &fault;
        }
    }
    const std::string shown = ShownName(file);
    if (first == nullptr) {
        return shown + ": ";
    }
    return shown + ':' + std::to_string(first->Row) + ':' + std::to_string(first->Col) + ": ";
}

} // namespace holtool
