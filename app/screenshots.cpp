// Renders the main window, both tabs of the options dialog and the progress window to
// PNG files in the directory given as the only argument.
#include "ProgressDlg.h"
#include "u_main.h"
#include "u_options.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTabWidget>
#include <cstdio>

namespace {
bool save(QWidget* widget, const QDir& dir, const QString& name)
{
    const QString path = dir.filePath(name);
    const bool saved = widget->grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(path));
    return saved;
}
}  // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("Skelder"));
    // Absolute: the main window makes its working directory current when it is activated.
    const QDir dir(
        QDir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("out/screenshots"))
            .absolutePath());
    QDir().mkpath(dir.path());
    bool ok = true;

    Tf_main window;
    window.setWindowState(Qt::WindowNoState);
    window.resize(1100, 700);
    window.m_view->setPlainText(QStringLiteral("/* the script appears here */"));
    window.show();
    application.processEvents();
    ok &= save(&window, dir, QStringLiteral("main-window.png"));

    Tf_options options;
    options.setOptions(window.Options);
    options.setWorkDir(window.WorkDir);
    options.show();
    application.processEvents();
    ok &= save(&options, dir, QStringLiteral("options-files.png"));
    options.PageControl1->setCurrentIndex(1);
    application.processEvents();
    ok &= save(&options, dir, QStringLiteral("options-general.png"));

    TRAProgressFormForm progress;
    progress.setWindowTitle(QStringLiteral("Please wait..."));
    progress.label()->setText(QStringLiteral("Long operation in progress"));
    progress.progressBar()->setValue(40);
    progress.show();
    application.processEvents();
    ok &= save(&progress, dir, QStringLiteral("progress-window.png"));
    return ok ? 0 : 1;
}
