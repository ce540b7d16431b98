// Figures of the main window against tdsim, offscreen; asserts nothing.
//  1. A folder of 20,000 tables (or the count given): the time to open it and to mark and
//     unmark all of it, each followed by a repaint of the tree.
//  2. At 150 ms latency: connecting, opening a folder and View of every table and procedure
//     of the demo database, each with its time and the longest the window's event loop
//     waited meanwhile, measured by a 10 ms timer.
//  3. TABLES tables of four columns: Generate of all of them into one file against View of
//     the same script, and the resident memory View adds against the script's size
//     (--view runs this part alone).
//
// tdsim is waited for as long as it loads, and killed and reaped on every way out.
#include "CTLibDatabase.h"
#include "ExplorerTree.h"
#include "RecordingUserInterface.h"
#include "TdsimServer.h"
#include "u_main.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTimer>
#include <QTreeView>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include <fcntl.h>
#include <malloc.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const char kUsage[] =
    "usage: gui_bench [--view] [TABLES]\n"
    "Figures of the main window against tdsim, offscreen:\n"
    "  1. a folder of TABLES tables (20000 if not given): opening it, marking and\n"
    "     unmarking all of it;\n"
    "  2. at 150 ms latency, the demo database: connecting, opening a folder, View of\n"
    "     every table and procedure and a Cancel during it;\n"
    "  3. TABLES tables of four columns: Generate into one file against View, and the\n"
    "     memory View adds against the script's size (alone with --view).\n"
    "tdsim is waited for for as long as it takes to load the tables.\n";

// The list of the main thread's child processes, where the signal handler can read it.
char childrenListPath[64];

// SIGINT, SIGTERM or SIGHUP: the main thread's children (tdsim, the generator) are killed
// and reaped, then gui_bench ends by the same signal. Only async-signal-safe calls.
void endWithChildren(int signalNumber)
{
    char text[4096];
    ssize_t length = 0;
    int fd = ::open(childrenListPath, O_RDONLY);
    if (fd >= 0) {
        length = ::read(fd, text, sizeof text);
        ::close(fd);
    }
    pid_t child = 0;
    for (ssize_t i = 0; i <= length; ++i) {
        if (i < length && text[i] >= '0' && text[i] <= '9') {
            child = child * 10 + (text[i] - '0');
        } else if (child > 0) {
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
            child = 0;
        }
    }
    ::signal(signalNumber, SIG_DFL);
    ::raise(signalNumber);
}

void endWithChildrenOnSignals()
{
    const std::string path = "/proc/self/task/" + std::to_string(::getpid()) + "/children";
    std::snprintf(childrenListPath, sizeof childrenListPath, "%s", path.c_str());
    struct sigaction action = {};
    action.sa_handler = endWithChildren;
    sigemptyset(&action.sa_mask);
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signalNumber, &action, nullptr);
}

QModelIndex folderOf(Tf_main& window, const QString& database, ObjectKind kind)
{
    const QModelIndex folder = folderNode(window, database, kind, false);
    if (!folder.isValid())
        throw std::runtime_error("database " + database.toStdString() + " not listed");
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

// The script of a database "wide" of `tables` tables of `columns` columns, under `work`.
QString wideDatabase(const QTemporaryDir& work, int tables, int columns)
{
    QProcess generator;
    generator.start(QStringLiteral("python3"),
                    {QStringLiteral(SKELDER_SOURCE_DIR "/testdata/generate_large_db.py"),
                     "--tables", QString::number(tables), "--columns", QString::number(columns),
                     "--procedure-every", QString::number(tables + 1), "--database", "wide"});
    generator.waitForFinished(-1);
    if (generator.exitStatus() != QProcess::NormalExit || generator.exitCode() != 0)
        throw std::runtime_error("generate_large_db.py failed: " +
                                 generator.readAllStandardError().toStdString());
    const QString script = work.filePath("wide.sql");
    QFile file(script);
    file.open(QIODevice::WriteOnly);
    file.write(generator.readAllStandardOutput());
    file.close();
    return script;
}

// The process's resident memory in bytes, as /proc/self/statm gives it, once the heap
// has handed back what it holds free.
qint64 residentBytes()
{
    ::malloc_trim(0);
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * ::sysconf(_SC_PAGESIZE) : 0;
}

// The window shown at its usual size and logged in to the bench's tdsim (the recording
// user interface in place answers the login).
void showConnected(Tf_main& window)
{
    window.setWindowState(Qt::WindowNoState);
    window.resize(1000, 700);
    window.show();
    window.db->ServerName = TdsimServer::serverName();
    window.a_connect->trigger();
}

void largeFolder(int tables)
{
    QTemporaryDir work;
    const QString script = wideDatabase(work, tables, 1);

    // Waited for without a limit: a large database takes minutes to load.
    TdsimServer server({script}, {}, std::nullopt);
    RecordingUserInterface ui;
    ui.loginAnswer = TdsimServer::saLogin();
    Tf_main window;
    showConnected(window);
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

// Generate of every table into a file, then View of the same script: their times, and the
// memory View leaves taken against the size of the script.
void viewAgainstGenerate(int tables)
{
    QTemporaryDir work;
    TdsimServer server({wideDatabase(work, tables, 4)}, {}, std::nullopt);
    RecordingUserInterface ui;
    ui.loginAnswer = TdsimServer::saLogin();
    Tf_main window;
    showConnected(window);
    const QModelIndex folder = folderOf(window, "wide", ObjectKind::Tables);
    window.tv_main->expand(folder);
    markAll(window, folder);

    const QString path = work.filePath("wide-script.sql");
    window.SaveDialog->setOption(QFileDialog::DontUseNativeDialog);
    QTimer::singleShot(0, [&] {
        window.SaveDialog->selectFile(path);
        static_cast<QDialog*>(window.SaveDialog)->accept();
    });
    const qint64 beforeGenerate = residentBytes();
    const Responsiveness generate = measure([&] { window.a_generate->trigger(); });
    const qint64 generateAdded = residentBytes() - beforeGenerate;
    const qint64 scriptBytes = QFileInfo(path).size();

    const qint64 before = residentBytes();
    const Responsiveness view = measure([&] { window.a_view->trigger(); });
    QApplication::processEvents();
    const qint64 after = residentBytes();
    std::printf("%d tables, a script of %.1f MB (%lld lines in the view):\n", tables,
                double(scriptBytes) / 1e6,
                static_cast<long long>(window.m_view->document()->blockCount()));
    report("  Generate into one file", generate);
    report("  View", view);
    std::printf(
        "  View / Generate: %.2f; memory View added: %.1f MB, %.2f times the script "
        "(Generate added %.1f MB)\n",
        view.seconds / generate.seconds, double(after - before) / 1e6,
        double(after - before) / double(scriptBytes), double(generateAdded) / 1e6);
}

void atLatency(int latencyMs)
{
    TdsimServer server({QStringLiteral(SKELDER_SOURCE_DIR "/testdata/demo.sql")},
                       {"--latency-ms", QString::number(latencyMs)}, std::nullopt);
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
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    const bool viewOnly = argc > 1 && std::strcmp(argv[1], "--view") == 0;
    if (viewOnly) {
        --argc;
        ++argv;
    }
    const int tables = argc > 1 ? std::atoi(argv[1]) : 20000;
    if (argc > 2 || tables <= 0) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    endWithChildrenOnSignals();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    // Caught here so that the servers' owners unwind, killing and reaping tdsim.
    try {
        if (viewOnly) {
            viewAgainstGenerate(tables);
            return 0;
        }
        largeFolder(tables);
        atLatency(150);
        viewAgainstGenerate(tables);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "gui_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
