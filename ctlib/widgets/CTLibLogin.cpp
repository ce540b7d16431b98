#include "CTLibLogin.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <memory>

namespace {
constexpr int kClientWidth = 222;
constexpr int kClientHeight = 155;
// Without the server row the window is 160 pixels high including a 29-pixel frame and
// caption, which leaves this client area.
constexpr int kClientHeightWithoutServer = 160 - 29;
constexpr int kFieldLeft = 74;
constexpr int kFieldWidth = 137;

QLabel* boldLabel(const QString& text, QWidget* parent, int left, int top, const char* name)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->move(left, top);
    label->adjustSize();
    return label;
}

void place(QWidget* widget, int left, int top, int width)
{
    widget->setGeometry(left, top, width, widget->sizeHint().height());
}
}  // namespace

TCTPasswordDlg::TCTPasswordDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CTPasswordDlg"));
    setWindowTitle(QStringLiteral("Login"));
    setFixedSize(kClientWidth, kClientHeight);

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel1->setGeometry(1, 0, 220, 116);

    server = new QComboBox(this);
    server->setObjectName(QStringLiteral("server"));
    server->setEditable(true);
    server->setInsertPolicy(QComboBox::InsertAlphabetically);
    place(server, kFieldLeft, 10, kFieldWidth);
    username = new QLineEdit(this);
    username->setObjectName(QStringLiteral("username"));
    place(username, kFieldLeft, 36, kFieldWidth);
    Password = new QLineEdit(this);
    Password->setObjectName(QStringLiteral("Password"));
    Password->setEchoMode(QLineEdit::Password);
    Password->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    place(Password, kFieldLeft, 62, kFieldWidth);
    rdbms = new QComboBox(this);
    rdbms->setObjectName(QStringLiteral("rdbms"));
    rdbms->addItems({QStringLiteral("Sybase SQL Server"), QStringLiteral("SQLAnywhere")});
    place(rdbms, kFieldLeft, 88, kFieldWidth);

    Label3 = boldLabel(QStringLiteral("&Server"), this, 8, 18, "Label3");
    Label3->setBuddy(server);
    Label2 = boldLabel(QStringLiteral("&Login"), this, 8, 44, "Label2");
    Label2->setBuddy(username);
    Label1 = boldLabel(QStringLiteral("&Password"), this, 8, 70, "Label1");
    Label1->setBuddy(Password);
    Label4 = boldLabel(QStringLiteral("&Rdbms"), this, 8, 96, "Label4");
    Label4->setBuddy(rdbms);

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setGeometry(28, 124, 71, 25);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setGeometry(124, 124, 71, 25);

    setTabOrder(server, username);
    setTabOrder(username, Password);
    setTabOrder(Password, rdbms);
    setTabOrder(rdbms, OKBtn);
    setTabOrder(OKBtn, CancelBtn);

    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(server, &QComboBox::editTextChanged, this, &TCTPasswordDlg::serverTextChanged);
}

void TCTPasswordDlg::hideServer()
{
    server->hide();
    Label3->hide();
    username->move(username->x(), 10);
    Password->move(Password->x(), 36);
    rdbms->move(rdbms->x(), 62);
    Label4->move(Label4->x(), 70);
    Label2->move(Label2->x(), 18);
    Label1->move(Label1->x(), 44);
    Bevel1->resize(Bevel1->width(), 92);
    setFixedSize(kClientWidth, kClientHeightWithoutServer);
    OKBtn->move(OKBtn->x(), 106);
    CancelBtn->move(CancelBtn->x(), 106);
}

void TCTPasswordDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    if (!username->text().isEmpty() && !server->currentText().isEmpty())
        Password->setFocus();
}

void TCTPasswordDlg::serverTextChanged(const QString& text)
{
    if (!text.isEmpty())
        setWindowTitle(QStringLiteral("Login to ") + text);
}

TCTPasswordDlg* createLoginDialog(const LoginRequest& request, QWidget* parent)
{
    auto* dialog = new TCTPasswordDlg(parent);
    if (!request.serverName.isEmpty())
        dialog->setWindowTitle(QStringLiteral("Login to ") + request.serverName);
    dialog->server->setEnabled(request.serverPrompt);
    dialog->rdbms->setVisible(request.rdbmsShow);
    dialog->Label4->setVisible(request.rdbmsShow);
    dialog->rdbms->setEnabled(request.rdbmsPrompt);
    if (!request.serverShow)
        dialog->hideServer();
    dialog->username->setText(request.userName);
    dialog->Password->setText(request.password);
    QStringList servers = request.serverList;
    servers.sort(Qt::CaseInsensitive);
    dialog->server->addItems(servers);
    dialog->server->setEditText(request.serverName);
    dialog->rdbms->setCurrentIndex(request.rdbms == QLatin1String("SQLAnywhere") ? 1 : 0);
    return dialog;
}

void readLoginDialog(const TCTPasswordDlg& dialog, LoginRequest& request)
{
    request.userName = dialog.username->text();
    request.password = dialog.Password->text();
    request.serverName = dialog.server->currentText();
    request.rdbms = dialog.rdbms->currentText();
}

UserInterface::LoginResult runLoginDialog(LoginRequest& request, QWidget* parent)
{
    std::unique_ptr<TCTPasswordDlg> dialog(createLoginDialog(request, parent));
    if (dialog->exec() != QDialog::Accepted)
        return UserInterface::LoginResult::Cancel;
    readLoginDialog(*dialog, request);
    return UserInterface::LoginResult::Ok;
}
