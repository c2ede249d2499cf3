#include "app/ApplicationFonts.h"
#include "app/ApplicationTitle.h"
#include "app/MirevoApplication.h"
#include "app/TForm1.h"

// The program: one window, shown maximised, and the event loop until that window is closed.
// No arguments are read; closing the window asks nothing and the exit status is 0.
int main(int /*argc*/, char** argv) {
    // Qt would take options such as -style or -reverse from the command line; the program
    // passes it only its own name.
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    MirevoApplication app(qtArgc, qtArgv);
    RegisterApplicationFonts();
    (void)Title(); // derived once, from the program file's name
    TForm1 form;
    form.showMaximized();
    QApplication::exec();
    return 0;
}
