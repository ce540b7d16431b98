#include "CTLibLogin.h"

#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <memory>

namespace {
// The classic layout, kept whenever the font in use fits it: a 222 x 155 client area,
// fields 137 pixels wide from x 74 every 26 pixels, labels 8 pixels below their field's
// top, and 71 x 25 buttons. Without the server row the window is 160 pixels high
// including a 29-pixel frame and caption, which leaves 131.
constexpr int kClientWidth = 222;
constexpr int kClientHeight = 155;
constexpr int kClientHeightWithoutServer = 160 - 29;
constexpr int kFieldLeft = 74;
constexpr int kFieldWidth = 137;
constexpr int kRowStep = 26;
constexpr int kLabelDrop = 8;
constexpr int kButtonWidth = 71;
constexpr int kButtonHeight = 25;
// Room the window frame's own buttons take beside the caption.
constexpr int kCaptionButtons = 96;

QLabel* boldLabel(const QString& text, QWidget* parent, const char* name)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->adjustSize();
    return label;
}
}  // namespace

TCTPasswordDlg::TCTPasswordDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CTPasswordDlg"));
    setWindowTitle(QStringLiteral("Login"));

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);

    server = new QComboBox(this);
    server->setObjectName(QStringLiteral("server"));
    server->setEditable(true);
    server->setInsertPolicy(QComboBox::InsertAlphabetically);
    username = new QLineEdit(this);
    username->setObjectName(QStringLiteral("username"));
    Password = new QLineEdit(this);
    Password->setObjectName(QStringLiteral("Password"));
    Password->setEchoMode(QLineEdit::Password);
    Password->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    rdbms = new QComboBox(this);
    rdbms->setObjectName(QStringLiteral("rdbms"));
    rdbms->addItems({QStringLiteral("Sybase SQL Server"), QStringLiteral("SQLAnywhere")});

    Label3 = boldLabel(QStringLiteral("&Server"), this, "Label3");
    Label3->setBuddy(server);
    Label2 = boldLabel(QStringLiteral("&Login"), this, "Label2");
    Label2->setBuddy(username);
    Label1 = boldLabel(QStringLiteral("&Password"), this, "Label1");
    Label1->setBuddy(Password);
    Label4 = boldLabel(QStringLiteral("&Rdbms"), this, "Label4");
    Label4->setBuddy(rdbms);

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));

    setTabOrder(server, username);
    setTabOrder(username, Password);
    setTabOrder(Password, rdbms);
    setTabOrder(rdbms, OKBtn);
    setTabOrder(OKBtn, CancelBtn);

    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(server, &QComboBox::editTextChanged, this, &TCTPasswordDlg::serverTextChanged);
    m_built = true;
    arrange();
}

void TCTPasswordDlg::hideServer()
{
    server->hide();
    Label3->hide();
    m_serverShown = false;
    arrange();
}

// Lays the dialog out in the classic geometry, grown where the font in use or a text
// needs more room, so that no label, field, item or caption is cut.
void TCTPasswordDlg::arrange()
{
    const QList<QWidget*> fields{server, username, Password, rdbms};
    const QList<QLabel*> labels{Label3, Label2, Label1, Label4};
    int fieldHeight = 0;
    for (QWidget* field : fields)
        fieldHeight = std::max(fieldHeight, field->sizeHint().height());
    int labelWidth = 0;
    for (QLabel* label : labels) {
        label->adjustSize();
        labelWidth = std::max(labelWidth, label->width());
    }
    const int step = std::max(kRowStep, fieldHeight + 4);
    const int fieldLeft = std::max(kFieldLeft, 8 + labelWidth + 8);
    const int fieldWidth =
        std::max({kFieldWidth, rdbms->sizeHint().width(), server->sizeHint().width()});

    int top = 10;
    for (int row = 0; row < fields.size(); ++row) {
        if (row == 0 && !m_serverShown)
            continue;
        fields[row]->setGeometry(fieldLeft, top, fieldWidth, fields[row]->sizeHint().height());
        const int drop = step == kRowStep ? kLabelDrop : (fieldHeight - labels[row]->height()) / 2;
        labels[row]->move(8, top + drop);
        top += step;
    }
    const int lastBottom = top - step + fieldHeight;

    const int classicBevel = m_serverShown ? 116 : 92;
    const int classicButtons = m_serverShown ? 124 : 106;
    const int classicHeight = m_serverShown ? kClientHeight : kClientHeightWithoutServer;
    // The style's minimum button width is wider than the classic buttons; their texts
    // need far less.
    int buttonWidth = kButtonWidth;
    for (QPushButton* button : {OKBtn, CancelBtn})
        buttonWidth =
            std::max(buttonWidth, button->fontMetrics().horizontalAdvance(button->text()) + 16);
    const int buttonHeight = std::max(kButtonHeight, OKBtn->sizeHint().height());
    const int captionWidth = fontMetrics().horizontalAdvance(windowTitle()) + kCaptionButtons;
    const int width = std::max(
        {kClientWidth, fieldLeft + fieldWidth + 11, captionWidth, 2 * buttonWidth + 3 * 25});
    const int bevelHeight = std::max(classicBevel, lastBottom + 6);
    const int buttonsTop = std::max(classicButtons, bevelHeight + 8);
    // Below the buttons, the classic margin (none without the server row).
    const int height =
        classicHeight + (buttonsTop - classicButtons) + (buttonHeight - kButtonHeight);

    Bevel1->setGeometry(1, 0, width - 2, bevelHeight);
    // Classic x 28 and 124 in 222 pixels; centred with the same gap in a wider window.
    const int gap = 124 - 28 - kButtonWidth;
    const int buttonsLeft = width == kClientWidth && buttonWidth == kButtonWidth
                                ? 28
                                : (width - 2 * buttonWidth - gap) / 2;
    OKBtn->setGeometry(buttonsLeft, buttonsTop, buttonWidth, buttonHeight);
    CancelBtn->setGeometry(buttonsLeft + buttonWidth + gap, buttonsTop, buttonWidth, buttonHeight);
    setFixedSize(width, height);
}

void TCTPasswordDlg::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (m_built &&
        (event->type() == QEvent::FontChange || event->type() == QEvent::WindowTitleChange))
        arrange();
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
