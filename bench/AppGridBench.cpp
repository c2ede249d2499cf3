// The grid over a table of 1,048,576 rows x 8 columns filled with holiday rules: the first
// paint of a new grid, scrolling to the last row and painting, and one keystroke into a cell.
// Memory is reported as the growth of the resident set from the filled table to the painted
// window. Also the open command in a shown window, grid attached, until its first paint is
// done, on the file of HOLIDAY_BENCH_FILE (when set).

#include "app/HolidayGrid.h"
#include "app/TForm1.h"
#include "holiday/HolidayFile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <array>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

using namespace app;

namespace {

constexpr std::int32_t Rows = 1'048'576;
constexpr std::int32_t Cols = 8;

[[nodiscard]] double ResidentMegabytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1e6;
}

// Rules as a real file holds them: a title, a start date, a weekday move, an offset, the unused
// column and three configuration marks.
void Fill(holiday::HolidayTable& table) {
    static const std::array<const char*, 6> titles = {
        "Easter Monday", "Last Wednesday in November", "Third Sunday in March",
        "Ascension Day", "Day of German Unity",        "Repentance and Prayer Day"};
    static const std::array<const char*, 6> starts = {"Easter", "30.11", "01.03",
                                                      "Easter", "03.10", "22.11"};
    static const std::array<const char*, 6> moves = {"0", "-We", "+Su", "0", "0", "-We"};
    static const std::array<const char*, 6> offsets = {"+1", "0", "+14", "+39", "0", "0"};
    static const std::array<const char*, 3> marks = {"1", "*", "#"};
    table.SetColCount(Cols);
    table.SetRowCount(Rows);
    table.SetCell(0, 0, "Title");
    table.SetCell(1, 0, "Start");
    table.SetCell(5, 0, "BW");
    table.SetCell(6, 0, "BY");
    table.SetCell(7, 0, "NI");
    for (std::int32_t r = 1; r < Rows; ++r) {
        const auto k = static_cast<std::size_t>(r) % titles.size();
        table.SetCell(0, r, std::string(titles[k]) + " " + std::to_string(r));
        table.SetCell(1, r, starts[k]);
        table.SetCell(2, r, moves[k]);
        table.SetCell(3, r, offsets[k]);
        table.SetCell(5 + r % 3, r, marks[static_cast<std::size_t>(r) % marks.size()]);
    }
}

holiday::HolidayTable& FilledTable() {
    static holiday::HolidayTable* table = [] {
        auto* t = new holiday::HolidayTable();
        Fill(*t);
        return t;
    }();
    return *table;
}

void Paint(HolidayGrid& grid, QImage& image) {
    grid.render(&image);
}

void BM_FirstPaint(benchmark::State& state) {
    holiday::HolidayTable& table = FilledTable();
    const QSize size(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        HolidayGrid grid(table);
        grid.resize(size);
        Paint(grid, image);
        benchmark::DoNotOptimize(image.bits());
    }
}
BENCHMARK(BM_FirstPaint)->Args({1061, 453})->Args({1920, 1080})->Unit(benchmark::kMillisecond);

void BM_ScrollToLastRowAndPaint(benchmark::State& state) {
    holiday::HolidayTable& table = FilledTable();
    HolidayGrid grid(table);
    grid.resize(1061, 453);
    QImage image(grid.size(), QImage::Format_ARGB32_Premultiplied);
    Paint(grid, image);
    bool last = false;
    for (auto _ : state) {
        last = !last;
        table.SetCurrentCell({0, last ? Rows - 1 : 1});
        grid.ScrollToCurrentCell();
        Paint(grid, image);
        benchmark::DoNotOptimize(image.bits());
    }
    table.SetCurrentCell({0, 1});
}
BENCHMARK(BM_ScrollToLastRowAndPaint)->Unit(benchmark::kMillisecond);

// One typed character in the open editor of a cell in the middle of the table, written through
// into the table, and the repaint it causes.
void BM_KeystrokeIntoCell(benchmark::State& state) {
    holiday::HolidayTable& table = FilledTable();
    HolidayGrid grid(table);
    grid.resize(1061, 453);
    grid.show();
    table.SetCurrentCell({0, Rows / 2});
    grid.ScrollToCurrentCell();
    grid.OpenEditor(HolidayGrid::EditorOpening::CaretAtEnd);
    QCoreApplication::processEvents();
    int n = 0;
    for (auto _ : state) {
        const bool erase = ++n % 50 == 0;
        QKeyEvent press(QEvent::KeyPress, erase ? Qt::Key_Backspace : Qt::Key_A, Qt::NoModifier,
                        erase ? QString() : QStringLiteral("a"));
        QCoreApplication::sendEvent(grid.Editor(), &press);
        QCoreApplication::processEvents(); // paints what the keystroke changed
    }
    grid.CloseEditor();
    table.SetCurrentCell({0, 1});
}
BENCHMARK(BM_KeystrokeIntoCell)->Unit(benchmark::kMicrosecond);

// The open command once its dialog has returned the path: open, reset, read, size the
// configuration columns; then the window's layout and the grid's first paint.
void BM_OpenInWindow(benchmark::State& state) {
    const char* path = std::getenv("HOLIDAY_BENCH_FILE");
    if (path == nullptr || *path == '\0') {
        state.SkipWithError("HOLIDAY_BENCH_FILE is not set");
        return;
    }
    TForm1 form;
    form.resize(TForm1::DesignWidth, TForm1::DesignHeight);
    form.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        holiday::OpenHolidayFile(form.Table(), path);
        form.ConfExit(nullptr);
        QCoreApplication::processEvents();
        form.sg->viewport()->repaint();
    }
    state.counters["rows"] = form.Table().RowCount();
}
BENCHMARK(BM_OpenInWindow)->Unit(benchmark::kMillisecond)->Iterations(5);

// The cold first paint (fonts, caches) and what the painted window adds to the resident set.
void ReportColdStart() {
    holiday::HolidayTable& table = FilledTable();
    const double before = ResidentMegabytes();
    QElapsedTimer timer;
    timer.start();
    auto grid = std::make_unique<HolidayGrid>(table);
    grid->resize(1061, 453);
    QImage image(grid->size(), QImage::Format_ARGB32_Premultiplied);
    Paint(*grid, image);
    const double coldMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    const double after = ResidentMegabytes();
    std::printf("resident before the grid: %.1f MB; cold first paint 1061x453: %.2f ms; "
                "resident growth by the painted grid: %.1f MB\n",
                before, coldMs, after - before);
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    const double empty = ResidentMegabytes();
    QElapsedTimer fill;
    fill.start();
    FilledTable();
    std::printf("filling %d x %d: %.2f s, table %.1f MB\n", Rows, Cols,
                static_cast<double>(fill.nsecsElapsed()) / 1e9, ResidentMegabytes() - empty);
    ReportColdStart();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
