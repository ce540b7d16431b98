// The main window used as a person uses it: mouse clicks and key presses on the tree's
// viewport and on the windows, against a tdsim that takes 40 ms to answer each request.
#include "CTLibDatabase.h"
#include "ErrorDisplay.h"
#include "ExplorerTree.h"
#include "ModalDialogs.h"
#include "ProgressDlg.h"
#include "RecordingUserInterface.h"
#include "ServerWaitDialog.h"
#include "TdsimServer.h"
#include "u_main.h"
#ifdef SKELDER_UNDER_XVFB
#include "XvfbDisplay.h"
#endif

#include <signal.h>
#include <QAction>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <cstdio>
#include <memory>

namespace {

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// Every file under `directory` with its content.
QMap<QString, QByteArray> filesIn(const QString& directory)
{
    QMap<QString, QByteArray> files;
    const QDir dir(directory);
    for (const QString& name :
         dir.entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot))
        files.insert(name, readBytes(dir.filePath(name)));
    return files;
}

// Runs `handle` on the next modal window of type T once it is shown; other modal windows
// shown before it (the dialog that leads to it) are left alone.
template <typename T>
void whenModalOf(std::function<void(T*)> handle)
{
    whenModal([handle](QWidget* modal) {
        if (auto* wanted = qobject_cast<T*>(modal))
            handle(wanted);
        else
            QTimer::singleShot(10, [handle] { whenModalOf<T>(handle); });
    });
}

// Clicks Cancel in the progress window once it has started on an object.
void cancelOnceProcessing()
{
    whenModalOf<TRAProgressFormForm>([](TRAProgressFormForm* progress) {
        QTRY_VERIFY_WITH_TIMEOUT(progress->label()->text().startsWith("Processing"), 20000);
        QTest::mouseClick(progress->cancelButton(), Qt::LeftButton);
    });
}

// Mouse input at `pos` of `widget` as the window system gives it: through the top-level
// window, so that a right press asks for the context menu and a second press in time
// makes a double click, as on a screen.
void clickAt(QWidget* widget, QPoint pos, Qt::MouseButton button = Qt::LeftButton)
{
    QWindow* window = widget->window()->windowHandle();
    QTest::mouseClick(window, button, {}, window->mapFromGlobal(widget->mapToGlobal(pos)));
}

void doubleClickAt(QWidget* widget, QPoint pos)
{
    QWindow* window = widget->window()->windowHandle();
    QTest::mouseDClick(window, Qt::LeftButton, {}, window->mapFromGlobal(widget->mapToGlobal(pos)));
}

// Whether the process is gone or a zombie: it answers no request any more.
bool hasEnded(int pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray fields = stat.readAll();
    const qsizetype state = fields.lastIndexOf(')') + 2;
    return state < fields.size() && (fields[state] == 'Z' || fields[state] == 'X');
}

}  // namespace

class WindowUseTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        m_server = std::make_unique<TdsimServer>(
            QStringList{QStringLiteral(SKELDER_SOURCE_DIR "/testdata/demo.sql")},
            QStringList{"--latency-ms", "40"});
    }

    void cleanupTestCase() { m_server.reset(); }

    void init()
    {
        m_ui = std::make_unique<RecordingUserInterface>();
        m_window = std::make_unique<Tf_main>();
        m_window->db->ServerName = TdsimServer::serverName();
        m_window->SaveDialog->setOption(QFileDialog::DontUseNativeDialog);
        m_window->setWindowState(Qt::WindowNoState);
        m_window->resize(1000, 700);
        m_window->show();
        activateMainWindow();
        m_ui->loginAnswer = TdsimServer::saLogin();
        press(Qt::Key_C, Qt::AltModifier);
        QVERIFY(m_window->db->connected());
    }

    void cleanup()
    {
        m_window.reset();
        m_ui.reset();
    }

    // Cancel in the middle of Generate: the file chosen keeps what it held, and a message
    // says that the run was cancelled.
    void aCancelledGenerateLeavesTheEarlierFile()
    {
        QTemporaryDir dir;
        const QString keep = dir.filePath("keep.sql");
        writeBytes(keep, "-- the earlier script\r\n");
        markFolder(ObjectKind::Tables);
        markFolder(ObjectKind::Procedures);
        whenModalOf<QFileDialog>([&](QFileDialog* dialog) {
            dialog->setDirectory(dir.path());
            QTest::keyClicks(dialog->findChild<QLineEdit*>("fileNameEdit"), "keep.sql");
            whenModalOf<QMessageBox>([](QMessageBox* replace) {
                QTest::mouseClick(replace->button(QMessageBox::Yes), Qt::LeftButton);
            });
            cancelOnceProcessing();
            QTest::keyClick(dialog->findChild<QLineEdit*>("fileNameEdit"), Qt::Key_Return);
        });
        press(Qt::Key_G, Qt::AltModifier);
        QCOMPARE(readBytes(keep), QByteArray("-- the earlier script\r\n"));
        QCOMPARE(filesIn(dir.path()).keys(), QStringList{"keep.sql"});
        QCOMPARE(m_ui->messages.size(), size_t(1));
        QVERIFY2(
            m_ui->messages[0].text.contains("cancelled") && m_ui->messages[0].text.contains(keep),
            qPrintable(m_ui->messages[0].text));
    }

    // The same with one file per object: no earlier file changes, no new one comes.
    void aCancelledGenerateOfSeparateFilesChangesNoFile()
    {
        QTemporaryDir dir;
        for (const char* name :
             {"customers.tbl", "orders.tbl", "all_types.tbl", "p_orders.prc", "replay-order.txt"})
            writeBytes(dir.filePath(name), QByteArray("earlier ") + name);
        const QMap<QString, QByteArray> before = filesIn(dir.path());
        m_window->Options.SeparateFiles = true;
        markFolder(ObjectKind::Tables);
        markFolder(ObjectKind::Procedures);
        whenModalOf<QFileDialog>([&](QFileDialog* dialog) {
            QLineEdit* name = dialog->findChild<QLineEdit*>("fileNameEdit");
            name->setText(dir.path());
            cancelOnceProcessing();
            QTest::keyClick(name, Qt::Key_Return);
        });
        press(Qt::Key_G, Qt::AltModifier);
        QCOMPARE(filesIn(dir.path()), before);
        QCOMPARE(m_ui->messages.size(), size_t(1));
        QVERIFY2(m_ui->messages[0].text.contains("cancelled"), qPrintable(m_ui->messages[0].text));
    }

    // A cancelled View keeps what the view held with Append down and says, in the view,
    // that the script below it is incomplete.
    void aCancelledViewSaysTheScriptIsIncomplete()
    {
        m_window->m_view->setPlainText("-- kept");
        QTest::mouseClick(m_window->btn_append, Qt::LeftButton);
        QVERIFY(m_window->btn_append->isChecked());
        markFolder(ObjectKind::Tables);
        cancelOnceProcessing();
        press(Qt::Key_V, Qt::AltModifier);
        const QString text = m_window->m_view->toPlainText();
        QVERIFY(text.startsWith("-- kept\n"));
        QVERIFY2(text.trimmed().endsWith("/* Cancelled: this script is incomplete. */"),
                 qPrintable(text.right(200)));
        QVERIFY(m_ui->messages.empty());
    }

    // One click marks an object and the next takes the mark away; a double click counts as
    // one click; a click beside the nodes acts on the current node, as documented.
    void aClickMarksAnObjectOnce()
    {
        const QModelIndex tables = openFolder(ObjectKind::Tables);
        const QModelIndex customers =
            childAt(tables, int(childCaptions(tables).indexOf("dbo.customers")));
        clickNode(customers);
        QCOMPARE(m_window->SelectedCount, 1);
        QCOMPARE(m_window->MarkedObjects().size(), 1);
        clickNode(customers);
        QCOMPARE(m_window->SelectedCount, 0);

        m_window->tv_main->scrollTo(customers);
        doubleClickAt(m_window->tv_main->viewport(),
                      m_window->tv_main->visualRect(customers).center());
        QCOMPARE(m_window->SelectedCount, 1);

        // A folder's expand button is beside the nodes: the current object is toggled.
        const QModelIndex views = folderNode(*m_window, "demo", ObjectKind::Views, false);
        const QRect row = m_window->tv_main->visualRect(views);
        clickAt(m_window->tv_main->viewport(),
                QPoint(row.left() - m_window->tv_main->indentation() / 2, row.center().y()));
        QVERIFY(m_window->tv_main->isExpanded(views));
        QCOMPARE(m_window->tv_main->currentIndex(), customers);
        QCOMPARE(m_window->SelectedCount, 0);
        // The right button opens the popup and marks nothing.
        clickNode(customers, Qt::RightButton);
        QTRY_VERIFY(m_window->pum_explorer->isVisible());
        QTest::keyClick(m_window->pum_explorer, Qt::Key_Escape);
        QCOMPARE(m_window->SelectedCount, 0);
    }

    // The popup's Select All on a folder marks all its objects; after the popup was opened
    // on an object, Ctrl+I still inverts the marks of a folder.
    void thePopupCommandsActOnTheFolder()
    {
        const QModelIndex views = openFolder(ObjectKind::Views);
        const QModelIndex tables = openFolder(ObjectKind::Tables);
        clickNode(views, Qt::RightButton);
        QTRY_VERIFY(m_window->pum_explorer->isVisible());
        QVERIFY(m_window->a_select_all->isEnabled());
        // Select All, the first item: a menu takes no click at the place it opened.
        QTest::keyClick(m_window->pum_explorer, Qt::Key_Down);
        QCOMPARE(m_window->pum_explorer->activeAction(), m_window->a_select_all);
        QTest::keyClick(m_window->pum_explorer, Qt::Key_Return);
        QCOMPARE(m_window->SelectedCount, childCount(views));

        clickNode(childAt(tables, 0), Qt::RightButton);
        QTRY_VERIFY(m_window->pum_explorer->isVisible());
        QVERIFY(!m_window->a_invert->isEnabled());
        QTest::keyClick(m_window->pum_explorer, Qt::Key_Escape);
        QTRY_VERIFY(!m_window->pum_explorer->isVisible());
        // Shift+F10 opens the popup from the keyboard.
        QTest::keyClick(m_window->tv_main, Qt::Key_F10, Qt::ShiftModifier);
        QTRY_VERIFY(m_window->pum_explorer->isVisible());
        QTest::keyClick(m_window->pum_explorer, Qt::Key_Escape);
        QTRY_VERIFY(!m_window->pum_explorer->isVisible());
        clickNode(tables);
        pressOnTree(Qt::Key_I, Qt::ControlModifier);
        QCOMPARE(m_window->SelectedCount, childCount(views) + childCount(tables));
    }

    // The Indexes folder leaves out the indexes of system tables and the text and image
    // storage of tables, the Groups folder the roles: nothing a script could re-create, so
    // Select All marks only what can be scripted.
    void foldersLeaveOutWhatCannotBeScripted()
    {
        const QStringList indexes = childCaptions(openFolder(ObjectKind::Indexes));
        QVERIFY2(indexes.contains("customers.customers_pk"), qPrintable(indexes.join(',')));
        QVERIFY2(!indexes.contains("sysobjects.sysobjects"), qPrintable(indexes.join(',')));
        QVERIFY2(!indexes.contains("all_types.tall_types"), qPrintable(indexes.join(',')));
        const QStringList groups = childCaptions(openFolder(ObjectKind::Groups));
        QVERIFY2(groups.contains("public") && groups.contains("sales"),
                 qPrintable(groups.join(',')));
        QVERIFY2(!groups.contains("sa_role"), qPrintable(groups.join(',')));
    }

    // After the server went away the window says so and offers Reconnect; the view, the
    // folders read and the marks stay, and a reconnect goes on with them.
    void aLostConnectionIsAState()
    {
        press(Qt::Key_D, Qt::AltModifier);
        const QByteArray sybase = qgetenv("SYBASE");
        auto doomed = std::make_unique<TdsimServer>(
            QStringList{QStringLiteral(SKELDER_SOURCE_DIR "/testdata/demo.sql")});
        doomed->configure(*m_window->db);
        press(Qt::Key_C, Qt::AltModifier);
        const QModelIndex tables = openFolder(ObjectKind::Tables);
        const QStringList captions = childCaptions(tables);
        clickNode(childAt(tables, 0));
        press(Qt::Key_V, Qt::AltModifier);
        const QString script = m_window->m_view->toPlainText();
        QVERIFY(script.contains("CREATE TABLE"));

        ::kill(doomed->pid(), SIGKILL);
        QTRY_VERIFY(hasEnded(doomed->pid()));
        press(Qt::Key_V, Qt::AltModifier);
        QCOMPARE(m_window->m_view->toPlainText(), script);
        QVERIFY(!m_ui->messages.empty());
        QCOMPARE(m_window->windowTitle(), QString("Skelder - Connection to tdsim lost"));
        QVERIFY(m_window->statusPanel(1)->text().contains("Reconnect"));
        QVERIFY(!m_window->a_view->isEnabled() && !m_window->a_generate->isEnabled());
        QVERIFY(m_window->a_connect->isEnabled());
        QCOMPARE(m_window->a_connect->text(), QString("Re&connect..."));

        // A folder opened now stays unread; the one read keeps its objects and marks.
        const QModelIndex views = openFolder(ObjectKind::Views);
        QTRY_VERIFY(!m_window->tv_main->isExpanded(views));
        QCOMPARE(childCaptions(views), QStringList{QString()});
        QCOMPARE(childCaptions(tables), captions);
        QCOMPARE(m_window->SelectedCount, 1);

        doomed.reset();
        TdsimServer again({QStringLiteral(SKELDER_SOURCE_DIR "/testdata/demo.sql")});
        again.configure(*m_window->db);
        press(Qt::Key_C, Qt::AltModifier);
        QCOMPARE(m_window->windowTitle(), QString("Skelder - Connected to tdsim"));
        QCOMPARE(m_window->SelectedCount, 1);
        QCOMPARE(m_window->MarkedObjects().size(), 1);
        QVERIFY(m_window->a_view->isEnabled());
        QVERIFY(childCount(openFolder(ObjectKind::Views)) > 1);
        press(Qt::Key_V, Qt::AltModifier);
        QVERIFY(m_window->m_view->toPlainText().contains("CREATE TABLE"));
        press(Qt::Key_D, Qt::AltModifier);
        qputenv("SYBASE", sybase);
    }

    // A folder opened on a server that stopped answering: after a moment a window says
    // what is awaited, and its Cancel ends the wait; the connection is then lost.
    void aFrozenFolderReadIsCancelled()
    {
        ServerOfItsOwn own(*this);
        press(Qt::Key_C, Qt::AltModifier);
        ::kill(own.server.pid(), SIGSTOP);
        QString shown;
        whenModalOf<TServerWaitDialog>([&](TServerWaitDialog* wait) {
            shown = wait->label()->text();
            QTest::mouseClick(wait->cancelButton(), Qt::LeftButton);
        });
        const QModelIndex views = openFolder(ObjectKind::Views);
        QCOMPARE(shown, QString("Waiting for the server: Retrieving views from demo"));
        QTRY_VERIFY(!m_window->tv_main->isExpanded(views));
        QCOMPARE(childCaptions(views), QStringList{QString()});
        QCOMPARE(m_window->windowTitle(), QString("Skelder - Connection to tdsim lost"));
        QVERIFY(!m_ui->messages.empty());
        QVERIFY2(m_ui->messages.back().text.contains("cancelled"),
                 qPrintable(m_ui->messages.back().text));
    }

    // The same in the middle of View: the progress window says that it waits, its Cancel
    // ends the wait, and the view says that its script is incomplete.
    void aFrozenViewIsCancelled()
    {
        ServerOfItsOwn own(*this);
        press(Qt::Key_C, Qt::AltModifier);
        markFolder(ObjectKind::Tables);
        QString shown;
        ::kill(own.server.pid(), SIGSTOP);
        whenModalOf<TRAProgressFormForm>([&](TRAProgressFormForm* progress) {
            QTRY_VERIFY_WITH_TIMEOUT(progress->label()->text().startsWith("Waiting for the server"),
                                     20000);
            shown = progress->label()->text();
            QTest::mouseClick(progress->cancelButton(), Qt::LeftButton);
        });
        press(Qt::Key_V, Qt::AltModifier);
        QVERIFY2(shown.startsWith("Waiting for the server: "), qPrintable(shown));
        QVERIFY(m_window->m_view->toPlainText().trimmed().endsWith(
            "/* Cancelled: this script is incomplete. */"));
        QCOMPARE(m_window->windowTitle(), QString("Skelder - Connection to tdsim lost"));
        QVERIFY(!m_ui->messages.empty());
        QVERIFY2(m_ui->messages.back().text.contains("cancelled"),
                 qPrintable(m_ui->messages.back().text));
    }

    // A login the server does not answer: a busy cursor and a status text, then the
    // waiting window, whose Cancel ends the login.
    void aFrozenLoginIsCancelled()
    {
        ServerOfItsOwn own(*this);
        ::kill(own.server.pid(), SIGSTOP);
        Qt::CursorShape cursor = Qt::ArrowCursor;
        QString status;
        whenModalOf<TServerWaitDialog>([&](TServerWaitDialog* wait) {
            cursor = m_window->cursor().shape();
            status = m_window->statusPanel(1)->text();
            QTest::keyClick(wait, Qt::Key_Escape);
        });
        press(Qt::Key_C, Qt::AltModifier);
        QCOMPARE(cursor, Qt::BusyCursor);
        QCOMPARE(status, QString("Logging in..."));
        QVERIFY(!m_window->db->connected());
        QCOMPARE(m_window->windowTitle(), QString("Skelder - not connected"));
        QCOMPARE(m_window->cursor().shape(), Qt::ArrowCursor);
        QVERIFY(!m_ui->messages.empty());
        QCOMPARE(m_ui->messages.back().text, QString("The login to 'tdsim' was cancelled."));
    }

