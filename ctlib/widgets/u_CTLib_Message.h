// The message window Tf_ctlib_message that shows server and library messages with a
// copy, select-all and print tool bar.
#pragma once

#include "UserInterface.h"

#include <QColor>
#include <QDialog>

class QAction;
class QFrame;
class QPushButton;
class QTextEdit;
class QToolBar;

class Tf_ctlib_message : public QDialog {
    Q_OBJECT

public:
    explicit Tf_ctlib_message(QWidget* parent = nullptr);

    void setText(const QString& text);
    void setPanelColor(const QColor& color);

    QToolBar* toolBar;
    QAction* a_copy;
    QAction* a_selectAll;
    QAction* a_print;
    QTextEdit* m_message;
    QFrame* pan_bottom;
    QPushButton* btn_ok;

    // The title the printed document carries.
    static QString printTitle() { return QStringLiteral("Tarnwick - CT-Library message"); }

protected:
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void print();
};

// The panel colour of each kind: the system button face for messages, red for errors.
QColor messageWindowColor(UserInterface::MessageWindowKind kind);
// Creates the window, sets caption, text and colour, shows it modally and destroys it.
void showCtlibMessageWindow(const QString& caption, const QString& text,
                            UserInterface::MessageWindowKind kind, QWidget* parent = nullptr);
