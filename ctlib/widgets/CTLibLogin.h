// The login dialog TCTPasswordDlg and the prompt the GUI's user interface runs with it.
#pragma once

#include "UserInterface.h"

#include <QDialog>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

class TCTPasswordDlg : public QDialog {
    Q_OBJECT

public:
    explicit TCTPasswordDlg(QWidget* parent = nullptr);

    // Hides the server field and its label and closes the gap they leave.
    void hideServer();

    QComboBox* server;
    QLineEdit* username;
    QLineEdit* Password;
    QComboBox* rdbms;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QFrame* Bevel1;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void serverTextChanged(const QString& text);
    void arrange();

    bool m_serverShown = true;
    bool m_built = false;  // the widgets exist: a caption or font change re-arranges them
};

// Prepares the dialog from `request`, shows it modally and, on OK, copies the choices
// back into `request`. Closing by the window frame counts as Cancel.
UserInterface::LoginResult runLoginDialog(LoginRequest& request, QWidget* parent = nullptr);
// The dialog prepared from `request` (for tests and for callers that show it themselves).
TCTPasswordDlg* createLoginDialog(const LoginRequest& request, QWidget* parent = nullptr);
// Copies the dialog's fields into `request`.
void readLoginDialog(const TCTPasswordDlg& dialog, LoginRequest& request);
