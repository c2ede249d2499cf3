#include "app/ApplicationFonts.h"
#include "app/ApplicationTitle.h"
#include "app/MirevoApplication.h"
#include "app/TForm1.h"

// The program: one window, shown maximised, and the event loop until that window is closed.
// No arguments are read; closing the window asks nothing and the exit status is 0.
int main(int argc, char** argv) {
    MirevoApplication app(argc, argv);
    RegisterApplicationFonts();
    (void)Title(); // derived once, from the program file's name
    TForm1 form;
    form.showMaximized();
    QApplication::exec();
    return 0;
}