private:
    // A server of the test's own in place of the shared one, for the window disconnected
    // from the shared one; it is woken if stopped, and the shared one configured again,
    // when the test ends.
    struct ServerOfItsOwn {
        explicit ServerOfItsOwn(WindowUseTest& test)
            : test(test),
              sybase(qgetenv("SYBASE")),
              server({QStringLiteral(SKELDER_SOURCE_DIR "/testdata/demo.sql")})
        {
            test.press(Qt::Key_D, Qt::AltModifier);
            server.configure(*test.m_window->db);
            test.m_window->db->setTimeOut(600);
            test.m_window->db->setLoginTimeOut(600);
        }
        ~ServerOfItsOwn()
        {
            ::kill(server.pid(), SIGCONT);
            qputenv("SYBASE", sybase);
        }
        WindowUseTest& test;
        QByteArray sybase;
        TdsimServer server;
    };

    // Opens the folder of demo by a click on it and the Right key, and marks all its
    // objects with Ctrl+I.
    QModelIndex openFolder(ObjectKind kind)
    {
        const QModelIndex folder = folderNode(*m_window, "demo", kind, false);
        clickNode(databaseNode(*m_window, "demo"));
        QTest::keyClick(m_window->tv_main, Qt::Key_Right);
        clickNode(folder);
        QTest::keyClick(m_window->tv_main, Qt::Key_Right);
        return folder;
    }

    void markFolder(ObjectKind kind)
    {
        const QModelIndex folder = openFolder(kind);
        const int before = m_window->SelectedCount;
        clickNode(folder);
        QTest::keyClick(m_window->tv_main, Qt::Key_I, Qt::ControlModifier);
        QCOMPARE(m_window->SelectedCount, before + childCount(folder));
    }

    // The main window gets the focus back, as a window manager gives it when a dialog or
    // popup has gone (an X server without one leaves it to the application).
    void activateMainWindow()
    {
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_window->activateWindow();
        QApplication::setActiveWindow(m_window.get());
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    // A key pressed on the main window, which has the focus back once a dialog has gone,
    // as the window manager gives it.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        activateMainWindow();
        QTest::keyClick(m_window.get(), key, modifiers);
    }

    // A key pressed in the tree, with the main window active again after a popup, as the
    // window manager makes it.
    void pressOnTree(Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        activateMainWindow();
        QTest::keyClick(m_window->tv_main, key, modifiers);
    }

    void clickNode(const QModelIndex& node, Qt::MouseButton button = Qt::LeftButton)
    {
        m_window->tv_main->scrollTo(node);
        clickAt(m_window->tv_main->viewport(), m_window->tv_main->visualRect(node).center(),
                button);
    }

    std::unique_ptr<TdsimServer> m_server;
    std::unique_ptr<RecordingUserInterface> m_ui;
    std::unique_ptr<Tf_main> m_window;
};

