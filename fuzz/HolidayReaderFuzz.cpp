// Reads arbitrary bytes as a .hol file after the open reset, then checks that what the writer
// makes of the result reads back to the same counts and texts.

#include "holiday/HolidayFile.h"
#include "holiday/HolidayTable.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

namespace {

std::string Write(const holiday::HolidayTable& table) {
    std::ostringstream out;
    holiday::SaveToStream(table, out);
    return out.str();
}

void Read(holiday::HolidayTable& table, const std::string& bytes) {
    table.ResetForOpen();
    std::istringstream in(bytes);
    holiday::LoadFromStream(table, in);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    holiday::HolidayTable table;
    Read(table, std::string(reinterpret_cast<const char*>(data), size));
    // Every cell of the extent is written, so a wide and tall extent is too big to compare.
    if (std::int64_t{table.ColCount()} * table.RowCount() > 4'000'000) {
        return 0;
    }
    // The writer's bytes hold every count and text; reading them back and writing again must
    // give the same bytes.
    const std::string written = Write(table);
    holiday::HolidayTable back;
    Read(back, written);
    if (back.ColCount() != table.ColCount() || back.RowCount() != table.RowCount() ||
        Write(back) != written) {
        std::abort();
    }
    return 0;
}
