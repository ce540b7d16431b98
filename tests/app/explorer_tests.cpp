// The main window against a tdsim serving the demo databases: connecting, the explorer
// tree, marks, and the script of the marked objects.
#include "CTLibDatabase.h"
#include "CTLibObjInfo.h"
#include "CompareWindow.h"
#include "ErrorDisplay.h"
#include "ExplorerImages.h"
#include "ExplorerTree.h"
#include "ModalDialogs.h"
#include "ProgressReporter.h"
#include "RecordingUserInterface.h"
#include "ScriptGenerator.h"
#include "SilentProgress.h"
#include "TdsimServer.h"
#include "TextFile.h"
#include "u_main.h"

#include <signal.h>
#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <memory>

namespace {

// The texts a label showed on the screen: the text it held at each of its paints.
class PaintedTexts : public QObject {
public:
    explicit PaintedTexts(QLabel* label) : m_label(label) { label->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_label && event->type() == QEvent::Paint)
            texts << m_label->text();
        return false;
    }
    QStringList texts;

private:
    QLabel* m_label;
};

}  // namespace

class ExplorerTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        m_server = std::make_unique<TdsimServer>(
            QStringList{QStringLiteral(SKELDER_SOURCE_DIR "/testdata/demo.sql")});
    }

    void cleanupTestCase() { m_server.reset(); }

    void init()
    {
        m_ui = std::make_unique<RecordingUserInterface>();
        m_window = std::make_unique<Tf_main>();
        m_window->db->ServerName = TdsimServer::serverName();
    }

    void cleanup()
    {
        m_window.reset();
        m_ui.reset();
    }

    void connectListsTheDatabasesInAscendingOrder()
    {
        m_ui->loginAnswer = TdsimServer::saLogin();
        m_window->a_connect->trigger();
        QCOMPARE(m_window->windowTitle(), QString("Skelder - Connected to tdsim"));
        QVERIFY(!m_window->a_connect->isEnabled());
        QVERIFY(m_window->a_disconnect->isEnabled() && m_window->a_view->isEnabled() &&
                m_window->a_generate->isEnabled());
        QCOMPARE(m_window->statusPanel(0)->text(), QString("0 objects selected"));
        QCOMPARE(m_ui->loginRequests.size(), size_t(1));
        QCOMPARE(m_ui->loginRequests[0].serverName, TdsimServer::serverName());
        QVERIFY(m_ui->loginRequests[0].serverList.contains(TdsimServer::serverName()));

        const QStringList databases = databaseNames(*m_window);
        QStringList sorted = databases;
        sorted.sort();
        QCOMPARE(databases, sorted);
        QVERIFY(databases.contains("demo") && databases.contains("master"));
        const QModelIndex demo = databaseNode(*m_window, "demo");
        QCOMPARE(childCaptions(demo),
                 QStringList({"Users", "Groups", "User Tables", "Views", "Indexes", "Triggers",
                              "Procedures", "Rules", "User Datatypes"}));
        // Unopened folders hold one placeholder with an empty caption.
        QCOMPARE(childCaptions(childAt(demo, 2)), QStringList{QString()});
    }

    void aRefusedLoginIsShownAndLeavesTheWindowNotConnected()
    {
        LoginRequest login = TdsimServer::saLogin();
        login.password = QStringLiteral("wrong");
        m_ui->loginAnswer = login;
        m_window->a_connect->trigger();
        QCOMPARE(m_window->windowTitle(), QString("Skelder - not connected"));
        QVERIFY(m_window->a_connect->isEnabled() && !m_window->a_disconnect->isEnabled());
        QCOMPARE(m_window->statusPanel(0)->text(), QString("0 objects selected"));
        QVERIFY(!m_ui->messages.empty());
        QCOMPARE(m_ui->messages.back().icon, UserInterface::Icon::Error);
        QVERIFY2(m_ui->messages.back().text.contains("Login failed"),
                 qPrintable(m_ui->messages.back().text));
        QVERIFY2(m_ui->messages.back().text.contains("Message  : 4002"),
                 qPrintable(m_ui->messages.back().text));
    }

    void aCancelledLoginChangesNothing()
    {
        m_window->a_connect->trigger();
        QCOMPARE(m_window->windowTitle(), QString("Skelder - not connected"));
        QVERIFY(m_ui->messages.empty());
        QCOMPARE(m_window->tv_main->model()->rowCount(), 0);
    }

    void aFolderOpenedAfterTheServerWentAwayReportsTheLostConnection()
    {
        const QByteArray sybase = qgetenv("SYBASE");
        {
            const TdsimServer doomed({QStringLiteral(SKELDER_SOURCE_DIR "/testdata/demo.sql")});
            doomed.configure(*m_window->db);
            m_window->a_connect->trigger();
            QCOMPARE(m_window->windowTitle(), QString("Skelder - Connected to tdsim"));
            ::kill(doomed.pid(), SIGKILL);
            const QModelIndex tables = openFolder("demo", ObjectKind::Tables);
            // Unread, to be opened again after Reconnect.
            QCOMPARE(childCaptions(tables), QStringList{QString()});
        }
        qputenv("SYBASE", sybase);
        // The library's message or ours, depending on where the loss was noticed.
        QVERIFY(!m_ui->messages.empty());
        QCOMPARE(m_ui->messages.back().icon, UserInterface::Icon::Error);
        QVERIFY(m_window->db->connectionLost());
    }

    void theRetrievingTextIsPaintedBeforeTheFolderIsRead()
    {
        m_window->setWindowState(Qt::WindowNoState);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_ui->loginAnswer = TdsimServer::saLogin();
        m_window->a_connect->trigger();
        PaintedTexts painted(m_window->statusPanel(1));
        openFolder("demo", ObjectKind::Views);
        QVERIFY2(painted.texts.contains("Retrieving views from demo"),
                 qPrintable(painted.texts.join('|')));
    }

    // Each object shows its whole caption as a tool tip, a name wider than the panel
    // scrolls, the current node shows a check mark only when it is marked, and Space marks
    // and unmarks it.
    void objectNodesShowTheirCaptionAndMarkWithSpace()
    {
        m_window->setWindowState(Qt::WindowNoState);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        const QModelIndex tables = connectAndOpen("demo", ObjectKind::Tables);
        for (int i = 0; i < childCount(tables); ++i) {
            const QModelIndex object = childAt(tables, i);
            QCOMPARE(object.data(Qt::ToolTipRole).toString(), object.data().toString());
        }

        m_window->pan_explorer->setFixedWidth(90);
        QTRY_VERIFY(m_window->tv_main->horizontalScrollBar()->maximum() > 0);

        const int customers = childCaptions(tables).indexOf("dbo.customers");
        const QModelIndex node = childAt(tables, customers);
        const auto showsCheck = [node] {
            const QImage check = ExplorerImages::icon(ExplorerImages::Marked).pixmap(16).toImage();
            return iconOf(node).pixmap(16).toImage() == check;
        };
        m_window->tv_main->setFocus();
        m_window->tv_main->setCurrentIndex(node);
        QVERIFY(!showsCheck());
        QTest::keyClick(m_window->tv_main, Qt::Key_Space);
        QCOMPARE(m_window->SelectedCount, 1);
        QVERIFY(showsCheck());
        QTest::keyClick(m_window->tv_main, Qt::Key_Space);
        QCOMPARE(m_window->SelectedCount, 0);
        QVERIFY(!showsCheck());
        m_window->hide();
    }

    void foldersListTheirObjectsOnceAndMarksAreCounted()
    {
        const QModelIndex tables = connectAndOpen("demo", ObjectKind::Tables);
        const QStringList captions = childCaptions(tables);
        QVERIFY(captions.contains("dbo.customers") && captions.contains("mary.notes"));
        QVERIFY(!captions.contains(QString()));

        const QModelIndex customers = childAt(tables, int(captions.indexOf("dbo.customers")));
        m_window->tv_main->setCurrentIndex(customers);
        m_window->tv_mainClick();
        QCOMPARE(m_window->SelectedCount, 1);
        QCOMPARE(m_window->statusPanel(0)->text(), QString("1 objects selected"));
        m_window->tv_mainClick();
        QCOMPARE(m_window->SelectedCount, 0);

        // Two marked, then Select All adds the rest, Unselect All removes them all.
        m_window->tv_mainClick();
        m_window->tv_main->setCurrentIndex(childAt(tables, 0));
        m_window->tv_mainClick();
        QCOMPARE(m_window->SelectedCount, 2);
        m_window->tv_main->setCurrentIndex(tables);
        m_window->pum_explorerPopup();
        m_window->a_select_all->trigger();
        QCOMPARE(m_window->SelectedCount, childCount(tables));
        m_window->a_invert->trigger();
        QCOMPARE(m_window->SelectedCount, 0);
        m_window->a_invert->trigger();
        m_window->a_unselect_all->trigger();
        QCOMPARE(m_window->SelectedCount, 0);

        // Collapsing and opening again lists nothing new and keeps the marks.
        m_window->tv_main->setCurrentIndex(customers);
        m_window->tv_mainClick();
        m_window->tv_main->collapse(tables);
        m_window->tv_main->expand(tables);
        QCOMPARE(childCaptions(tables), captions);
        QCOMPARE(m_window->MarkedObjects(),
                 TMarkedObjectList({{"demo", ObjectKind::Tables, "dbo.customers"}}));

        // The popup offers the folder commands on folders only.
        m_window->pum_explorerPopup();
        QVERIFY(!m_window->a_select_all->isEnabled());
        m_window->tv_main->setCurrentIndex(tables);
        m_window->pum_explorerPopup();
        QVERIFY(m_window->a_select_all->isEnabled() && m_window->a_invert->isEnabled());
    }

    void viewWritesTheScriptOfTheMarkedObjects()
    {
        const QModelIndex procedures = connectAndOpen("demo", ObjectKind::Procedures);
        markAll(procedures);
        const QModelIndex groups = openFolder("demo", ObjectKind::Groups);
        markCaption(groups, "sales");
        m_window->Options.PrivilegeScript = true;

        m_window->a_view->trigger();
        QVERIFY(m_ui->messages.empty());
        const QStringList viewLines = m_window->m_view->toPlainText().split('\n');
        QCOMPARE(viewLines.first(), QString("/*"));
        QCOMPARE(viewLines[1].left(27), QString("  Script for Server tdsim ("));

        // The view shows exactly what the shared generator writes for the same objects.
        const QStringList expected = generatorScript();
        QString expectedText = expected.join('\n');
        expectedText.replace("\r\n", "\n");
        // The header comment ends at its first "*/" line.
        const qsizetype headerLines = viewLines.indexOf(QStringLiteral("*/")) + 1;
        QVERIFY(headerLines > 0);
        QCOMPARE(viewLines.mid(headerLines).join('\n'), expectedText);
        QVERIFY(expectedText.startsWith("\nUSE demo\nGO\n\n/************ sales ************/"));

        // With Append down a second run adds a second header below.
        m_window->btn_append->setChecked(true);
        m_window->a_view->trigger();
        QCOMPARE(m_window->m_view->toPlainText().count("  Script for Server tdsim"), 2);
    }

    void theServerNodeListsAndScriptsTheServersOwnObjects()
    {
        m_ui->loginAnswer = TdsimServer::saLogin();
        m_window->a_connect->trigger();
        const QModelIndex server = serverNode(*m_window);
        QVERIFY(server.isValid());
        QCOMPARE(server.data().toString(), TdsimServer::serverName());
        QCOMPARE(childCaptions(server), QStringList({"Logins", "Roles", "Databases", "Devices",
                                                     "Remote Servers", "Configuration"}));
        const QModelIndex databases = childAt(server, 2);
        m_window->tv_main->expand(databases);
        QVERIFY(childCaptions(databases).contains("demo"));
        QVERIFY(!childCaptions(databases).contains("master"));

        const QModelIndex logins = childAt(server, 0);
        m_window->tv_main->expand(logins);
        const QStringList names = childCaptions(logins);
        QVERIFY2(names.contains("mary") && !names.contains("sa"), qPrintable(names.join(',')));
        m_window->tv_main->setCurrentIndex(childAt(logins, int(names.indexOf("mary"))));
        QTest::keyClick(m_window->tv_main, Qt::Key_Space);
        QCOMPARE(m_window->MarkedObjects(),
                 TMarkedObjectList({{QString(), ObjectKind::Logins, "mary"}}));

        m_window->a_view->trigger();
        QVERIFY(m_ui->messages.empty());
        const QString view = m_window->m_view->toPlainText();
        QVERIFY2(view.contains("USE master\nGO\n\n/************ mary ************/"),
                 qPrintable(view));
        QVERIFY(view.contains("CREATE LOGIN mary WITH ENCRYPTED PASSWORD '0x"));
    }

    void generateWritesOneFileWithCrLfLines()
    {
        QTemporaryDir dir;
        const QModelIndex views = connectAndOpen("demo", ObjectKind::Views);
        markAll(views);
        m_window->SaveDialog->setOption(QFileDialog::DontUseNativeDialog);
        whenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            QVERIFY(dialog);
            dialog->setDirectory(dir.path());
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText("views");
            dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Save)->click();
        });
        m_window->a_generate->trigger();
        QVERIFY(m_ui->messages.empty());
        QFile file(dir.filePath("views.sql"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith("/*\r\n  Script for Server tdsim"));
        QVERIFY(bytes.contains("\r\nUSE demo\r\nGO\r\n"));
        QVERIFY(bytes.contains("/************ v_customers ************/\r\n"));
        QVERIFY(!bytes.contains("\n\n"));  // every line break is CR LF
        QVERIFY(m_window->m_view->toPlainText().isEmpty());
        // Below its five header lines, the file is what the shared generator writes.
        QCOMPARE(withoutHeader(bytes), crlfTextBytes(scriptTextLines(generatorScript())));
    }

    void generateToSeparateFilesWritesTheGeneratorsFiles()
    {
        QTemporaryDir dir, expected;
        markAll(connectAndOpen("demo", ObjectKind::Tables));
        markAll(openFolder("demo", ObjectKind::Procedures));
        m_window->Options.SeparateFiles = true;
        m_window->Options.IndexScript = true;
        chooseFolderWhenAsked(dir.path());
        m_window->a_generate->trigger();
        QVERIFY(m_ui->messages.empty());

        SilentProgress progress;
        TScriptGenerator generator(*m_window->info, m_window->Options);
        generator.BuildSeparateFiles(m_window->MarkedObjects(), expected.path(), progress);
        const QStringList files = QDir(expected.path()).entryList(QDir::Files, QDir::Name);
        QVERIFY(files.size() > 10);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files, QDir::Name), files);
        for (const QString& name : files) {
            QFile written(QDir(dir.path()).filePath(name)), wanted(expected.filePath(name));
            QVERIFY(written.open(QIODevice::ReadOnly) && wanted.open(QIODevice::ReadOnly));
            QCOMPARE(written.readAll(), wanted.readAll());
        }
    }

    void updateRepositoryKeepsOneFilePerObjectAndRewritesOnlyWhatChanged()
    {
        QTemporaryDir dir;
        markAll(connectAndOpen("demo", ObjectKind::Procedures));
        const auto update = [&]() -> QString {
            chooseFolderWhenAsked(dir.path());
            m_window->a_repository->trigger();
            if (m_ui->messages.size() != 1)
                return QStringLiteral("%1 messages").arg(m_ui->messages.size());
            const QString message = m_ui->messages.back().text;
            m_ui->messages.clear();
            return message;
        };
        const QString first = update();
        QVERIFY2(first.endsWith(": added 4, changed 0, removed 0, unchanged 0."),
                 qPrintable(first));
        const QString text = readTextFile(dir.filePath("demo/procedures/dbo.p_orders.sql"));
        QVERIFY2(text.startsWith("USE demo\r\nGO\r\n"), qPrintable(text));
        QVERIFY(!text.contains("demo.dbo."));  // names no database
        QVERIFY(QFileInfo::exists(dir.filePath("replay-order.txt")));
        QVERIFY(update().endsWith(": added 0, changed 0, removed 0, unchanged 4."));
    }

    void compareDatabasesShowsTheDifferencesAndPutsTheMigrationIntoTheView()
    {
        m_ui->loginAnswer = TdsimServer::saLogin();
        m_window->a_connect->trigger();
        QString summary, sourceText;
        int onlyInTarget = 0;
        whenModal([&](QWidget* modal) {
            auto* window = qobject_cast<TCompareWindow*>(modal);
            QVERIFY(window);
            window->cb_source->setCurrentText("demo");
            window->cb_target->setCurrentText("inventory");
            QTest::mouseClick(window->btn_compare, Qt::LeftButton);
            summary = window->lbl_summary->text();
            for (int row = 0; row < window->lv_differences->count(); ++row) {
                const QString item = window->lv_differences->item(row)->text();
                onlyInTarget += item == "only in target: tables/dbo.items.sql";
                if (item == "only in source: views/dbo.v_customers.sql") {
                    window->lv_differences->setCurrentRow(row);
                    sourceText = window->m_sourceText->toPlainText();
                }
            }
            // The migration from inventory to demo goes into the view.
            QTest::mouseClick(window->btn_migration, Qt::LeftButton);
        });
        m_window->a_compare->trigger();
        QVERIFY2(summary.contains(" objects differ"), qPrintable(summary));
        QCOMPARE(onlyInTarget, 1);
        QVERIFY2(sourceText.contains("create view v_customers"), qPrintable(sourceText));
        const QString view = m_window->m_view->toPlainText();
        QVERIFY2(view.startsWith("USE inventory\nGO\n"), qPrintable(view.left(200)));
        QVERIFY(view.contains("CREATE TABLE dbo.customers"));
        QVERIFY(!view.contains("USE demo"));
        // What only inventory has stays, and the message says so.
        QVERIFY(!view.contains("DROP TABLE dbo.items"));
        QCOMPARE(m_ui->messages.size(), size_t(1));
        QVERIFY2(m_ui->messages.back().text.contains("tables/dbo.items.sql: only in the target"),
                 qPrintable(m_ui->messages.back().text));
    }

    void appendAddsTheGeneratorsScriptBelowWhatTheViewHeld()
    {
        markAll(connectAndOpen("demo", ObjectKind::Views));
        m_window->a_view->trigger();
        const QString first = m_window->m_view->toPlainText();
        m_window->btn_append->setChecked(true);
        m_window->a_view->trigger();
        const QString both = m_window->m_view->toPlainText();
        QVERIFY(both.startsWith(first + '\n'));
        QString expected = generatorScript().join('\n');
        expected.replace("\r\n", "\n");
        QCOMPARE(withoutHeader(both.mid(first.size() + 1).toUtf8()), expected.toUtf8());
    }

    void disconnectEmptiesTheTreeAndResetsTheCounter()
    {
        const QModelIndex users = connectAndOpen("demo", ObjectKind::Users);
        markAll(users);
        QVERIFY(m_window->SelectedCount > 0);
        m_window->a_disconnect->trigger();
        QCOMPARE(m_window->windowTitle(), QString("Skelder - not connected"));
        QCOMPARE(m_window->tv_main->model()->rowCount(), 0);
        QCOMPARE(m_window->SelectedCount, 0);
        QCOMPARE(m_window->statusPanel(0)->text(), QString("0 objects selected"));
        QVERIFY(m_window->a_connect->isEnabled() && !m_window->a_view->isEnabled());
        QVERIFY(!m_window->db->connected());
    }

