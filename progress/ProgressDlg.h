// TRAProgressForm runs a long operation inside a small modal window with a text line,
// a progress bar and a Cancel button; BrowseForFolder picks a directory.
#pragma once

#include "BackgroundCall.h"
#include "ProgressReporter.h"

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <atomic>
#include <exception>
#include <functional>

class QLabel;

class QProgressBar;
class QPushButton;

// The window shown while the operation runs: 307 x 98 client pixels, centred.
class TRAProgressFormForm : public QDialog {
    Q_OBJECT
public:
    explicit TRAProgressFormForm(QWidget* parent = nullptr);

    QLabel* label() const { return m_label; }
    QProgressBar* progressBar() const { return m_progressBar; }
    QPushButton* cancelButton() const { return m_cancelButton; }

    // Escape and the close button end up here: they ask the operation to stop, like
    // Cancel, and the window stays until the operation has ended.
    void reject() override;

signals:
    void cancelRequested();
    // Emitted once, after the window has become visible.
    void shownAndReady();

protected:
    void showEvent(QShowEvent* event) override;
    void customEvent(QEvent* event) override;

private:
    QLabel* m_label;
    QProgressBar* m_progressBar;
    QPushButton* m_cancelButton;
    bool m_startPosted = false;
};

class TRAProgressForm : public QObject, public ProgressReporter {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(QString InfoLabel READ InfoLabel WRITE setInfoLabel)
    Q_PROPERTY(int ProgressMin READ ProgressMin WRITE setProgressMin)
    Q_PROPERTY(int ProgressMax READ ProgressMax WRITE setProgressMax)
    Q_PROPERTY(int ProgressStep READ ProgressStep WRITE setProgressStep)
    Q_PROPERTY(int ProgressPosition READ ProgressPosition WRITE setProgressPosition)

public:
    using TNotifyEvent = std::function<void(QObject* sender)>;

    explicit TRAProgressForm(QObject* owner = nullptr);

    // The operation to run while the window is shown; it receives the window.
    TNotifyEvent OnShow;
    // Runs OnShow on a thread of its own, so that the window and the one below it repaint
    // and answer while it waits on the server: the label and the progress reach the
    // window through its event loop, checkCancelled() sees Cancel at once, and the window
    // closes when the operation has ended. OnShow must then leave widgets alone.
    bool RunInBackground = false;
    // The server the operation waits on, if any: while a request has waited longer than a
    // moment the window says so, and Cancel then ends the wait at once instead of waiting
    // for the request to end.
    ServerWait Wait;

    QString Caption() const { return m_caption; }
    void setCaption(const QString& caption);
    QString InfoLabel() const { return m_infoLabel; }
    void setInfoLabel(const QString& text) override;
    int ProgressMin() const { return m_min; }
    void setProgressMin(int value);
    int ProgressMax() const { return m_max; }
    void setProgressMax(int value);
    int ProgressStep() const { return m_step; }
    void setProgressStep(int value);
    int ProgressPosition() const { return m_position; }
    void setProgressPosition(int value) override;
    void setProgressRange(int minimum, int maximum) override;

    // Set by the Cancel button; cleared at the start of each Execute.
    bool Cancelled() const { return m_cancelled.load(); }
    bool checkCancelled() override;
    bool cancelRequested() const override { return m_cancelled.load(); }

    // Shows the window modally and runs OnShow once it is visible. An exception raised
    // by the operation closes the window and is raised again here.
    void Execute();

    // The window while Execute runs, otherwise null.
    TRAProgressFormForm* window() const { return m_window; }

private:
    void applyProgress();
    void runOperation();
    bool waitingLong() const;
    void showWait();
    void cancel();

    QString m_caption;
    QString m_infoLabel;
    int m_min = 0;
    int m_max = 100;
    int m_step = 1;
    int m_position = 0;
    std::atomic<bool> m_cancelled{false};
    QPointer<TRAProgressFormForm> m_window;
    std::exception_ptr m_error;
    // Whether the caller runs on another thread than this object's (an operation running
    // in the background); its calls are then handed to the window's thread.
    bool calledFromOtherThread() const;
};

struct FolderChoice {
    bool chosen = false;
    QString path;
};

// Asks for a file-system folder; not chosen and an empty path when cancelled.
FolderChoice BrowseForFolder(const QString& title, const QString& root = QString());
