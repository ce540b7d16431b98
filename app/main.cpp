#include "ErrorDisplay.h"
#include "GuiUserInterface.h"
#include "u_main.h"

#include <QScreen>
#include <QTimer>

int main(int argc, char* argv[])
{
    TSkelderApplication application(argc, argv);
    GuiUserInterface gui;
    UserInterface::install(&gui);

    Tf_main f_main;
    // The normal geometry covers the screen too, for displays without a window manager
    // to honour the maximised state.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        f_main.setGeometry(screen->availableGeometry());
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
