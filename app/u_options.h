// The options dialog: generation options, the nine file extensions and the working
// directory.
#pragma once

#include "AppSettings.h"

#include <QDialog>
#include <array>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;

class Tf_options : public QDialog {
    Q_OBJECT

public:
    explicit Tf_options(QWidget* parent = nullptr);

    QTabWidget* PageControl1;
    QWidget* ts_files;
    QWidget* ts_general;
    QWidget* ts_server;
    QLineEdit* e_ext_users;
    QLineEdit* e_ext_groups;
    QLineEdit* e_ext_tables;
    QLineEdit* e_ext_views;
    QLineEdit* e_ext_indexes;
    QLineEdit* e_ext_triggers;
    QLineEdit* e_ext_procs;
    QLineEdit* e_ext_rules;
    QLineEdit* e_ext_data_types;
    QLineEdit* e_ext_logins;
    QLineEdit* e_ext_roles;
    QLineEdit* e_ext_databases;
    QLineEdit* e_ext_devices;
    QLineEdit* e_ext_remote_servers;
    QLineEdit* e_ext_configuration;
    QCheckBox* chk_drop;
    QCheckBox* chk_seperate;
    QCheckBox* chk_trigger;
    QCheckBox* chk_index;
    QCheckBox* chk_privilege;
    QCheckBox* chk_prefix;
    QCheckBox* chk_password_placeholders;
    QLineEdit* e_device_directory;
    QLineEdit* e_workdir;
    QPushButton* Button1;
    QSpinBox* e_login_timeout;
    QSpinBox* e_command_timeout;
    QPushButton* btn_ok;
    QPushButton* btn_cancel;

    // The extension edit of a kind.
    QLineEdit* extensionEdit(ObjectKind kind) const;

    void setOptions(const TScriptOptions& options);
    // The controls' values, texts exactly as typed.
    TScriptOptions options() const;
    void setWorkDir(const QString& workDir);
    QString workDir() const;
    // In seconds: the longest wait for a login, and for the whole answer to a request.
    void setTimeouts(int login, int command);
    int loginTimeout() const;
    int commandTimeout() const;

    // OK: a working directory that does not exist is refused, with a message.
    void accept() override;

    void Button1Click();

protected:
    void changeEvent(QEvent* event) override;

private:
    QWidget* createFilesTab();
    QWidget* createGeneralTab();
    QWidget* createServerTab();
    void fitToContents();

    std::array<QLineEdit*, EveryKindCount> m_extensionEdits{};
};
