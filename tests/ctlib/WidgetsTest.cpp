// The login dialog's layout rules and read-back, and the message window, offscreen.
#include "CTLibLogin.h"
#include "FontScope.h"
#include "ModalDialogs.h"
#include "u_CTLib_Message.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QtTest>
#include <memory>

class WidgetsTest : public QObject {
    Q_OBJECT

private:
    static LoginRequest request()
    {
        LoginRequest r;
        r.serverName = "beta";
        r.userName = "sa";
        r.password = "pw";
        r.rdbms = "Sybase SQL Server";
        r.serverList = {"ZED", "alpha", "beta"};
        return r;
    }

private slots:
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    // With a font small enough for it, the classic layout to the pixel.
    void classicLayoutWhereTheFontFitsIt()
    {
        const FontScope font(7);
        std::unique_ptr<TCTPasswordDlg> dialog(createLoginDialog(request()));
        QCOMPARE(dialog->windowTitle(), QString("Login to beta"));
        QCOMPARE(dialog->size(), QSize(222, 155));
        QCOMPARE(dialog->server->pos(), QPoint(74, 10));
        QCOMPARE(dialog->username->pos(), QPoint(74, 36));
        QCOMPARE(dialog->Password->pos(), QPoint(74, 62));
        QCOMPARE(dialog->rdbms->pos(), QPoint(74, 88));
        QCOMPARE(dialog->Label3->pos(), QPoint(8, 18));
        QCOMPARE(dialog->OKBtn->geometry(), QRect(28, 124, 71, 25));
        QCOMPARE(dialog->CancelBtn->geometry(), QRect(124, 124, 71, 25));
        QCOMPARE(dialog->Bevel1->geometry(), QRect(1, 0, 220, 116));
        QVERIFY(dialog->Label1->font().bold());
        QCOMPARE(dialog->Password->echoMode(), QLineEdit::Password);
        QCOMPARE(dialog->server->count(), 3);
        QCOMPARE(dialog->server->itemText(0), QString("alpha"));
        QCOMPARE(dialog->server->itemText(2), QString("ZED"));
        QCOMPARE(dialog->server->currentText(), QString("beta"));
        QVERIFY(dialog->OKBtn->isDefault());
        dialog->server->setEditText("gamma");
        QCOMPARE(dialog->windowTitle(), QString("Login to gamma"));

        LoginRequest r = request();
        r.serverShow = false;
        std::unique_ptr<TCTPasswordDlg> withoutServer(createLoginDialog(r));
        withoutServer->show();
        QVERIFY(!withoutServer->server->isVisible() && !withoutServer->Label3->isVisible());
        QCOMPARE(withoutServer->username->y(), 10);
        QCOMPARE(withoutServer->Password->y(), 36);
        QCOMPARE(withoutServer->rdbms->y(), 62);
        QCOMPARE(withoutServer->Label2->y(), 18);
        QCOMPARE(withoutServer->Label1->y(), 44);
        QCOMPARE(withoutServer->Label4->y(), 70);
        QCOMPARE(withoutServer->Bevel1->height(), 92);
        // 160 pixels with the 29-pixel frame: the buttons end at the client area's bottom.
        QCOMPARE(withoutServer->OKBtn->y(), 106);
        QCOMPARE(withoutServer->height(), 131);
        QCOMPARE(withoutServer->OKBtn->geometry().bottom() + 1, withoutServer->height());
    }

    // At the usual sizes and beyond, the dialog grows so that nothing is cut: the product
    // names, the labels, the buttons' texts and the caption.
    void nothingIsCutAtCommonFontSizes_data()
    {
        QTest::addColumn<int>("points");
        QTest::addColumn<bool>("serverShown");
        for (int points : {9, 11, 14}) {
            QTest::addRow("%d pt", points) << points << true;
            QTest::addRow("%d pt without server", points) << points << false;
        }
    }

    void nothingIsCutAtCommonFontSizes()
    {
        QFETCH(int, points);
        QFETCH(bool, serverShown);
        const FontScope font(points);
        LoginRequest r = request();
        r.serverShow = serverShown;
        r.serverName = "a_server_with_a_rather_long_name";
        std::unique_ptr<TCTPasswordDlg> dialog(createLoginDialog(r));
        dialog->show();
        const QRect client = dialog->rect();
        QVERIFY(dialog->width() >= dialog->fontMetrics().horizontalAdvance(dialog->windowTitle()));
        for (QComboBox* combo : {dialog->server, dialog->rdbms}) {
            for (int i = 0; i < combo->count(); ++i) {
                QVERIFY2(combo->width() >=
                             combo->fontMetrics().horizontalAdvance(combo->itemText(i)) + 20,
                         qPrintable(combo->itemText(i)));
            }
        }
        const QList<QPair<QLabel*, QWidget*>> rows{{dialog->Label3, dialog->server},
                                                   {dialog->Label2, dialog->username},
                                                   {dialog->Label1, dialog->Password},
                                                   {dialog->Label4, dialog->rdbms}};
        for (const auto& [label, field] : rows) {
            if (!field->isVisible())
                continue;
            QVERIFY(label->width() >= label->sizeHint().width());
            QVERIFY(label->geometry().right() < field->x());
            QVERIFY(field->height() >= field->sizeHint().height());
            QVERIFY(dialog->Bevel1->geometry().contains(field->geometry()));
        }
        QVERIFY(!dialog->Bevel1->geometry().intersects(dialog->OKBtn->geometry()));
        for (QPushButton* button : {dialog->OKBtn, dialog->CancelBtn}) {
            QVERIFY(button->width() >= button->fontMetrics().horizontalAdvance(button->text()));
            QVERIFY(button->height() >= button->fontMetrics().height());
            QVERIFY(client.contains(button->geometry()));
        }
        QVERIFY(!dialog->OKBtn->geometry().intersects(dialog->CancelBtn->geometry()));
    }

