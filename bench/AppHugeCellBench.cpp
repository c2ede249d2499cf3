// A file that is no holiday file (100 MB of text and one 0x01 at its end, one cell) opened into a
// shown window and worked with as a user would: open, make the cell current, F2, a keystroke,
// Enter, "test" and "save hol file". Each step includes the repaint that follows it. Beside them:
// reading and writing the same bytes alone, the "test" command with a 100 MB title and a 20 MB
// faulty start date in a rule row, and the error box that quotes that date.

#include "app/ApplicationFonts.h"
#include "app/ErrorDisplay.h"
#include "app/HolidayGrid.h"
#include "app/TForm1.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

using namespace app;

namespace {

constexpr std::size_t CellBytes = std::size_t{100} << 20;

std::string Folder() {
    return std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
}
const std::string HugeFile = Folder() + "/mirevo-huge-cell.txt";
const std::string SavedFile = Folder() + "/mirevo-huge-cell-saved.hol";

std::string HugeText() {
    std::string text(CellBytes, 'x');
    for (std::size_t i = 80; i < text.size(); i += 81) {
        text[i] = ' ';
    }
    return text;
}

// The one window, shown, with the huge file opened; main closes it before the application
// object goes.
std::unique_ptr<TForm1> gForm;

TForm1& Window() {
    if (!gForm) {
        // One row of one cell: the 0x01 ends it (bytes that no delimiter ends are dropped).
        std::ofstream(HugeFile, std::ios::binary) << HugeText() << '\x01';
        auto window = std::make_unique<TForm1>();
        window->OpenDialog1.Executor = [](HolidayFileDialog&) { return HugeFile; };
        window->SaveDialog1.Executor = [](HolidayFileDialog&) { return SavedFile; };
        window->show();
        window->Button8Click(nullptr);
        QCoreApplication::processEvents();
        std::printf("cell (0, 0): %zu bytes, %d x %d cells\n", window->Table().GetCell(0, 0).size(),
                    window->Table().ColCount(), window->Table().RowCount());
        gForm = std::move(window);
    }
    return *gForm;
}

void Press(QWidget* target, int key) {
    QTest::keyClick(target, static_cast<Qt::Key>(key), Qt::NoModifier);
    QCoreApplication::processEvents();
}

// Leaves the window with the huge cell current, the editor closed and a second row.
void Reset(TForm1& form) {
    form.sg->CloseEditor();
    if (form.Table().RowCount() < 2) {
        form.Button2Click(nullptr);
    }
    form.Table().SetCurrentCell({0, 0});
    form.sg->setFocus();
    QCoreApplication::processEvents();
}

void BM_ReadFileAlone(benchmark::State& state) {
    Window();
    for (auto _ : state) {
        std::ifstream in(HugeFile, std::ios::binary);
        std::string bytes(CellBytes, '\0');
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        benchmark::DoNotOptimize(bytes.data());
    }
}

void BM_Open(benchmark::State& state) {
    TForm1& form = Window();
    for (auto _ : state) {
        form.Button8Click(nullptr);
        QCoreApplication::processEvents();
    }
}

void BM_MakeCurrent(benchmark::State& state) {
    TForm1& form = Window();
    for (auto _ : state) {
        state.PauseTiming();
        Reset(form);
        form.Table().SetCurrentCell({0, 1});
        QCoreApplication::processEvents();
        state.ResumeTiming();
        Press(form.sg, Qt::Key_Up);
    }
}

void BM_F2(benchmark::State& state) {
    TForm1& form = Window();
    for (auto _ : state) {
        state.PauseTiming();
        Reset(form);
        state.ResumeTiming();
        Press(form.sg, Qt::Key_F2);
    }
}

void BM_Keystroke(benchmark::State& state) {
    TForm1& form = Window();
    for (auto _ : state) {
        state.PauseTiming();
        Reset(form);
        form.sg->OpenEditor(HolidayGrid::EditorOpening::CaretAtEnd);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        QTest::keyClick(form.sg->Editor(), Qt::Key_A);
        QCoreApplication::processEvents();
        state.PauseTiming();
        QTest::keyClick(form.sg->Editor(), Qt::Key_Backspace); // the cell as it was
        state.ResumeTiming();
    }
}

void BM_Enter(benchmark::State& state) {
    TForm1& form = Window();
    for (auto _ : state) {
        state.PauseTiming();
        Reset(form);
        form.sg->OpenEditor(HolidayGrid::EditorOpening::CaretAtEnd);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        Press(form.sg->Editor(), Qt::Key_Return);
    }
}

void BM_Test(benchmark::State& state) {
    TForm1& form = Window();
    Reset(form);
    for (auto _ : state) {
        form.Button3Click(nullptr);
        QCoreApplication::processEvents();
    }
}

void BM_Save(benchmark::State& state) {
    TForm1& form = Window();
    Reset(form);
    for (auto _ : state) {
        form.Button1Click(nullptr);
    }
    std::remove(SavedFile.c_str());
}

// The same bytes written as the safe save writes them: a new file, synced.
void BM_WriteFileAlone(benchmark::State& state) {
    const std::string bytes = HugeText();
    for (auto _ : state) {
        const int fd = ::open(SavedFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        benchmark::DoNotOptimize(::write(fd, bytes.data(), bytes.size()));
        ::fsync(fd);
        ::close(fd);
    }
    std::remove(SavedFile.c_str());
}

// "test" on a rule whose title is the huge text: eleven report lines quote it.
void BM_TestWithHugeTitle(benchmark::State& state) {
    TForm1& form = Window();
    Reset(form);
    form.Table().SetCell(0, 1, HugeText());
    form.Table().SetCell(1, 1, "Easter");
    form.Table().SetCell(2, 1, "0");
    form.Table().SetCell(3, 1, "0");
    for (auto _ : state) {
        form.Button3Click(nullptr);
        QCoreApplication::processEvents();
    }
    form.Table().SetCell(0, 1, "");
    form.Table().SetCell(1, 1, "");
}

// "test" on a rule whose start date is a 20 MB text, and the error box that quotes it (shown,
// laid out and closed).
void BM_TestWithHugeStartDate(benchmark::State& state) {
    TForm1& form = Window();
    Reset(form);
    form.Table().SetCell(1, 1, std::string(std::size_t{20} << 20, '7'));
    const ErrorMessageBox previous = ErrorMessageBoxSeam();
    ErrorMessageBoxSeam() = [](QWidget* owner, const QString& title, const QString& text) {
        QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, owner);
        box.show();
        QCoreApplication::processEvents();
    };
    for (auto _ : state) {
        RunGuarded(&form, [&] { form.Button3Click(nullptr); });
        QCoreApplication::processEvents();
    }
    ErrorMessageBoxSeam() = previous;
    form.Table().SetCell(1, 1, "");
}

BENCHMARK(BM_ReadFileAlone)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Open)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_MakeCurrent)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_F2)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Keystroke)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Enter)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Test)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_WriteFileAlone)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_TestWithHugeTitle)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_TestWithHugeStartDate)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    RegisterApplicationFonts();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    gForm.reset();
    std::remove(HugeFile.c_str());
    return 0;
}
