#include "ServerWaitDialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

TServerWaitDialog::TServerWaitDialog(const QString& waitingFor, QWidget* parent)
    : QDialog(parent),
      m_label(new QLabel(QStringLiteral("Waiting for the server: ") + waitingFor, this)),
      m_cancelButton(new QPushButton(QStringLiteral("Cancel"), this))
{
    setObjectName(QStringLiteral("ServerWaitDialog"));
    setWindowTitle(QStringLiteral("Waiting for the server"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint);
    setModal(true);
    auto* busy = new QProgressBar(this);
    busy->setRange(0, 0);  // no end known: the bar only moves
    busy->setTextVisible(false);
    m_cancelButton->setToolTip(
        QStringLiteral("Stop waiting: the connection is closed, and can be made again with "
                       "Reconnect"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(busy);
    layout->addWidget(m_cancelButton, 0, Qt::AlignHCenter);
    connect(m_cancelButton, &QPushButton::clicked, this, &TServerWaitDialog::cancelRequested);
}

void TServerWaitDialog::reject()
{
    emit cancelRequested();
}
