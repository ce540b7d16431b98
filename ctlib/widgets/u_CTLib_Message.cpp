#include "u_CTLib_Message.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QPalette>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolBar>
#include <QVBoxLayout>
#include <memory>

namespace {
constexpr int kClientWidth = 393;
constexpr int kClientHeight = 252;
constexpr int kPanelHeight = 36;
}  // namespace

Tf_ctlib_message::Tf_ctlib_message(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("f_ctlib_message"));
    resize(kClientWidth, kClientHeight);

    toolBar = new QToolBar(this);
    toolBar->setObjectName(QStringLiteral("toolBar"));
    QStyle* style = this->style();
    a_copy = toolBar->addAction(style->standardIcon(QStyle::SP_FileDialogContentsView),
                                QStringLiteral("Copy"));
    a_copy->setObjectName(QStringLiteral("a_copy"));
    a_copy->setToolTip(QStringLiteral("Copy"));
    a_selectAll = toolBar->addAction(style->standardIcon(QStyle::SP_FileDialogListView),
                                     QStringLiteral("Select all"));
    a_selectAll->setObjectName(QStringLiteral("a_selectAll"));
    a_selectAll->setToolTip(QStringLiteral("Select all"));
    a_print = toolBar->addAction(style->standardIcon(QStyle::SP_DialogSaveButton),
                                 QStringLiteral("Print"));
    a_print->setObjectName(QStringLiteral("a_print"));
    a_print->setToolTip(QStringLiteral("Print"));

    m_message = new QTextEdit(this);
    m_message->setObjectName(QStringLiteral("m_message"));
    m_message->setReadOnly(true);
    m_message->setFont(QFont(QStringLiteral("Courier New"), 9));
    m_message->setLineWrapMode(QTextEdit::NoWrap);
    m_message->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_message->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_message->viewport()->setCursor(Qt::ArrowCursor);
    m_message->setFocusPolicy(Qt::ClickFocus);
    m_message->installEventFilter(this);

    pan_bottom = new QFrame(this);
    pan_bottom->setObjectName(QStringLiteral("pan_bottom"));
    pan_bottom->setFixedHeight(kPanelHeight);
    pan_bottom->setAutoFillBackground(true);
    btn_ok = new QPushButton(QStringLiteral("OK"), pan_bottom);
    btn_ok->setObjectName(QStringLiteral("btn_ok"));
    btn_ok->setDefault(true);
    auto* panelLayout = new QHBoxLayout(pan_bottom);
    panelLayout->addStretch();
    panelLayout->addWidget(btn_ok);
    panelLayout->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolBar);
    layout->addWidget(m_message, 1);
    layout->addWidget(pan_bottom);

    connect(a_copy, &QAction::triggered, m_message, &QTextEdit::copy);
    connect(a_selectAll, &QAction::triggered, m_message, &QTextEdit::selectAll);
    connect(a_print, &QAction::triggered, this, &Tf_ctlib_message::print);
    connect(btn_ok, &QPushButton::clicked, this, &QDialog::accept);
}

void Tf_ctlib_message::setText(const QString& text)
{
    m_message->setPlainText(text);
}

void Tf_ctlib_message::setPanelColor(const QColor& color)
{
    QPalette palette = pan_bottom->palette();
    palette.setColor(QPalette::Window, color);
    pan_bottom->setPalette(palette);
}

// The text cannot be edited from the keyboard: focusing it hands the focus to OK.
bool Tf_ctlib_message::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_message && event->type() == QEvent::FocusIn)
        btn_ok->setFocus();
    return QDialog::eventFilter(watched, event);
}

// The window closes as soon as another window is activated.
void Tf_ctlib_message::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isVisible() && !isActiveWindow() &&
        QApplication::activeWindow() != nullptr && QApplication::activeModalWidget() == this)
        reject();
}

void Tf_ctlib_message::print()
{
    QPrinter printer;
    printer.setDocName(printTitle());
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QTextDocument document;
    document.setPlainText(m_message->toPlainText());
    document.setMetaInformation(QTextDocument::DocumentTitle, printTitle());
    document.print(&printer);
}

QColor messageWindowColor(UserInterface::MessageWindowKind kind)
{
    if (kind == UserInterface::MessageWindowKind::Error)
        return QColor(153, 6, 57);
    return QApplication::palette().color(QPalette::Button);
}

void showCtlibMessageWindow(const QString& caption, const QString& text,
                            UserInterface::MessageWindowKind kind, QWidget* parent)
{
    auto window = std::make_unique<Tf_ctlib_message>(parent);
    window->setWindowTitle(caption);
    window->setText(text);
    window->setPanelColor(messageWindowColor(kind));
    if (QScreen* screen = window->screen())
        window->move(screen->availableGeometry().center() - window->rect().center());
    window->exec();
}
