#include "ErrorDisplay.h"
#include "GuiUserInterface.h"
#include "SkelderVersion.h"
#include "u_main.h"

#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <optional>
#include <string_view>

namespace {
const char* const kUsage =
    "usage: skelder [options]\n"
    "Opens the Skelder window: log in to an Adaptive Server, mark objects, and script them.\n"
    "  -h, --help     show this text\n"
    "  --version      show the version\n"
    "Qt's own options (-platform, -style, -display ...) are accepted as well.\n";

// --help and --version are answered before QApplication exists, so that they work
// without a display.
std::optional<int> answerWithoutWindow(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (argument == "--version") {
            std::printf("skelder (Skelder) %s\nQt %s, FreeTDS %s\n", SKELDER_VERSION, qVersion(),
                        SKELDER_FREETDS_VERSION);
            return 0;
        }
    }
    return std::nullopt;
}
}  // namespace

int main(int argc, char* argv[])
{
    if (const std::optional<int> status = answerWithoutWindow(argc, argv))
        return *status;
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
