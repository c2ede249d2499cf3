// The main of the benchmarks of the Qt layer that need nothing before or after their runs: an
// offscreen application (unless a platform is chosen) with the program's own fonts.
#include "app/ApplicationFonts.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    app::RegisterApplicationFonts();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
