#include "CTLibDatabase.h"
#include "ErrorDisplay.h"
#include "Exceptions.h"
#include "FontScope.h"
#include "HelpWindow.h"
#include "ModalDialogs.h"
#include "RecordingUserInterface.h"
#include "RegAuto.h"
#include "ViewSink.h"
#include "u_main.h"
#include "u_options.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QSplitter>
#include <QStandardPaths>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <functional>

namespace {

QString settingsPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/Skelder.ini";
}

QString readSettings()
{
    QFile file(settingsPath());
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
}

void writeSettings(const QString& text)
{
    QDir().mkpath(QFileInfo(settingsPath()).absolutePath());
    QFile file(settingsPath());
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(text.toUtf8());
}

class ThrowingObject : public QObject {
public:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::User)
            throw ESkelderError("raised in an event handler");
        return QObject::event(event);
    }
};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        m_previousDir = QDir::currentPath();
    }

    void init()
    {
        QFile::remove(settingsPath());
        QDir::setCurrent(m_previousDir);
    }

    void startsNotConnectedWithTheDefaults()
    {
        RecordingUserInterface ui;
        Tf_main window;
        QCOMPARE(window.objectName(), QString("f_main"));
        QCOMPARE(window.windowTitle(), QString("Skelder - not connected"));
        QVERIFY(window.windowState() & Qt::WindowMaximized);
        QVERIFY(window.a_connect->isEnabled());
        QVERIFY(!window.a_disconnect->isEnabled());
        QVERIFY(!window.a_view->isEnabled());
        QVERIFY(!window.a_generate->isEnabled());
        QVERIFY(!window.a_select_all->isEnabled());
        QVERIFY(!window.a_unselect_all->isEnabled());
        QVERIFY(window.a_invert->isEnabled());
        QVERIFY(window.Options.AddDrop && window.Options.PrefixWithDb);
        QVERIFY(!window.btn_append->isChecked());
        QCOMPARE(window.db->ServerName, QString("DSQUERY"));
        QCOMPARE(window.db->UserName, QString("sa"));
        QCOMPARE(window.SelectedCount, 0);
        QCOMPARE(window.statusPanel(0)->width(), 200);
        QCOMPARE(window.statusPanel(1)->width(), 500);
        // Monospaced as far as the installed fonts allow: a machine without any such font
        // still gets the one the platform names for fixed-pitch text.
        const QFont viewFont = window.m_view->font();
        QFont platformFixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        platformFixed.setPointSize(8);
        QVERIFY(QFontInfo(viewFont).fixedPitch() || viewFont == platformFixed);
        QCOMPARE(viewFont.pointSize(), 8);
        QCOMPARE(window.db->sortOrder(), QString("binary"));
        // The timeouts the settings give, kept where the next save reads them back.
        QCOMPARE(window.db->loginTimeOut(), 30);
        QCOMPARE(window.db->timeOut(), 600);

        window.setWindowState(Qt::WindowNoState);
        window.resize(900, 600);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.pan_explorer->width(), 250);
    }

    // Each command's shortcut reaches it from the main window, and within each menu every
    // item's mnemonic letter is its own.
    void everyShortcutReachesItsCommand()
    {
        Tf_main window;
        window.setWindowState(Qt::WindowNoState);
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QStringList reached;
        for (QAction* action : window.findChildren<QAction*>()) {
            // The window's own commands, not the actions Qt's widgets make for themselves.
            if (!action->objectName().startsWith("a_") || action->shortcut().isEmpty() ||
                !action->isEnabled())
                continue;
            // What the command then does is not this test's business.
            QObject::disconnect(action, &QAction::triggered, action, nullptr);
            QSignalSpy triggered(action, &QAction::triggered);
            const QKeyCombination key = action->shortcut()[0];
            QTest::keyClick(&window, key.key(), key.keyboardModifiers());
            QVERIFY2(triggered.size() == 1, qPrintable(action->objectName()));
            reached << action->objectName();
        }
        for (const char* name : {"a_file_exit", "a_connect", "a_options", "a_invert", "a_contents"})
            QVERIFY2(reached.contains(name), name);

        for (QAction* menu : window.menuBar()->actions()) {
            QList<QChar> letters;
            for (QAction* item : menu->menu()->actions()) {
                const int amp = int(item->text().indexOf('&'));
                if (item->isSeparator() || amp < 0)
                    continue;
                const QChar letter = item->text().at(amp + 1).toLower();
                QVERIFY2(!letters.contains(letter), qPrintable(item->text()));
                letters << letter;
            }
        }
    }

    void theMenusAndTheTreePopupHoldTheirCommandsInOrder()
    {
        Tf_main window;
        QStringList fileMenu;
        for (QAction* item : window.menuBar()->actions().first()->menu()->actions())
            fileMenu << (item->isSeparator() ? QString("-") : item->objectName());
        QCOMPARE(fileMenu,
                 QStringList({"a_save", "-", "a_print_setup", "a_print", "-", "a_file_exit"}));
        QStringList treePopup;
        for (QAction* item : window.pum_explorer->actions())
            treePopup << (item->isSeparator() ? QString("-") : item->objectName());
        QCOMPARE(treePopup, QStringList({"a_select_all", "a_unselect_all", "a_invert", "-",
                                         "a_options", "-", "a_view", "a_generate"}));
    }

    void altCConnectsThoughTheScriptMenuUsesTheSameLetter()
    {
        RecordingUserInterface ui;  // answers the login dialog with Cancel
        Tf_main window;
        window.setWindowState(Qt::WindowNoState);
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QSignalSpy connects(window.a_connect, &QAction::triggered);
        QTest::keyClick(&window, Qt::Key_C, Qt::AltModifier);
        QCOMPARE(connects.size(), 1);
        QCOMPARE(ui.loginRequests.size(), size_t(1));
    }

    void hintsReachStatusPanelOne()
    {
        Tf_main window;
        window.a_connect->showStatusText();
        QCOMPARE(window.statusPanel(1)->text(), QString("Connect to a new server"));
    }

    void aMissingWorkDirIsReportedOnceAtAnActivationOfOurs()
    {
        writeSettings("[Config]\nWorking directory=/nonexistent/skelder\n");
        RecordingUserInterface ui;
        Tf_main window;
        window.setWindowState(Qt::WindowNoState);
        window.show();
        QApplication::setActiveWindow(&window);
        QTRY_COMPARE(ui.messages.size(), size_t(1));
        QCOMPARE(ui.messages[0].title, QString("Skelder"));
        QCOMPARE(ui.messages[0].text,
                 QString("Work directory /nonexistent/skelder not found. \r\n"
                         "Select Settings | Options to specify the working directory."));
        QCOMPARE(ui.messages[0].icon, UserInterface::Icon::Information);
        QCOMPARE(QDir::currentPath(), m_previousDir);

        // Focus leaving for another application and coming back is no activation.
        QApplication::setActiveWindow(nullptr);
        QApplication::setActiveWindow(&window);
        QApplication::processEvents();
        QCOMPARE(ui.messages.size(), size_t(1));

        // Nor is the return from a message box, such as the message itself.
        QMessageBox box(QMessageBox::Information, "Skelder", "text");
        box.show();
        QApplication::setActiveWindow(&box);
        QApplication::setActiveWindow(&window);
        QApplication::processEvents();
        QCOMPARE(ui.messages.size(), size_t(1));
        box.hide();

        // Coming back from another window of ours is, but the same directory is reported
        // once: a dialog's return does not repeat it.
        QWidget other;
        other.show();
        QApplication::setActiveWindow(&other);
        QApplication::setActiveWindow(&window);
        QApplication::processEvents();
        QCOMPARE(ui.messages.size(), size_t(1));

        // Another missing directory is reported at the next activation.
        window.WorkDir = QStringLiteral("/nonexistent/other");
        QApplication::setActiveWindow(&other);
        QApplication::setActiveWindow(&window);
        QTRY_COMPARE(ui.messages.size(), size_t(2));
        QVERIFY(ui.messages[1].text.contains("/nonexistent/other"));
    }

    void anExistingWorkDirBecomesCurrent()
    {
        QTemporaryDir dir;
        writeSettings("[Config]\nWorking directory=" + dir.path() + "\n");
        RecordingUserInterface ui;
        Tf_main window;
        window.show();
        QApplication::setActiveWindow(&window);
        QTRY_COMPARE(QDir::currentPath(), QDir(dir.path()).canonicalPath());
        QVERIFY(ui.messages.empty());
    }

    void optionsOkCopiesTheControlsAndSaves()
    {
        QTemporaryDir scripts;
        RecordingUserInterface ui;
        Tf_main window;
        whenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<Tf_options*>(modal);
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), QString("Options"));
            QCOMPARE(dialog->size(), QSize(320, 363));
            QVERIFY(dialog->chk_drop->isChecked());
            QCOMPARE(dialog->e_ext_tables->text(), QString("tbl"));
            dialog->chk_trigger->setChecked(true);
            dialog->chk_drop->setChecked(false);
            dialog->e_ext_tables->setText(" tab");
            dialog->e_workdir->setText(scripts.path());
            dialog->btn_ok->click();
        });
        window.a_options->trigger();
        QVERIFY(window.Options.TriggerScript);
        QVERIFY(!window.Options.AddDrop);
        QCOMPARE(window.Options.extension(ObjectKind::Tables), QString(" tab"));
        QCOMPARE(window.WorkDir, scripts.path());
        const QString saved = readSettings();
        QVERIFY(saved.contains("Trigger Script=1\n"));
        QVERIFY(saved.contains("Add DROP=0\n"));
        QVERIFY(saved.contains("Working directory=" + scripts.path() + "\n"));
    }

    // The timeouts are typed in the dialog (Ctrl+O) and kept; a working directory that
    // does not exist is refused until one that does is typed.
    void theOptionsDialogSetsTheTimeoutsAndRefusesAMissingDirectory()
    {
        QTemporaryDir scripts;
        RecordingUserInterface ui;
        Tf_main window;
        window.setWindowState(Qt::WindowNoState);
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        bool refused = false;
        whenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<Tf_options*>(modal);
            QVERIFY(dialog);
            QCOMPARE(dialog->e_login_timeout->value(), 30);
            QCOMPARE(dialog->e_command_timeout->value(), 600);
            QTest::mouseClick(dialog->PageControl1->tabBar(), Qt::LeftButton, {},
                              dialog->PageControl1->tabBar()->tabRect(1).center());
            for (auto [box, seconds] : {std::pair{dialog->e_login_timeout, "5"},
                                        std::pair{dialog->e_command_timeout, "45"}}) {
                box->setFocus();
                box->selectAll();
                QTest::keyClicks(box, seconds);
            }
            dialog->e_workdir->selectAll();
            QTest::keyClicks(dialog->e_workdir, "/nonexistent/skelder");
            QTest::mouseClick(dialog->btn_ok, Qt::LeftButton);
            refused = dialog->isVisible() && ui.messages.size() == 1;
            dialog->e_workdir->selectAll();
            QTest::keyClicks(dialog->e_workdir, scripts.path());
            QTest::mouseClick(dialog->btn_ok, Qt::LeftButton);
        });
        QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
        QVERIFY(refused);
        QVERIFY2(ui.messages[0].text.contains("/nonexistent/skelder"),
                 qPrintable(ui.messages[0].text));
        QCOMPARE(window.WorkDir, scripts.path());
        QCOMPARE(window.db->loginTimeOut(), 5);
        QCOMPARE(window.db->timeOut(), 45);
        const QString saved = readSettings();
        QVERIFY2(saved.contains("Login Timeout=5\n") && saved.contains("Command Timeout=45\n"),
                 qPrintable(saved));
    }

    void optionsCancelChangesNothingButSaves()
    {
        RecordingUserInterface ui;
        Tf_main window;
        window.btn_append->setChecked(true);
        whenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<Tf_options*>(modal);
            QVERIFY(dialog);
            dialog->chk_privilege->setChecked(true);
            dialog->e_ext_procs->setText("sql");
            dialog->btn_cancel->click();
        });
        window.a_options->trigger();
        QVERIFY(!window.Options.PrivilegeScript);
        QCOMPARE(window.Options.extension(ObjectKind::Procedures), QString("prc"));
        const QString saved = readSettings();
        QVERIFY(saved.contains("Privilege Script=0\n"));
        QVERIFY(saved.contains("Append=1\n"));
        QVERIFY(saved.contains("Procs Ext=prc\n"));
    }

    void closingStoresThePanelWidth()
    {
        RecordingUserInterface ui;
        {
            Tf_main window;
            window.setWindowState(Qt::WindowNoState);
            window.resize(1000, 600);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            window.Splitter1->setSizes({333, 600});
            window.a_file_exit->trigger();
            QVERIFY(!window.isVisible());
        }
        QVERIFY(readSettings().contains("Explorer Width=333\n"));
        Tf_main again;
        again.setWindowState(Qt::WindowNoState);
        again.resize(1000, 600);
        again.show();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        QCOMPARE(again.pan_explorer->width(), 333);
    }

    void textActionsFollowTheViewAndTheClipboard()
    {
        RecordingUserInterface ui;
        Tf_main window;
        QApplication::clipboard()->clear();
        window.UpdateTextActions();
        for (QAction* off : {window.a_cut, window.a_delete, window.a_print, window.a_save,
                             window.a_selectall_text, window.a_clear, window.a_paste})
            QVERIFY2(!off->isEnabled(), qPrintable(off->objectName()));
        QVERIFY(window.a_copy->isEnabled());
        QVERIFY(window.a_print_setup->isEnabled());

        QApplication::clipboard()->setText("select 1\nGO");
        QVERIFY(window.a_paste->isEnabled());
        window.a_paste->trigger();
        QCOMPARE(window.m_view->toPlainText(), QString("select 1\nGO"));
        for (QAction* on : {window.a_print, window.a_save, window.a_selectall_text, window.a_clear})
            QVERIFY2(on->isEnabled(), qPrintable(on->objectName()));
        QVERIFY(!window.a_cut->isEnabled());

        window.a_selectall_text->trigger();
        QVERIFY(window.a_cut->isEnabled() && window.a_delete->isEnabled());
        window.a_delete->trigger();
        QVERIFY(window.m_view->toPlainText().isEmpty());
        QVERIFY(!window.a_clear->isEnabled());
    }

    // Lines reach the view in blocks; empty lines at either end of a block are kept, and
    // a run's first block replaces what the view held.
    void theViewTakesScriptLinesInBlocks()
    {
        QPlainTextEdit view;
        view.setPlainText("earlier");
        TViewSink sink(&view);
        sink.startRun(true);
        sink.appendLines({"/*", "  header", "*/"});
        sink.appendLines({"", "USE demo", "GO", ""});
        QCOMPARE(view.toPlainText(), QString("earlier"));  // kept until the block is full
        sink.flush();
        sink.appendLines({"", "create proc p as\r\nselect 1", "GO"});
        sink.flush();
        sink.flush();
        QCOMPARE(view.toPlainText(),
                 QString("/*\n  header\n*/\n\nUSE demo\nGO\n\n\ncreate proc p as\nselect 1\nGO"));
        view.undo();  // the script is no step to undo
        QVERIFY(view.toPlainText().endsWith("select 1\nGO"));
        sink.startRun(false);
        sink.appendLines({"", "GO"});
        sink.flush();
        QVERIFY(view.toPlainText().endsWith("select 1\nGO\n\nGO"));
    }

    void theSaveDialogOpensInTheWorkingDirectory()
    {
        QTemporaryDir dir;
        RecordingUserInterface ui;
        Tf_main window;
        window.SaveDialog->setOption(QFileDialog::DontUseNativeDialog);
        window.WorkDir = dir.path();
        window.m_view->setPlainText("create table t (a int)\nGO\n");
        QString shown;
        whenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            QVERIFY(dialog);
            shown = dialog->directory().absolutePath();
            dialog->reject();
        });
        window.a_save->trigger();
        QCOMPARE(shown, QDir(dir.path()).absolutePath());
    }

    void saveWritesCrLfLinesWithTheDefaultExtension()
    {
        QTemporaryDir dir;
        RecordingUserInterface ui;
        Tf_main window;
        window.SaveDialog->setOption(QFileDialog::DontUseNativeDialog);
        window.m_view->setPlainText("create table t (a int)\nGO\n");
        QCOMPARE(window.SaveDialog->windowTitle(), QString("Open script file"));
        whenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            QVERIFY(dialog);
            dialog->setDirectory(dir.path());
            auto* fileName = dialog->findChild<QLineEdit*>("fileNameEdit");
            auto* buttons = dialog->findChild<QDialogButtonBox*>();
            QVERIFY(fileName && buttons);
            fileName->setText("script");
            buttons->button(QDialogButtonBox::Save)->click();
        });
        window.a_save->trigger();
        QFile file(dir.filePath("script.sql"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("create table t (a int)\r\nGO\r\n\r\n"));
        QVERIFY(ui.messages.empty());
    }

    // Every tool button shows an icon of its own, and only the icon; Append keeps its Alt+A.
    void toolButtonsShowDistinctIcons()
    {
        Tf_main window;
        window.setWindowState(Qt::WindowNoState);
        window.resize(1400, 800);  // room for every button of both tool bars
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QList<QImage> images;
        QStringList names;
        for (QToolBar* bar : window.findChildren<QToolBar*>()) {
            for (QToolButton* button : bar->findChildren<QToolButton*>()) {
                if (!button->isVisible() || button->objectName() == "qt_toolbar_ext_button")
                    continue;
                const QString name = button->defaultAction() ? button->defaultAction()->objectName()
                                                             : button->objectName();
                QVERIFY2(!button->icon().isNull(), qPrintable(name));
                QCOMPARE(button->toolButtonStyle(), Qt::ToolButtonIconOnly);
                const QImage image = button->icon().pixmap(24).toImage();
                QVERIFY2(!images.contains(image),
                         qPrintable(name + " looks like " + names.value(images.indexOf(image))));
                images << image;
                names << name;
            }
        }
        QVERIFY(names.contains("a_generate") && names.contains("a_save"));
        QVERIFY2(names.contains("btn_append") && names.contains("btn_help"),
                 qPrintable(names.join(",")));
        // A mnemonic clicks its button once the press has been shown.
        QTest::keyClick(&window, Qt::Key_A, Qt::AltModifier);
        QTRY_VERIFY(window.btn_append->isChecked());
    }

    void f1AndTheHelpButtonOpenTheBundledHelp()
    {
        Tf_main window;
        window.setWindowState(Qt::WindowNoState);
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(&window, Qt::Key_F1);
        auto* help = window.findChild<THelpWindow*>("HelpWindow");
        QVERIFY(help && help->isVisible());
        const QString text = help->browser()->toPlainText();
        for (const char* part : {"User Tables", "Marks", "Generate", "skelder-cli"})
            QVERIFY2(text.contains(part), part);
        help->close();
        window.findChild<QToolButton*>("btn_help")->click();
        QVERIFY(help->isVisible());
        QCOMPARE(window.findChildren<THelpWindow*>().size(), 1);  // the same window again
    }

    // Printer Setup chooses the printer and page that Print uses: it has no Print button.
    void printerSetupPrintsNothing()
    {
        Tf_main window;
        QStringList buttons;
        whenModal([&](QWidget* modal) {
            QCOMPARE(modal->objectName(), QString("PrinterSetupDialog"));
            for (QPushButton* button : modal->findChildren<QPushButton*>()) {
                if (button->isVisible())
                    buttons << button->text().remove('&');
            }
            qobject_cast<QDialog*>(modal)->reject();
        });
        window.a_print_setup->trigger();
        QVERIFY(buttons.contains("OK"));
        for (const QString& text : buttons)
            QVERIFY2(!text.contains("Print", Qt::CaseInsensitive), qPrintable(text));
    }

    // 320 x 363 at the usual font; larger fonts make it grow so that nothing is cut.
    void theOptionsDialogFitsItsTextsAtLargeFonts()
    {
        for (int points : {9, 16}) {
            const FontScope font(points);
            Tf_options options;
            options.show();
            for (QWidget* page : {options.ts_files, options.ts_general}) {
                options.PageControl1->setCurrentWidget(page);
                QApplication::processEvents();
                for (QWidget* widget : page->findChildren<QWidget*>()) {
                    if (!widget->isVisible())
                        continue;
                    QString text = widget->property("text").toString();
                    text.remove('&');
                    const QFontMetrics metrics = widget->fontMetrics();
                    // A check box's text comes after its indicator.
                    const int indicator = qobject_cast<QCheckBox*>(widget) ? 16 : 0;
                    QVERIFY2(widget->width() >= metrics.horizontalAdvance(text) + indicator &&
                                 widget->height() >= metrics.height(),
                             qPrintable(QString("%1 pt: %2").arg(points).arg(text)));
                    QVERIFY(QRect(QPoint(), page->size()).contains(widget->geometry()));
                }
            }
            QVERIFY(options.width() >= 320 && options.height() >= 363);
            options.hide();
        }
    }

    void theWorkDirPickerStartsAtTheDirectoryTyped()
    {
        QTemporaryDir typed;
        Tf_options options;
        options.e_workdir->setText(typed.path());
        QString startedAt;
        whenModal([&](QWidget* modal) {
            auto* picker = qobject_cast<QFileDialog*>(modal);
            QVERIFY(picker);
            startedAt = picker->directory().absolutePath();
            picker->reject();
        });
        options.Button1->click();
        QCOMPARE(startedAt, QDir(typed.path()).absolutePath());
        QCOMPARE(options.e_workdir->text(), typed.path());  // cancelled: unchanged
    }

    void aFailedPrintIsReportedAndPrintingWorksAgain()
    {
        QTemporaryDir dir;
        RecordingUserInterface ui;
        Tf_main window;
        window.m_view->setPlainText("create table printed_table (a int)\nGO");
        // No printer on this machine, then a file that cannot be written.
        window.a_print->trigger();
        QCOMPARE(ui.messages.size(), size_t(1));
        QCOMPARE(ui.messages[0].icon, UserInterface::Icon::Error);
        QCOMPARE(ui.messages[0].text, QString("There is no default printer currently selected"));
        window.printer()->setOutputFormat(QPrinter::PdfFormat);
        window.printer()->setOutputFileName(dir.filePath("no/such/directory/print.pdf"));
        window.a_print->trigger();
        QCOMPARE(ui.messages.size(), size_t(2));
        QCOMPARE(ui.messages[1].icon, UserInterface::Icon::Error);

        const QString pdf = dir.filePath("print.pdf");
        window.printer()->setOutputFileName(pdf);
        window.a_print->trigger();
        QCOMPARE(ui.messages.size(), size_t(2));
        QVERIFY(QFileInfo(pdf).size() > 0);
    }

    void printWritesTheViewsLines()
    {
        QTemporaryDir dir;
        RecordingUserInterface ui;
        Tf_main window;
        const QString pdf = dir.filePath("print.pdf");
        window.printer()->setOutputFormat(QPrinter::PdfFormat);
        window.printer()->setOutputFileName(pdf);
        window.m_view->setPlainText("create table printed_table (a int)\nGO");
        window.a_print->trigger();
        QVERIFY(ui.messages.empty());

        QProcess pdftotext;
        pdftotext.start("pdftotext", {"-layout", pdf, "-"});
        QVERIFY2(pdftotext.waitForFinished(30000), "pdftotext did not run");
        const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
        QVERIFY2(text.contains("create table printed_table (a int)"), qPrintable(text));
        QVERIFY(text.contains("GO"));
    }

    void errorsReachTheStandardErrorDisplay()
    {
        RecordingUserInterface ui;
        QAction failing;
        connectCommand(&failing, [] { throw ESkelderError("Cannot do that"); });
        failing.trigger();
        QAction aborting;
        connectCommand(&aborting, [] { throw EAbort(); });
        aborting.trigger();
        ThrowingObject thrower;
        QEvent event(QEvent::User);
        QCoreApplication::sendEvent(&thrower, &event);

        QCOMPARE(ui.messages.size(), size_t(2));
        QCOMPARE(ui.messages[0].title, QString("Skelder"));
        QCOMPARE(ui.messages[0].text, QString("Cannot do that"));
        QCOMPARE(ui.messages[0].icon, UserInterface::Icon::Error);
        QCOMPARE(ui.messages[1].text, QString("raised in an event handler"));
    }

private:
    QString m_previousDir;
};

int main(int argc, char* argv[])
{
    TSkelderApplication application(argc, argv);
    MainWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "main_window_tests.moc"
