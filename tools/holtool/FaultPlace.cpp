#include "tools/holtool/FaultPlace.h"

#include "rules/RuleWalk.h"
#include "tools/holtool/ShownName.h"

namespace holtool {

std::string FaultPlace(const std::exception& error, const std::string& file) {
    const std::string shown = ShownName(file);
    const auto* rule = dynamic_cast<const rules::ERuleError*>(&error);
    if (rule == nullptr) {
        return shown + ": ";
    }
    return shown + ':' + std::to_string(rule->Row()) + ':' + std::to_string(rule->Col()) + ": ";
}

} // namespace holtool
