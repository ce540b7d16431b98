#include "ModalDialogs.h"
#include "ProgressDlg.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QThread>
#include <QtTest>
#include <algorithm>
#include <atomic>
#include <stdexcept>

namespace {
class OperationError : public std::runtime_error {
public:
    explicit OperationError(int id) : std::runtime_error("operation failed"), id(id) {}
    int id;
};

bool progressWindowLeft()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<TRAProgressFormForm*>(widget))
            return true;
    }
    return false;
}
}  // namespace

class ProgressTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QVERIFY(!progressWindowLeft()); }

    void theLabelShowsItsWholeLineAtAnyFontSize()
    {
        const QFont original = QApplication::font();
        for (const int points : {9, 16}) {
            QFont font = original;
            font.setPointSize(points);
            QApplication::setFont(font);
            TRAProgressFormForm window;
            const QFontMetrics metrics(window.label()->font());
            // Descenders and underscores stay inside the label, above the progress bar.
            QVERIFY2(window.label()->height() >= metrics.height(),
                     qPrintable(QString::number(points)));
            QVERIFY(window.label()->geometry().bottom() <
                    window.findChild<QProgressBar*>()->geometry().top());
        }
        QApplication::setFont(original);
    }

    void theWindowBelowTakesNoCommandWhileTheOperationRuns()
    {
        QWidget below;
        QAction command(&below);
        command.setShortcut(QKeySequence(Qt::ALT | Qt::Key_D));
        below.addAction(&command);
        below.show();
        QApplication::setActiveWindow(&below);
        QVERIFY(QTest::qWaitForWindowActive(&below));
        QSignalSpy triggered(&command, &QAction::triggered);
        QTest::keyClick(&below, Qt::Key_D, Qt::AltModifier);
        QCOMPARE(triggered.size(), 1);  // the key works while nothing runs
        TRAProgressForm progress;
        progress.OnShow = [&](QObject*) {
            QTest::keyClick(&below, Qt::Key_D, Qt::AltModifier);
            QApplication::processEvents();
        };
        progress.Execute();
        QCOMPARE(triggered.size(), 1);
    }

    void withoutOperationNothingIsShown()
    {
        TRAProgressForm progress;
        progress.Execute();
        QVERIFY(!progress.window());
    }

    void operationRunsInTheVisibleWindow()
    {
        TRAProgressForm progress;
        progress.setCaption("Please wait...");
        progress.setInfoLabel("Long operation in progress");
        bool ran = false;
        progress.OnShow = [&](QObject* sender) {
            ran = true;
            auto* window = qobject_cast<TRAProgressFormForm*>(sender);
            QVERIFY(window);
            QVERIFY(window->isVisible());
            QCOMPARE(window->windowTitle(), QString("Please wait..."));
            // 307 × 98, taller only by what the label's font needs beyond 13 pixels.
            QCOMPARE(window->size(),
                     QSize(307, 98 + std::max(0, window->label()->fontMetrics().height() - 13)));
            QCOMPARE(window->cancelButton()->text(), QString("Cancel"));
            // The label waits for the operation to write it.
            QVERIFY(window->label()->text().isEmpty());
            progress.setInfoLabel("Object 1 of 3");
            QCOMPARE(window->label()->text(), QString("Object 1 of 3"));
            progress.setProgressRange(0, 3);
            progress.setProgressPosition(2);
            QCOMPARE(window->progressBar()->value(), 2);
            QCOMPARE(window->progressBar()->maximum(), 3);
        };
        progress.Execute();
        QVERIFY(ran);
        QVERIFY(!progress.window());
    }

    void theOperationsExceptionReachesTheCaller()
    {
        TRAProgressForm progress;
        progress.OnShow = [](QObject*) { throw OperationError(42); };
        try {
            progress.Execute();
            QFAIL("no exception");
        } catch (const OperationError& error) {
            QCOMPARE(error.id, 42);
        }
        // The next run starts without the old error.
        progress.OnShow = [](QObject*) {};
        progress.Execute();
    }

    void cancelIsSeenAtTheNextCheck()
    {
        TRAProgressForm progress;
        int checks = 0;
        progress.OnShow = [&](QObject* sender) {
            auto* window = static_cast<TRAProgressFormForm*>(sender);
            QVERIFY(!progress.checkCancelled());
            QTest::mouseClick(window->cancelButton(), Qt::LeftButton);
            QTest::mouseClick(window->cancelButton(), Qt::LeftButton);
            while (!progress.checkCancelled() && checks < 1000)
                ++checks;
        };
        progress.Execute();
        QCOMPARE(checks, 0);
        QVERIFY(progress.Cancelled());

        // Cleared at the start of the next run.
        progress.OnShow = [&](QObject*) { QVERIFY(!progress.Cancelled()); };
        progress.Execute();
    }

    // In the background the operation runs on a thread of its own: what it reports reaches
    // the window through the window's loop, Cancel reaches it without its handling any
    // input, and what it raises comes back from Execute.
    void aBackgroundOperationRunsBesideTheWindow()
    {
        TRAProgressForm progress;
        progress.RunInBackground = true;
        std::atomic<bool> onOtherThread{false};
        std::atomic<bool> sawCancel{false};
        progress.OnShow = [&](QObject*) {
            onOtherThread = QThread::currentThread() != qApp->thread();
            progress.setInfoLabel(QStringLiteral("working"));
            progress.setProgressRange(0, 10);
            progress.setProgressPosition(4);
            while (!progress.cancelRequested())
                QThread::yieldCurrentThread();
            sawCancel = progress.checkCancelled();
            throw OperationError(7);
        };
        whenModal([&](QWidget* modal) {
            auto* window = qobject_cast<TRAProgressFormForm*>(modal);
            QVERIFY(window);
            QTRY_COMPARE(window->label()->text(), QString("working"));
            QTRY_COMPARE(window->progressBar()->value(), 4);
            QCOMPARE(window->progressBar()->maximum(), 10);
            QTest::mouseClick(window->cancelButton(), Qt::LeftButton);
        });
        try {
            progress.Execute();
            QFAIL("no exception");
        } catch (const OperationError& error) {
            QCOMPARE(error.id, 7);
        }
        QVERIFY(onOtherThread);
        QVERIFY(sawCancel);
        QVERIFY(!progressWindowLeft());
    }

    // Escape and the close button mean Cancel: the window stays up until the operation
    // has seen the request and ended.
    void escapeAndCloseAskToCancelAndKeepTheWindow()
    {
        TRAProgressForm progress;
        QList<bool> visibleAfter;
        progress.OnShow = [&](QObject* sender) {
            auto* window = static_cast<TRAProgressFormForm*>(sender);
            QTest::keyClick(window, Qt::Key_Escape);
            visibleAfter << window->isVisible();
            QVERIFY(progress.checkCancelled());
        };
        progress.Execute();
        QVERIFY(progress.Cancelled());

        progress.OnShow = [&](QObject* sender) {
            auto* window = static_cast<TRAProgressFormForm*>(sender);
            window->close();
            visibleAfter << window->isVisible();
            QVERIFY(progress.checkCancelled());
        };
        progress.Execute();
        QCOMPARE(visibleAfter, (QList<bool>{true, true}));
    }
};

QTEST_MAIN(ProgressTest)
#include "progress_tests.moc"
