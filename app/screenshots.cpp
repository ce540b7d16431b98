// Renders the main window, both tabs of the options dialog, the help window and the
// progress window to PNG files in the directory given as the first argument. With a server
// entry as the second argument it also connects as sa, opens a folder, marks objects and
// views their script, and renders the login dialog. A third argument sets the font's size
// in points, to check that no text is cut at large fonts.
#include "CTLibDatabase.h"
#include "CTLibLogin.h"
#include "ProgressDlg.h"
#include "u_main.h"
#include "u_options.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTabWidget>
#include <QTreeView>
#include <cstdio>
#include <memory>

namespace {
// Answers the login prompt as sa and shows nothing else.
class ScreenshotUserInterface : public UserInterface {
public:
    void showMessage(const QString&, const QString& text, Icon) override
    {
        std::printf("message: %s\n", qPrintable(text));
    }
    bool setBusyCursor(bool) override { return false; }
    LoginResult promptLogin(LoginRequest& request) override
    {
        request.userName = QStringLiteral("sa");
        request.password.clear();
        return LoginResult::Ok;
    }
    void showMessageWindow(const QString&, const QString& text, MessageWindowKind) override
    {
        std::printf("message: %s\n", qPrintable(text));
    }
    void beep() override {}
};

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
    if (argc > 3) {
        QFont font = QApplication::font();
        font.setPointSize(QString::fromLocal8Bit(argv[3]).toInt());
        QApplication::setFont(font);
    }
    // Absolute: the main window makes its working directory current when it is activated.
    const QDir dir(
        QDir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("out/screenshots"))
            .absolutePath());
    QDir().mkpath(dir.path());
    bool ok = true;

    Tf_main window;
    window.setWindowState(Qt::WindowNoState);
    window.resize(1100, 700);
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

    window.a_contents->trigger();
    application.processEvents();
    if (auto* help = window.findChild<QDialog*>(QStringLiteral("HelpWindow"))) {
        ok &= save(help, dir, QStringLiteral("help-window.png"));
        help->close();
    }

    TRAProgressFormForm progress;
    progress.setWindowTitle(QStringLiteral("Please wait..."));
    progress.label()->setText(QStringLiteral("Long operation in progress"));
    progress.progressBar()->setValue(40);
    progress.show();
    application.processEvents();
    ok &= save(&progress, dir, QStringLiteral("progress-window.png"));

    if (argc > 2) {
        ScreenshotUserInterface answers;
        UserInterface::install(&answers);
        LoginRequest request;
        request.serverName = QString::fromLocal8Bit(argv[2]);
        request.userName = QStringLiteral("sa");
        request.serverList = QStringList{request.serverName};
        request.rdbms = QStringLiteral("Sybase SQL Server");
        std::unique_ptr<TCTPasswordDlg> login(createLoginDialog(request));
        login->show();
        application.processEvents();
        ok &= save(login.get(), dir, QStringLiteral("login-dialog.png"));

        window.db->ServerName = request.serverName;
        window.a_connect->trigger();
        const QAbstractItemModel* tree = window.tv_main->model();
        QModelIndex demo;
        for (int row = 0; row < tree->rowCount(); ++row) {
            if (tree->index(row, 0).data().toString() == QLatin1String("demo"))
                demo = tree->index(row, 0);
        }
        if (!demo.isValid()) {
            std::printf("FAILED to list the demo database\n");
            return 1;
        }
        window.tv_main->expand(demo);
        const QModelIndex tables = tree->index(static_cast<int>(ObjectKind::Tables), 0, demo);
        window.tv_main->expand(tables);
        for (int row = 0; row < qMin(2, tree->rowCount(tables)); ++row) {
            window.tv_main->setCurrentIndex(tree->index(row, 0, tables));
            window.tv_mainClick();
        }
        window.Options.TriggerScript = true;
        window.Options.IndexScript = true;
        window.a_view->trigger();
        application.processEvents();
        ok &= save(&window, dir, QStringLiteral("connected-window.png"));
    }
    return ok ? 0 : 1;
}
