// The undo history's memory and time on the 100 MB benchmark file (1,000,000 rows x 8 cells,
// bench_HolidayFileBench --generate): one step each of a deleted row, a pasted block of 1,000
// rows and the whole table emptied (Ctrl+A Delete), each undone. The file comes from
// HOLIDAY_BENCH_FILE (default /tmp/holiday-bench-1m.hol). Prints one line a step.

#include "holiday/CellBlockEdit.h"
#include "holiday/HolidayFile.h"
#include "holiday/HolidayTable.h"
#include "holiday/TabSeparatedText.h"
#include "holiday/TableHistory.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>

namespace {

double CpuMs(const std::function<void()>& work) {
    const std::clock_t start = std::clock();
    work();
    return 1e3 * static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
}

} // namespace

int main() {
    const char* env = std::getenv("HOLIDAY_BENCH_FILE");
    const std::string path = env != nullptr ? env : "/tmp/holiday-bench-1m.hol";
    holiday::HolidayTable table;
    (void)holiday::OpenHolidayFile(table, path);
    std::printf("table: %d rows x %d columns, %.1f MB of cells\n", table.RowCount(),
                table.ColCount(), static_cast<double>(table.Cells().MemoryUsage()) / 1e6);
    holiday::TableHistory history(table);
    const auto step = [&](const char* name, const std::function<void()>& change) {
        const std::size_t before = history.Bytes();
        const double doMs = CpuMs([&] {
            const holiday::TableHistory::Step recording(history);
            change();
        });
        const std::size_t bytes = history.Bytes() - before;
        const double undoMs = CpuMs([&] { (void)history.Undo(); });
        const double redoMs = CpuMs([&] { (void)history.Redo(); });
        std::printf("%-34s history +%12zu bytes  change %7.1f ms  undo %7.1f ms  redo %7.1f ms\n",
                    name, bytes, doMs, undoMs, redoMs);
    };
    step("delete row 500,000", [&] { table.DeleteTableRow(500'000); });
    const std::string block = holiday::FormatTabSeparated(table, {{0, 1}, {7, 1000}});
    std::printf("(block of 1,000 rows x 8 cells: %zu bytes of text)\n", block.size());
    step("paste 1,000 x 8 at row 2,000", [&] {
        (void)holiday::PasteBlock(table, {0, 2000}, holiday::TabSeparatedText(block));
    });
    step("Ctrl+A Delete (every cell)", [&] { holiday::EmptyBlock(table, table.ScrollingCells()); });
    std::printf("history in all: %zu bytes in %zu steps\n", history.Bytes(), history.StepCount());
    return 0;
}
