#include "ProgressDlg.h"

#include "BackgroundCall.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QFileDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <algorithm>

namespace {
// The private message the window posts itself once it is visible.
constexpr QEvent::Type StartOperationEvent = static_cast<QEvent::Type>(QEvent::User + 25);

void centreOnScreen(QWidget* window)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}
}  // namespace

TRAProgressFormForm::TRAProgressFormForm(QWidget* parent)
    : QDialog(parent),
      m_label(new QLabel(this)),
      m_progressBar(new QProgressBar(this)),
      m_cancelButton(new QPushButton(QStringLiteral("Cancel"), this))
{
    setObjectName(QStringLiteral("RAProgressFormForm"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint);
    // The classic geometry, with the label as tall as its font needs: descenders and
    // underscores would be cut off otherwise. What lies below moves down by as much.
    const int labelHeight = std::max(13, m_label->fontMetrics().height());
    const int shift = labelHeight - 13;
    setFixedSize(307, 98 + shift);
    m_label->setGeometry(8, 8, 293, labelHeight);
    m_progressBar->setGeometry(8, 38 + shift, 292, 18);
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
    m_progressBar->setTextVisible(false);
    m_cancelButton->setGeometry(116, 67 + shift, 75, 23);
    centreOnScreen(this);
}

void TRAProgressFormForm::reject()
{
    emit cancelRequested();
}

void TRAProgressFormForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_startPosted) {
        m_startPosted = true;
        QCoreApplication::postEvent(this, new QEvent(StartOperationEvent));
    }
}

void TRAProgressFormForm::customEvent(QEvent* event)
{
    if (event->type() == StartOperationEvent)
        emit shownAndReady();
    else
        QDialog::customEvent(event);
}

TRAProgressForm::TRAProgressForm(QObject* owner) : QObject(owner) {}

void TRAProgressForm::setCaption(const QString& caption)
{
    m_caption = caption;
    if (m_window)
        m_window->setWindowTitle(caption);
}

bool TRAProgressForm::calledFromOtherThread() const
{
    return QThread::currentThread() != thread();
}

void TRAProgressForm::setInfoLabel(const QString& text)
{
    if (calledFromOtherThread()) {
        QMetaObject::invokeMethod(
            this, [this, text] { setInfoLabel(text); }, Qt::QueuedConnection);
        return;
    }
    m_infoLabel = text;
    showWait();
}

bool TRAProgressForm::waitingLong() const
{
    return Wait.waitedFor && Wait.waitedFor() >= kWaitShownAfter;
}

void TRAProgressForm::showWait()
{
    if (m_window)
        m_window->label()->setText(
            waitingLong() ? QStringLiteral("Waiting for the server: ") + m_infoLabel : m_infoLabel);
}

void TRAProgressForm::cancel()
{
    m_cancelled = true;
    // The operation sees Cancel before its next request; one the server does not answer
    // is not waited for.
    if (waitingLong())
        Wait.abandon();
}

void TRAProgressForm::setProgressMin(int value)
{
    m_min = value;
    applyProgress();
}

void TRAProgressForm::setProgressMax(int value)
{
    m_max = value;
    applyProgress();
}

void TRAProgressForm::setProgressStep(int value)
{
    m_step = value;
    applyProgress();
}

void TRAProgressForm::setProgressPosition(int value)
{
    if (calledFromOtherThread()) {
        QMetaObject::invokeMethod(
            this, [this, value] { setProgressPosition(value); }, Qt::QueuedConnection);
        return;
    }
    m_position = value;
    applyProgress();
}

void TRAProgressForm::setProgressRange(int minimum, int maximum)
{
    if (calledFromOtherThread()) {
        QMetaObject::invokeMethod(
            this, [this, minimum, maximum] { setProgressRange(minimum, maximum); },
            Qt::QueuedConnection);
        return;
    }
    m_min = minimum;
    m_max = maximum;
    applyProgress();
}

// All four values go to the bar, minimum first, whenever one of them changes.
void TRAProgressForm::applyProgress()
{
    if (!m_window)
        return;
    QProgressBar* bar = m_window->progressBar();
    bar->setMinimum(m_min);
    bar->setMaximum(m_max);
    bar->setValue(qBound(m_min, m_position, m_max));
}

bool TRAProgressForm::checkCancelled()
{
    // In the background the window's own loop sees the Cancel button.
    if (!calledFromOtherThread())
        QCoreApplication::processEvents();
    return m_cancelled.load();
}

void TRAProgressForm::Execute()
{
    auto* window = new TRAProgressFormForm(QApplication::activeWindow());
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    m_window = window;
    m_cancelled = false;
    if (!OnShow) {
        delete window;
        return;
    }
    m_error = nullptr;
    window->setWindowTitle(m_caption);
    connect(window->cancelButton(), &QPushButton::clicked, window,
            &TRAProgressFormForm::cancelRequested);
    connect(window, &TRAProgressFormForm::cancelRequested, this, &TRAProgressForm::cancel);
    connect(window, &TRAProgressFormForm::shownAndReady, this, &TRAProgressForm::runOperation);
    QTimer waitWatch;
    if (Wait.waitedFor) {
        connect(&waitWatch, &QTimer::timeout, this, &TRAProgressForm::showWait);
        waitWatch.start(100);
    }
    window->exec();
    waitWatch.stop();
    delete window;
    m_window = nullptr;
    if (m_error) {
        std::exception_ptr error = m_error;
        m_error = nullptr;
        std::rethrow_exception(error);
    }
}

// Runs inside the window's modal loop; whatever the operation raises is kept and raised
// again by Execute once the loop has ended, never thrown through the event loop.
void TRAProgressForm::runOperation()
{
    // In the foreground the operation blocks the event loop: the window is painted now or
    // never.
    if (!RunInBackground)
        QCoreApplication::processEvents();
    QObject* window = m_window;
    try {
        if (RunInBackground)
            callInBackground([this, window] { OnShow(window); }, InputMeanwhile::Handled);
        else
            OnShow(window);
    } catch (...) {
        m_error = std::current_exception();
    }
    if (m_window)
        m_window->done(QDialog::Accepted);
}

FolderChoice BrowseForFolder(const QString& title, const QString& root)
{
    FolderChoice choice;
    const QString path = QFileDialog::getExistingDirectory(
        QApplication::activeWindow(), title, root,
        QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (!path.isEmpty()) {
        choice.chosen = true;
        choice.path = path;
    }
    return choice;
}
