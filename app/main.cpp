#include "ErrorDisplay.h"
#include "GuiUserInterface.h"
#include "u_main.h"

#include <QTimer>

int main(int argc, char* argv[]) {
    TSkelderApplication application(argc, argv);
    GuiUserInterface gui;
    UserInterface::install(&gui);

    Tf_main f_main;
    f_main.show();

    // Without a display, run.sh asks for a picture of the window instead of a session.
    const QString screenshot = qEnvironmentVariable("SKELDER_SCREENSHOT");
    if (!screenshot.isEmpty()) {
        QTimer::singleShot(1500, &f_main, [&f_main, screenshot] {
            f_main.grab().save(screenshot);
            QApplication::exit(0);
        });
    }
    return application.exec();
}
