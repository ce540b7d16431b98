// The main window logged in to tdsim's SQL Anywhere persona (testdata/sqlanywhere.sql):
// the login with Rdbms "SQLAnywhere", a tree of the current database only, every folder,
// View and Generate.
#include "CTLibDatabase.h"
#include "ErrorDisplay.h"
#include "ExplorerTree.h"
#include "ModalDialogs.h"
#include "RecordingUserInterface.h"
#include "TdsimServer.h"
#include "u_main.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

const QString kDatabase = QStringLiteral("sademo");
const QString kGoldenDir = QStringLiteral(SKELDER_SOURCE_DIR "/tests/golden/data/sqlanywhere");

QString goldenSection(const QString& file)
{
    QFile golden(kGoldenDir + "/" + file);
    golden.open(QIODevice::ReadOnly);
    // The separate file's USE batch is written once per database in a whole script.
    return QString::fromUtf8(golden.readAll()).section("GO\n", 1);
}

}  // namespace

class SqlAnywhereExplorerTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        m_server = std::make_unique<TdsimServer>(
            QStringList{QStringLiteral(SKELDER_SOURCE_DIR "/testdata/sqlanywhere.sql")},
            QStringList{"--product", "sqlanywhere"});
        // Named after the database, which FreeTDS sends in the login record's server field.
        m_server->writeIniFile(
            QStringLiteral("[sademo]\n    host = 127.0.0.1\n    port = %1\n    tds version = 5.0\n")
                .arg(m_server->port()));
    }

    void cleanupTestCase() { m_server.reset(); }

    void init()
    {
        m_ui = std::make_unique<RecordingUserInterface>();
        m_window = std::make_unique<Tf_main>();
        m_window->db->ServerName = kDatabase;
        LoginRequest login;
        login.serverName = kDatabase;
        login.userName = QStringLiteral("DBA");
        login.password = QStringLiteral("sql");
        login.rdbms = QStringLiteral("SQLAnywhere");
        m_ui->loginAnswer = login;
        m_window->a_connect->trigger();
    }

    void cleanup()
    {
        m_window.reset();
        m_ui.reset();
    }

    void theTreeHoldsOnlyTheCurrentDatabaseAndEveryFolderLists()
    {
        QVERIFY2(m_ui->messages.empty(),
                 qPrintable(m_ui->messages.empty() ? QString() : m_ui->messages.front().text));
        QCOMPARE(m_window->windowTitle(), QString("Skelder - Connected to sademo"));
        QCOMPARE(m_window->db->Rdbms, QString("SQLAnywhere"));
        QCOMPARE(databaseNames(*m_window), QStringList{kDatabase});
        const QList<QStringList> expected = {
            {"DBA", "dbo", "joe"},
            {"SYS", "public", "staff"},
            {"DBA.customer", "DBA.sales_order"},
            {"DBA.big_order"},
            {"customer.customer_name", "sales_order.sales_order_no",
             "sales_order.sales_order_customer"},
            {"DBA.sales_order_check"},
            {"DBA.customer_total", "DBA.ping"},
            {},
            {"country_code", "phone_number", "price"}};
        for (int kind = 0; kind < expected.size(); ++kind)
            QCOMPARE(childCaptions(openFolder(static_cast<ObjectKind>(kind))), expected[kind]);
    }

    void viewWritesTheGoldenSections()
    {
        markAll(openFolder(ObjectKind::Tables));
        markAll(openFolder(ObjectKind::Indexes));
        markAll(openFolder(ObjectKind::Procedures));
        m_window->a_view->trigger();
        QVERIFY(m_ui->messages.empty());
        const QString text = m_window->m_view->toPlainText();
        QVERIFY(text.contains("  Script for Server sademo (12.0.1.3152)"));
        QVERIFY(text.contains("\nUSE sademo\nGO\n"));
        for (const QString& file : {"customer.tbl", "sales_order.tbl", "sales_order_no.idx",
                                    "sales_order_customer.idx", "customer_total.prc", "ping.prc"})
            QVERIFY2(text.contains(goldenSection(file)), qPrintable(file));
    }

    void generateWritesTheViewToOneFile()
    {
        QTemporaryDir dir;
        markAll(openFolder(ObjectKind::Views));
        markAll(openFolder(ObjectKind::Triggers));
        m_window->SaveDialog->setOption(QFileDialog::DontUseNativeDialog);
        whenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            QVERIFY(dialog);
            dialog->setDirectory(dir.path());
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText("sa");
            dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Save)->click();
        });
        m_window->a_generate->trigger();
        QVERIFY(m_ui->messages.empty());
        QFile file(dir.filePath("sa.sql"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll()).replace("\r\n", "\n");
        for (const QString& golden : {"big_order.vew", "sales_order_check.trg"})
            QVERIFY2(text.contains(goldenSection(golden)), qPrintable(golden));
    }

private:
    QModelIndex openFolder(ObjectKind kind)
    {
        const QModelIndex folder = folderNode(*m_window, kDatabase, kind);
        return folder;
    }

    void markAll(const QModelIndex& folder) { ::markAll(*m_window, folder); }

    std::unique_ptr<TdsimServer> m_server;
    std::unique_ptr<RecordingUserInterface> m_ui;
    std::unique_ptr<Tf_main> m_window;
};

int main(int argc, char* argv[])
{
    TSkelderApplication application(argc, argv);
    SqlAnywhereExplorerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "sqlanywhere_explorer_tests.moc"
