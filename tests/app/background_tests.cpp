// Scripts built beside the window's thread, against a tdsim that takes 40 ms to answer
// each request: Cancel stops the requests at once.
#include "CTLibDatabase.h"
#include "CTLibLogin.h"
#include "ErrorDisplay.h"
#include "ExplorerTree.h"
#include "GuiUserInterface.h"
#include "ModalDialogs.h"
#include "RecordingUserInterface.h"
#include "StatementTrace.h"
#include "TdsimServer.h"
#include "u_main.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

class BackgroundTest : public QObject {
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

    // Cancel comes while the script is being built: nothing is asked of the server
    // afterwards but the request under way, and the view holds whole sections only.
    void cancelSendsNoFurtherRequest()
    {
        RecordingUserInterface ui;
        ui.loginAnswer = TdsimServer::saLogin();
        Tf_main window;
        window.db->ServerName = TdsimServer::serverName();
        window.a_connect->trigger();
        QVERIFY(window.db->connected());
        for (ObjectKind kind : {ObjectKind::Tables, ObjectKind::Procedures, ObjectKind::Views})
            markAll(window, folderNode(window, "demo", kind));

        QTemporaryDir dir;
        const QString tracePath = dir.filePath("trace.txt");
        TStatementTrace trace(tracePath);
        const auto statementsSent = [&] {
            QFile file(tracePath);
            file.open(QIODevice::ReadOnly);
            return file.readAll().count(" sent (");
        };
        qsizetype sentAtCancel = -1;
        whenModal([&](QWidget* modal) {
            auto* label = modal->findChild<QLabel*>();
            QVERIFY(label);
            QTRY_VERIFY_WITH_TIMEOUT(label->text().startsWith("Processing"), 20000);
            sentAtCancel = statementsSent();
            modal->findChild<QPushButton*>()->click();
        });
        window.a_view->trigger();
        QVERIFY(sentAtCancel > 0);
        QVERIFY2(statementsSent() <= sentAtCancel + 1,
                 qPrintable(QString("%1 statements at Cancel, %2 at the end")
                                .arg(sentAtCancel)
                                .arg(statementsSent())));
        QVERIFY(ui.messages.empty());
        const QString view = window.m_view->toPlainText();
        QVERIFY(view.contains("USE demo"));
        QVERIFY(!view.contains("v_order_totals"));  // the last view was never reached
        // Whole sections, then the note that the script is incomplete.
        QVERIFY(view.trimmed().endsWith("GO\n/* Cancelled: this script is incomplete. */"));
    }

    // The real login dialog and message box, asked for by the login running beside the
    // window, are shown on the window's thread and answer input there.
    void theLoginDialogAndMessagesOfABackgroundLoginAnswer()
    {
        GuiUserInterface gui;
        UserInterface* previous = UserInterface::install(&gui);
        Tf_main window;
        window.db->ServerName = TdsimServer::serverName();
        QString errorShown;
        whenModal([&](QWidget* modal) {
            auto* login = qobject_cast<TCTPasswordDlg*>(modal);
            QVERIFY(login);
            login->username->setText("sa");
            login->Password->setText("wrong");
            whenModal([&](QWidget* box) {
                auto* message = qobject_cast<QMessageBox*>(box);
                QVERIFY(message);
                errorShown = message->text();
                message->accept();
            });
            login->OKBtn->click();
        });
        window.a_connect->trigger();
        QVERIFY2(errorShown.contains("Login failed"), qPrintable(errorShown));
        QVERIFY(!window.db->connected());

        whenModal([&](QWidget* modal) {
            auto* login = qobject_cast<TCTPasswordDlg*>(modal);
            QVERIFY(login);
            login->username->setText("sa");
            login->Password->clear();
            login->OKBtn->click();
        });
        window.a_connect->trigger();
        QVERIFY(window.db->connected());
        QVERIFY(databaseNames(window).contains("demo"));
        UserInterface::install(previous);
    }

private:
    std::unique_ptr<TdsimServer> m_server;
};

int main(int argc, char* argv[])
{
    TSkelderApplication application(argc, argv);
    BackgroundTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "background_tests.moc"