    void readOnlyServerAndHiddenRdbmsStillCopyBack()
    {
        LoginRequest r = request();
        r.serverPrompt = false;
        r.rdbmsShow = false;
        r.rdbms = "SQLAnywhere";
        std::unique_ptr<TCTPasswordDlg> dialog(createLoginDialog(r));
        dialog->show();
        QVERIFY(dialog->server->isVisible());
        QVERIFY(!dialog->server->isEnabled());
        QVERIFY(!dialog->rdbms->isVisible());
        QVERIFY(!dialog->Label4->isVisible());
        LoginRequest back;
        readLoginDialog(*dialog, back);
        QCOMPARE(back.serverName, QString("beta"));
        QCOMPARE(back.rdbms, QString("SQLAnywhere"));
    }

    void unknownRdbmsBecomesSybaseAfterOk()
    {
        LoginRequest r = request();
        r.rdbms = "Oracle";
        whenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<TCTPasswordDlg*>(modal);
            QVERIFY(dialog);
            dialog->username->setText("alice");
            QTest::mouseClick(dialog->OKBtn, Qt::LeftButton);
        });
        QCOMPARE(runLoginDialog(r), UserInterface::LoginResult::Ok);
        QCOMPARE(r.rdbms, QString("Sybase SQL Server"));
        QCOMPARE(r.userName, QString("alice"));
    }

    void cancelAndFrameCloseAreCancel()
    {
        LoginRequest r = request();
        whenModal([](QWidget* modal) {
            QTest::mouseClick(static_cast<TCTPasswordDlg*>(modal)->CancelBtn, Qt::LeftButton);
        });
        QCOMPARE(runLoginDialog(r), UserInterface::LoginResult::Cancel);
        whenModal([](QWidget* modal) { modal->close(); });
        QCOMPARE(runLoginDialog(r), UserInterface::LoginResult::Cancel);
        QCOMPARE(r.userName, QString("sa"));  // nothing copied back
    }

    void focusGoesToPasswordWhenUserAndServerAreFilled()
    {
        std::unique_ptr<TCTPasswordDlg> dialog(createLoginDialog(request()));
        dialog->show();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dialog->Password));
    }

    void messageWindowLayoutAndTools()
    {
        Tf_ctlib_message window;
        window.setWindowTitle("CT-Library error");
        window.setText("Server   : S\r\nMessage  : 208");
        window.setPanelColor(messageWindowColor(UserInterface::MessageWindowKind::Error));
        QCOMPARE(window.size(), QSize(393, 252));
        QCOMPARE(window.toolBar->actions().size(), 3);
        QCOMPARE(window.a_copy->toolTip(), QString("Copy"));
        QCOMPARE(window.a_selectAll->toolTip(), QString("Select all"));
        QCOMPARE(window.a_print->toolTip(), QString("Print"));
        QCOMPARE(window.pan_bottom->height(), 36);
        QCOMPARE(window.pan_bottom->palette().color(QPalette::Window), QColor(153, 6, 57));
        QCOMPARE(window.m_message->lineWrapMode(), QTextEdit::NoWrap);
        QVERIFY(window.m_message->isReadOnly());
        window.a_selectAll->trigger();
        window.a_copy->trigger();
        QCOMPARE(QApplication::clipboard()->text(), QString("Server   : S\nMessage  : 208"));
    }

    void messageWindowIsModalAndClosesWithOk()
    {
        whenModal([](QWidget* modal) {
            auto* window = qobject_cast<Tf_ctlib_message*>(modal);
            QVERIFY(window);
            QCOMPARE(window->windowTitle(), QString("CT-Library message"));
            QCOMPARE(window->pan_bottom->palette().color(QPalette::Window),
                     QApplication::palette().color(QPalette::Button));
            QTest::mouseClick(window->btn_ok, Qt::LeftButton);
        });
        showCtlibMessageWindow("CT-Library message", "text",
                               UserInterface::MessageWindowKind::Message);
    }
};

QTEST_MAIN(WidgetsTest)
#include "WidgetsTest.moc"
