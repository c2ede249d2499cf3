// Loading and saving a .hol file of 1,000,000 rows x 8 cells (about 100 MB of realistic
// texts). The file comes from HOLIDAY_BENCH_FILE, or is generated into /tmp when that is unset.
//
//   bench_HolidayFileBench --generate=PATH [--rows=N]   writes the file (N rows) and exits
//   bench_HolidayFileBench --load-once=PATH  loads it once and prints the peak memory

#include "holiday/HolidayFile.h"
#include "holiday/HolidayTable.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

constexpr int BenchRows = 1'000'000;

// Row r of the generated file: title, start date, weekday move, offset, note, three marks.
std::string GeneratedRow(int r) {
    static const char* const titles[] = {
        "Mariä Himmelfahrt", "Fronleichnam",        "Tag der Deutschen Einheit",
        "Buß- und Bettag",   "Heilige Drei Könige", "Reformationstag",
        "Allerheiligen",     "Erster Advent",       "Volkstrauertag und Gedenken",
        "Muttertag",         "Pfingstmontag",       "Christi Himmelfahrt"};
    static const char* const moves[] = {"0", "+Su", "-We", "+Mo", "-Sa", "+Fr"};
    static const char* const offsets[] = {"0", "+1", "-2", "+14", "-48", "+39", "+7"};
    static const char* const marks[] = {"", "1", "*", "#", "1*", ""};
    const unsigned u = static_cast<unsigned>(r) * 2654435761u;
    std::string row = titles[u % 12];
    row += " (Gemeinde Nr. " + std::to_string(r) + ", Südwestdeutschland)";
    row += '\0';
    row += (u >> 8) % 5 == 0
               ? std::string("Easter")
               : std::to_string(1 + (u >> 3) % 28) + "." + std::to_string(1 + (u >> 11) % 12);
    row += '\0';
    row += moves[(u >> 13) % 6];
    row += '\0';
    row += offsets[(u >> 17) % 7];
    row += '\0';
    row += (u >> 20) % 3 == 0 ? "nur regional, Schulen geschlossen" : "bundesweit gültig";
    for (int k = 0; k < 3; ++k) {
        row += '\0';
        row += marks[(u >> (22 + 2 * k)) % 6];
    }
    row += '\x01';
    return row;
}

void Generate(const std::string& path, int rows = BenchRows) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "Titel" << '\0' << "Datum" << '\0' << "Richtung" << '\0' << "Offset" << '\0' << "Notiz"
        << '\0' << "BY" << '\0' << "NW" << '\0' << "SN" << '\x01';
    for (int r = 1; r < rows; ++r) {
        out << GeneratedRow(r);
    }
}

std::string BenchFile() {
    if (const char* env = std::getenv("HOLIDAY_BENCH_FILE"); env != nullptr && *env != '\0') {
        return env;
    }
    const std::string path = "/tmp/holiday-bench-1m.hol";
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        Generate(path);
    }
    return path;
}

std::int64_t FileSize(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<std::int64_t>(st.st_size) : 0;
}

double PeakRssMegabytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
}

void BM_LoadHolidayFile(benchmark::State& state) {
    const std::string path = BenchFile();
    for (auto _ : state) {
        auto table = std::make_unique<holiday::HolidayTable>();
        holiday::OpenHolidayFile(*table, path);
        benchmark::DoNotOptimize(table->RowCount());
        state.PauseTiming(); // freeing the table is not part of loading
        table.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * FileSize(path));
    state.counters["peak_rss_MB"] = PeakRssMegabytes();
}
BENCHMARK(BM_LoadHolidayFile)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_SaveHolidayFile(benchmark::State& state) {
    const std::string path = BenchFile();
    holiday::HolidayTable table;
    holiday::OpenHolidayFile(table, path);
    const std::string target = path + ".saved";
    for (auto _ : state) {
        holiday::SaveToFile(table, target);
    }
    state.SetBytesProcessed(state.iterations() * FileSize(target));
    std::remove(target.c_str());
}
BENCHMARK(BM_SaveHolidayFile)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// The same save with the sync of the temporary file left out: the program's own work.
void BM_SaveHolidayFileWithoutSync(benchmark::State& state) {
    holiday::detail::SyncHook = [](int) { return 0; };
    BM_SaveHolidayFile(state);
    holiday::detail::SyncHook = nullptr;
}
BENCHMARK(BM_SaveHolidayFileWithoutSync)->Unit(benchmark::kMillisecond)->MinTime(3.0);

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::string(argv[1]).rfind("--generate=", 0) == 0) {
        const bool counted = argc == 3 && std::string(argv[2]).rfind("--rows=", 0) == 0;
        Generate(std::string(argv[1]).substr(11),
                 counted ? std::stoi(std::string(argv[2]).substr(7)) : BenchRows);
        return 0;
    }
    if (argc == 2 && std::string(argv[1]).rfind("--load-once=", 0) == 0) {
        holiday::HolidayTable table;
        holiday::OpenHolidayFile(table, std::string(argv[1]).substr(12));
        std::printf("rows %d cols %d peak_rss_MB %.1f\n", table.RowCount(), table.ColCount(),
                    PeakRssMegabytes());
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
