// Figures of the main window against tdsim, offscreen; asserts nothing.
//  1. A folder of 20,000 tables (or the count given): the time to open it and to mark and
//     unmark all of it, each followed by a repaint of the tree.
//  2. At 150 ms latency: connecting, opening a folder and View of every table and procedure
//     of the demo database, each with its time and the longest the window's event loop
//     waited meanwhile, measured by a 10 ms timer.
//   gui_bench [tables]
#include "CTLibDatabase.h"
#include "ExplorerTree.h"
#include "RecordingUserInterface.h"
#include "TdsimServer.h"
#include "u_main.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <cstdio>

namespace {

QModelIndex folderOf(Tf_main& window, const QString& database, ObjectKind kind)
{
    const QModelIndex folder = folderNode(window, database, kind, false);
    if (!folder.isValid()) {
        std::fprintf(stderr, "database %s not listed\n", qPrintable(database));
        std::exit(1);
    }
    return folder;
}

double millisecondsOf(const std::function<void()>& step, Tf_main& window)
{
    QElapsedTimer clock;
    clock.start();
    step();
    window.tv_main->viewport()->repaint();
    return double(clock.nsecsElapsed()) / 1e6;
}

void largeFolder(int tables)
{
    QTemporaryDir work;
    QProcess generator;
    generator.start(QStringLiteral("python3"),
                    {QStringLiteral(SKELDER_SOURCE_DIR "/testdata/generate_large_db.py"),
                     "--tables", QString::number(tables), "--columns", "1", "--procedure-every",
                     QString::number(tables + 1), "--database", "wide"});
    generator.waitForFinished(-1);
    const QString script = work.filePath("wide.sql");
    QFile file(script);
    file.open(QIODevice::WriteOnly);
    file.write(generator.readAllStandardOutput());
    file.close();

    TdsimServer server({script});
    RecordingUserInterface ui;
    ui.loginAnswer = TdsimServer::saLogin();
    Tf_main window;
    window.setWindowState(Qt::WindowNoState);
    window.resize(1000, 700);
    window.show();
    window.db->ServerName = TdsimServer::serverName();
    window.a_connect->trigger();
    const QModelIndex folder = folderOf(window, "wide", ObjectKind::Tables);
    const double open = millisecondsOf([&] { window.tv_main->expand(folder); }, window);
    const double mark = millisecondsOf([&] { markAll(window, folder); }, window);
    const double unmark = millisecondsOf([&] { window.a_unselect_all->trigger(); }, window);
    std::printf(
        "folder of %d tables: open %.0f ms, mark all %.1f ms, unmark all %.1f ms "
        "(%d marked at most)\n",
        window.tv_main->model()->rowCount(folder), open, mark, unmark, tables);
}

// How long `step` takes, and the longest the event loop went without serving a 10 ms timer
// meanwhile.
struct Responsiveness {
    double seconds = 0;
    qint64 longestWaitMs = 0;
};

Responsiveness measure(const std::function<void()>& step)
{
    QElapsedTimer sinceTick;
    qint64 longestWait = 0;
    QTimer ticker;
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { longestWait = std::max(longestWait, sinceTick.restart()); });
    QElapsedTimer clock;
    clock.start();
    sinceTick.start();
    ticker.start();
    step();
    ticker.stop();
    return {double(clock.elapsed()) / 1000.0, std::max(longestWait, sinceTick.elapsed())};
}

void report(const char* what, const Responsiveness& figures)
{
    std::printf("%-44s %6.2f s, longest wait of the event loop %4lld ms\n", what, figures.seconds,
                static_cast<long long>(figures.longestWaitMs));
}

void atLatency(int latencyMs)
{
    TdsimServer server({QStringLiteral(SKELDER_SOURCE_DIR "/testdata/demo.sql")},
                       {"--latency-ms", QString::number(latencyMs)});
    RecordingUserInterface ui;
    ui.loginAnswer = TdsimServer::saLogin();
    Tf_main window;
    window.setWindowState(Qt::WindowNoState);
    window.show();
    window.db->ServerName = TdsimServer::serverName();
    std::printf("at %d ms latency:\n", latencyMs);
    report("  connect and list the databases", measure([&] { window.a_connect->trigger(); }));
    const QModelIndex tables = folderOf(window, "demo", ObjectKind::Tables);
    report("  open the tables folder", measure([&] { window.tv_main->expand(tables); }));
    markAll(window, tables);
    const QModelIndex procedures = folderOf(window, "demo", ObjectKind::Procedures);
    window.tv_main->expand(procedures);
    markAll(window, procedures);
    report(qPrintable(QStringLiteral("  view of %1 objects").arg(window.SelectedCount)),
           measure([&] { window.a_view->trigger(); }));

    // Cancel once the first object is being written; the time until the window is back.
    QElapsedTimer sinceCancel;
    QTimer watch;
    watch.setInterval(5);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        auto* label = modal ? modal->findChild<QLabel*>() : nullptr;
        if (label && label->text().startsWith(QLatin1String("Processing"))) {
            watch.stop();
            sinceCancel.start();
            modal->findChild<QPushButton*>()->click();
        }
    });
    watch.start();
    window.a_view->trigger();
    std::printf("  Cancel during the view: the window is back after %lld ms\n",
                static_cast<long long>(sinceCancel.elapsed()));
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    const int tables = argc > 1 ? std::atoi(argv[1]) : 20000;
    largeFolder(tables);
    atLatency(150);
    return 0;
}
