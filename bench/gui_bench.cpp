// Figures of the main window against tdsim, offscreen; asserts nothing.
//  1. A folder of 20,000 tables (or the count given): the time to open it and to mark and
//     unmark all of it, each followed by a repaint of the tree.
//  2. View of every table and procedure of the demo database at 150 ms latency: the time
//     it takes and the longest the window's event loop waited, measured by a 10 ms timer.
//   gui_bench [tables]
#include "CTLibDatabase.h"
#include "RecordingUserInterface.h"
#include "TdsimServer.h"
#include "u_main.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>

namespace {

LoginRequest saLogin()
{
    LoginRequest login;
    login.serverName = TdsimServer::serverName();
    login.userName = QStringLiteral("sa");
    login.rdbms = QStringLiteral("Sybase SQL Server");
    return login;
}

QTreeWidgetItem* folderOf(Tf_main& window, const QString& database, int kind)
{
    for (int i = 0; i < window.tv_main->topLevelItemCount(); ++i) {
        if (window.tv_main->topLevelItem(i)->text(0) == database)
            return window.tv_main->topLevelItem(i)->child(kind);
    }
    std::fprintf(stderr, "database %s not listed\n", qPrintable(database));
    std::exit(1);
}

void markAll(Tf_main& window, QTreeWidgetItem* folder)
{
    window.tv_main->setCurrentItem(folder);
    window.pum_explorerPopup();
    window.a_select_all->trigger();
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
    ui.loginAnswer = saLogin();
    Tf_main window;
    window.setWindowState(Qt::WindowNoState);
    window.resize(1000, 700);
    window.show();
    window.db->ServerName = TdsimServer::serverName();
    window.a_connect->trigger();
    QTreeWidgetItem* folder = folderOf(window, "wide", 2);
    const double open = millisecondsOf([&] { folder->setExpanded(true); }, window);
    const double mark = millisecondsOf([&] { markAll(window, folder); }, window);
    const double unmark = millisecondsOf([&] { window.a_unselect_all->trigger(); }, window);
    std::printf(
        "folder of %d tables: open %.0f ms, mark all %.1f ms, unmark all %.1f ms "
        "(%d marked at most)\n",
        folder->childCount(), open, mark, unmark, tables);
}

void viewAtLatency(int latencyMs)
{
    TdsimServer server({QStringLiteral(SKELDER_SOURCE_DIR "/testdata/demo.sql")},
                       {"--latency-ms", QString::number(latencyMs)});
    RecordingUserInterface ui;
    ui.loginAnswer = saLogin();
    Tf_main window;
    window.setWindowState(Qt::WindowNoState);
    window.show();
    window.db->ServerName = TdsimServer::serverName();
    window.a_connect->trigger();
    markAll(window, [&] {
        QTreeWidgetItem* tables = folderOf(window, "demo", 2);
        tables->setExpanded(true);
        return tables;
    }());
    QTreeWidgetItem* procedures = folderOf(window, "demo", 6);
    procedures->setExpanded(true);
    markAll(window, procedures);

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
    window.a_view->trigger();
    ticker.stop();
    longestWait = std::max(longestWait, sinceTick.elapsed());
    std::printf(
        "view of %d objects at %d ms latency: %.1f s, longest wait of the event loop "
        "%lld ms\n",
        window.SelectedCount, latencyMs, double(clock.elapsed()) / 1000.0,
        static_cast<long long>(longestWait));
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    const int tables = argc > 1 ? std::atoi(argv[1]) : 20000;
    largeFolder(tables);
    viewAtLatency(150);
    return 0;
}