private:
    QModelIndex connectAndOpen(const QString& database, ObjectKind kind)
    {
        m_ui->loginAnswer = TdsimServer::saLogin();
        m_window->a_connect->trigger();
        return openFolder(database, kind);
    }

    QModelIndex openFolder(const QString& database, ObjectKind kind)
    {
        const QModelIndex folder = folderNode(*m_window, database, kind);
        if (!folder.isValid())
            qFatal("database %s not listed", qPrintable(database));
        return folder;
    }

    // The script the shared generator writes for the marked objects, without its header.
    QStringList generatorScript()
    {
        SilentProgress progress;
        TScriptGenerator generator(*m_window->info, m_window->Options);
        return generator.BuildScript(m_window->MarkedObjects(), {}, true, nullptr, progress, false);
    }

    // A script's text below the five lines of its header comment.
    static QByteArray withoutHeader(const QByteArray& text)
    {
        // The header comment ends at its first "*/" line.
        const qsizetype end = text.indexOf("\n*/");
        return end < 0 ? text : text.mid(text.indexOf('\n', end + 1) + 1);
    }

    void markAll(const QModelIndex& folder) { ::markAll(*m_window, folder); }

    // Answers the next folder dialog with `path`, as a user typing it would.
    static void chooseFolderWhenAsked(const QString& path)
    {
        whenModal([path](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            QVERIFY(dialog);
            dialog->setDirectory(path);
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText(path);
            dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open)->click();
        });
    }

    static QString readTextFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    void markCaption(const QModelIndex& folder, const QString& caption)
    {
        const int index = int(childCaptions(folder).indexOf(caption));
        QVERIFY(index >= 0);
        m_window->tv_main->setCurrentIndex(childAt(folder, index));
        m_window->tv_mainClick();
    }

    std::unique_ptr<TdsimServer> m_server;
    std::unique_ptr<RecordingUserInterface> m_ui;
    std::unique_ptr<Tf_main> m_window;
};

int main(int argc, char* argv[])
{
    TSkelderApplication application(argc, argv);
    ExplorerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "explorer_tests.moc"
