// The small modal window shown while a request waits on a server longer than a moment:
// what it waits for, a busy bar, and Cancel.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

class TServerWaitDialog : public QDialog {
    Q_OBJECT
public:
    TServerWaitDialog(const QString& waitingFor, QWidget* parent = nullptr);

    QLabel* label() const { return m_label; }
    QPushButton* cancelButton() const { return m_cancelButton; }

    // Escape and the close button ask to stop the wait, like Cancel; the window stays
    // until the request has ended.
    void reject() override;

signals:
    void cancelRequested();

private:
    QLabel* m_label;
    QPushButton* m_cancelButton;
};