// The settings the windows load and save are this run's own: other suites running at the
// same time change theirs (a missing working directory, short timeouts).
void useSettingsOfItsOwn(const QTemporaryDir& directory)
{
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(directory.path()));
}

#ifdef SKELDER_UNDER_XVFB
// The same uses of the window under a real X server that the test starts itself. Exit
// status 77 is ctest's skip: the reason is printed.
int main(int argc, char* argv[])
{
    const XvfbDisplay xvfb;
    if (!xvfb.failure().isEmpty()) {
        std::fprintf(stderr, "SKIP: no X server for the window: %s\n", qPrintable(xvfb.failure()));
        return 77;
    }
    const QTemporaryDir settings;
    useSettingsOfItsOwn(settings);
    qputenv("DISPLAY", xvfb.display().toLatin1());
    qputenv("QT_QPA_PLATFORM", "xcb");
    TSkelderApplication application(argc, argv);
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        std::fprintf(stderr, "SKIP: Qt could not use the X server %s\n",
                     qPrintable(xvfb.display()));
        return 77;
    }
    WindowUseTest test;
    return QTest::qExec(&test, argc, argv);
}
#else
int main(int argc, char* argv[])
{
    const QTemporaryDir settings;
    useSettingsOfItsOwn(settings);
    TSkelderApplication application(argc, argv);
    WindowUseTest test;
    return QTest::qExec(&test, argc, argv);
}
#endif

#include "window_use_tests.moc"
