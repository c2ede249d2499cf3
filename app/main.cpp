#include "app/ApplicationFonts.h"
#include "app/ApplicationTitle.h"
#include "app/CommandLine.h"
#include "app/MirevoApplication.h"
#include "app/TForm1.h"

#include <cstdio>
#include <string>
#include <vector>

// The program: one window, shown maximised, and the event loop until that window is closed;
// the exit status is then 0. `mirevo-holidays FILE` opens FILE once the window is shown;
// --help and --version print and end at once; other arguments end with status 2.
int main(int argc, char** argv) {
    const std::string program = "mirevo-holidays";
    const app::CommandLine command =
        app::ParseCommandLine(program, std::vector<std::string>(argv + 1, argv + argc));
    switch (command.What) {
    case app::CommandLine::Action::Help:
    case app::CommandLine::Action::Version:
        std::fputs(command.Text.c_str(), stdout);
        return 0;
    case app::CommandLine::Action::Error:
        std::fputs(command.Text.c_str(), stderr);
        return app::CommandLine::UsageExitCode;
    case app::CommandLine::Action::Run:
        break;
    }

    // Qt would take options such as -style or -reverse from the command line; the program
    // passes it only its own name.
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    app::MirevoApplication app(qtArgc, qtArgv);
    app::RegisterApplicationFonts();
    (void)app::Title(); // derived once, from the program file's name
    app::TForm1 form;
    if (!command.File.empty()) {
        form.OpenWhenShown(app::PathToOpen(command.File));
    }
    form.showMaximized();
    QApplication::exec();
    return 0;
}
