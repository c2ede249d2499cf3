// A header row as wide as the table may be: one row of 1,048,576 header texts, opened in a shown
// window (open reset, load, autosize, layout and paint), autosized again, and scrolled to its
// last column with the End key. Each step must stay within 0.5 s.
//
//   bench_AppWideRowBench --generate=PATH   writes the file and exits
//
// The file comes from HOLIDAY_WIDE_FILE, or is generated into /tmp when that is unset.

#include "app/HolidayGrid.h"
#include "app/TForm1.h"
#include "holiday/HolidayFile.h"

#include <QApplication>
#include <QKeyEvent>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>

using namespace app;

namespace {

constexpr std::int32_t WideCols = 1'048'576;

void Generate(const std::string& path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (std::int32_t col = 0; col < WideCols; ++col) {
        out << (col == 0 ? "" : std::string(1, '\0')) << "Land " << col;
    }
    out << '\x01';
}

std::string WideFile() {
    if (const char* env = std::getenv("HOLIDAY_WIDE_FILE"); env != nullptr && *env != '\0') {
        return env;
    }
    const std::string path = "/tmp/holiday-bench-wide.hol";
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        Generate(path);
    }
    return path;
}

TForm1& Form() {
    static TForm1* form = [] {
        auto* f = new TForm1();
        f->resize(TForm1::DesignWidth, TForm1::DesignHeight);
        f->show();
        QCoreApplication::processEvents();
        return f;
    }();
    return *form;
}

// Lets the window lay out and paint what the last command changed.
void Settle(TForm1& form) {
    QCoreApplication::processEvents();
    form.sg->viewport()->repaint();
}

// The open command once the dialog has returned the path: open, reset, read, autosize.
void Open(TForm1& form, const std::string& path) {
    holiday::OpenHolidayFile(form.Table(), path);
    form.ConfExit(nullptr);
}

void BM_WideRowOpen(benchmark::State& state) {
    TForm1& form = Form();
    const std::string path = WideFile();
    for (auto _ : state) {
        Open(form, path);
        Settle(form);
    }
    state.counters["cols"] = form.Table().ColCount();
}
BENCHMARK(BM_WideRowOpen)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_WideRowAutosize(benchmark::State& state) {
    TForm1& form = Form();
    const std::string path = WideFile();
    for (auto _ : state) {
        state.PauseTiming(); // a fresh load, so that every width changes again
        holiday::OpenHolidayFile(form.Table(), path);
        Settle(form);
        state.ResumeTiming();
        form.ConfExit(nullptr);
        Settle(form);
    }
}
BENCHMARK(BM_WideRowAutosize)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_WideRowScrollToEnd(benchmark::State& state) {
    TForm1& form = Form();
    Open(form, WideFile());
    Settle(form);
    for (auto _ : state) {
        state.PauseTiming();
        form.Table().SetCurrentCell({0, 0});
        form.sg->ScrollToCurrentCell();
        Settle(form);
        state.ResumeTiming();
        QKeyEvent end(QEvent::KeyPress, Qt::Key_End, Qt::NoModifier);
        QCoreApplication::sendEvent(form.sg, &end);
        Settle(form);
    }
    state.counters["left_col"] = form.sg->ScrollPosition().Col;
}
BENCHMARK(BM_WideRowScrollToEnd)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]).rfind("--generate=", 0) == 0) {
        Generate(std::string(argv[1]).substr(11));
        return 0;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
