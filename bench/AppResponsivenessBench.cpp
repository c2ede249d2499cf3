#include "app/ApplicationFonts.h"
#include "app/HolidayFileDialog.h"
#include "app/HolidayGrid.h"
#include "app/LongWork.h"
#include "app/ReportMemo.h"
#include "app/TForm1.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

using namespace app;

// How long the window goes without an event-loop turn while a command runs in a shown window:
// a timer of 0 ms fires at every turn, and the longest time between two of its shots (or
// between the command's start or end and the nearest shot) is the gap. Files of a given size
// are generated valid in MIREVO_BENCH_DIR (the system's temporary folder unless set) and
// removed afterwards; "test" also gives the process's peak memory against 2 x (report text +
// file), the report text counted as its UTF-8 bytes with one line break a line.

namespace {

using Clock = std::chrono::steady_clock;

std::filesystem::path BenchFolder() {
    const char* dir = std::getenv("MIREVO_BENCH_DIR");
    return dir != nullptr ? std::filesystem::path(dir) : std::filesystem::temp_directory_path();
}

// A valid file of about bytes bytes: a header of 6 columns, then rules of about 100 bytes
// ("Easter", "-We", "+14" and a title of about 70 characters).
std::filesystem::path MakeFile(std::int64_t bytes) {
    const auto path = BenchFolder() / ("mirevo-responsiveness-" + std::to_string(::getpid()) + "-" +
                                       std::to_string(bytes) + ".hol");
    std::ofstream out(path, std::ios::binary);
    out.write("Title\0Start\0Move\0Offset\0x\0Bayern\x01", 33);
    std::string row;
    for (std::int64_t written = 33, n = 1; written < bytes; ++n) {
        row = "Holiday number " + std::to_string(n) +
              " with a title as long as many real titles are, or longer";
        row.append("\0Easter\0-We\0+14\0\0*\x01", 19);
        out.write(row.data(), static_cast<std::streamsize>(row.size()));
        written += static_cast<std::int64_t>(row.size());
    }
    return path;
}

// The longest gap while command runs, in milliseconds.
template <typename Command> double LongestGap(Command&& command) {
    Clock::time_point last = Clock::now();
    Clock::duration longest{};
    QTimer turns;
    turns.setInterval(0);
    QObject::connect(&turns, &QTimer::timeout, [&] {
        const Clock::time_point now = Clock::now();
        longest = std::max(longest, now - last);
        last = now;
    });
    turns.start();
    last = Clock::now();
    command();
    longest = std::max(longest, Clock::now() - last);
    turns.stop();
    return std::chrono::duration<double, std::milli>(longest).count();
}

struct Window {
    Window() {
        form.SetLocaleSettings(rules::LocaleDateSettings::German());
        form.show();
        QCoreApplication::processEvents();
    }
    TForm1 form;
};

double PeakMegabytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_Open(benchmark::State& state) {
    const auto path = MakeFile(state.range(0) << 20);
    Window window;
    for (auto _ : state) {
        state.counters["gap_ms"] = LongestGap([&] { window.form.OpenFile(path.string()); });
    }
    state.counters["rows"] = window.form.Table().RowCount();
    std::filesystem::remove(path);
}

void BM_Save(benchmark::State& state) {
    const auto path = MakeFile(state.range(0) << 20);
    Window window;
    window.form.OpenFile(path.string());
    const auto target = path.string() + ".saved.hol";
    window.form.SaveDialog1.Executor = [&](HolidayFileDialog&) { return target; };
    for (auto _ : state) {
        state.counters["gap_ms"] = LongestGap([&] { window.form.Button1Click(nullptr); });
    }
    std::filesystem::remove(target);
    std::filesystem::remove(path);
}

void BM_Test(benchmark::State& state) {
    const auto path = MakeFile(state.range(0) << 20);
    const auto fileBytes = static_cast<double>(std::filesystem::file_size(path));
    Window window;
    window.form.OpenFile(path.string());
    std::filesystem::remove(path);
    for (auto _ : state) {
        state.counters["gap_ms"] = LongestGap([&] { window.form.Button3Click(nullptr); });
    }
    // The peak first: nothing after the command may add to it.
    state.counters["peak_MB"] = PeakMegabytes();
    const auto reportBytes = static_cast<double>(window.form.Memo1->Store().TextBytes() + 1);
    state.counters["limit_MB"] = 2 * (reportBytes + fileBytes) / (1 << 20);
}

// "autosize col width" over a one-row file of range(0) header texts ("Land 0" ...), opened
// first (its open sizes the columns as well).
void BM_Autosize(benchmark::State& state) {
    const auto path =
        BenchFolder() / ("mirevo-responsiveness-" + std::to_string(::getpid()) + "-wide.hol");
    {
        std::ofstream out(path, std::ios::binary);
        out.write("Title\0Start\0Move\0Offset\0x", 25);
        for (std::int64_t col = 0; col < state.range(0); ++col) {
            out << '\0' << "Land " << col;
        }
        out << '\x01';
    }
    Window window;
    state.counters["open_gap_ms"] = LongestGap([&] { window.form.OpenFile(path.string()); });
    std::filesystem::remove(path);
    for (auto _ : state) {
        state.counters["gap_ms"] = LongestGap([&] { window.form.ConfExit(nullptr); });
    }
    state.counters["cols"] = window.form.Table().ColCount();
}

// A paste of 10,000 code points into the open cell editor: U+0301 (combining marks) when
// range(0) is 0, random code points otherwise (seed 1).
void BM_Paste(benchmark::State& state) {
    Window window;
    QString text;
    if (state.range(0) == 0) {
        text.fill(QChar(0x0301), 10'000);
    } else {
        std::mt19937 random(1);
        std::uniform_int_distribution<char32_t> codePoint(0x20, 0x10FFFF);
        std::u32string points;
        while (points.size() < 10'000) {
            const char32_t c = codePoint(random);
            if (c < 0xD800 || c > 0xDFFF) {
                points.push_back(c);
            }
        }
        text = QString::fromStdU32String(points);
    }
    QGuiApplication::clipboard()->setText(text);
    for (auto _ : state) {
        window.form.Table().SetCell(1, 1, "");
        window.form.Table().SetCurrentCell({1, 1});
        window.form.sg->OpenEditor(HolidayGrid::EditorOpening::CaretAtEnd);
        QCoreApplication::processEvents();
        state.counters["gap_ms"] = LongestGap([&] {
            window.form.sg->Editor()->paste();
            QCoreApplication::processEvents(); // the editor shows the pasted text
        });
        window.form.sg->CloseEditor();
    }
}

BENCHMARK(BM_Open)->Arg(100)->Arg(1024)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Save)->Arg(100)->Arg(1024)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Test)->Arg(10)->Arg(100)->Arg(1024)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Autosize)->Arg(1 << 20)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Paste)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
