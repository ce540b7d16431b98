#include "u_options.h"

#include "ErrorDisplay.h"
#include "ProgressDlg.h"
#include "UserInterface.h"

#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <array>
#include <utility>

namespace {
QCheckBox* addCheckBox(QVBoxLayout* layout, const char* name, const char* caption)
{
    auto* box = new QCheckBox(QString::fromLatin1(caption));
    box->setObjectName(QString::fromLatin1(name));
    layout->addWidget(box);
    return box;
}
}  // namespace

Tf_options::Tf_options(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("f_options"));
    setWindowTitle(QStringLiteral("Options"));

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    ts_files = createFilesTab();
    ts_general = createGeneralTab();
    PageControl1->addTab(ts_files, QStringLiteral("Files"));
    PageControl1->addTab(ts_general, QStringLiteral("General"));
    ts_server = createServerTab();
    PageControl1->addTab(ts_server, QStringLiteral("Server"));

    btn_ok = new QPushButton(QStringLiteral("O&k"), this);
    btn_ok->setObjectName(QStringLiteral("btn_ok"));
    btn_ok->setDefault(true);
    btn_cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    btn_cancel->setObjectName(QStringLiteral("btn_cancel"));
    connect(btn_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(btn_cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btn_ok);
    buttons->addWidget(btn_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    layout->addLayout(buttons);
    fitToContents();

    // Centred on the screen rather than on the owner.
    if (QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

// 320 x 363, or as much more as the font in use needs for every label and box.
void Tf_options::fitToContents()
{
    layout()->activate();
    const QSize needed = layout()->totalSizeHint();
    setFixedSize(std::max(320, needed.width()), std::max(363, needed.height()));
}

void Tf_options::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::FontChange && layout())
        fitToContents();
}

QWidget* Tf_options::createFilesTab()
{
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("ts_files"));
    auto* form = new QFormLayout(tab);
    struct EditSpec {
        QLineEdit** edit;
        const char* name;
        const char* label;
    };
    const EditSpec specs[ObjectKindCount] = {
        {&e_ext_users, "e_ext_users", "Users"},
        {&e_ext_groups, "e_ext_groups", "Groups"},
        {&e_ext_tables, "e_ext_tables", "User tables"},
        {&e_ext_views, "e_ext_views", "Views"},
        {&e_ext_indexes, "e_ext_indexes", "Indexes"},
        {&e_ext_triggers, "e_ext_triggers", "Triggers"},
        {&e_ext_procs, "e_ext_procs", "Stored procedures"},
        {&e_ext_rules, "e_ext_rules", "Rules"},
        {&e_ext_data_types, "e_ext_data_types", "User Data types"},
    };
    for (int i = 0; i < ObjectKindCount; ++i) {
        auto* edit = new QLineEdit(tab);
        edit->setObjectName(QString::fromLatin1(specs[i].name));
        form->addRow(QString::fromLatin1(specs[i].label), edit);
        *specs[i].edit = edit;
        m_extensionEdits[i] = edit;
    }
    return tab;
}

// The server's own objects: the extensions of their files, and how logins and devices are
// written.
QWidget* Tf_options::createServerTab()
{
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("ts_server"));
    auto* form = new QFormLayout(tab);
    const std::array<std::pair<QLineEdit**, const char*>, ServerKindCount> edits = {{
        {&e_ext_logins, "e_ext_logins"},
        {&e_ext_roles, "e_ext_roles"},
        {&e_ext_databases, "e_ext_databases"},
        {&e_ext_devices, "e_ext_devices"},
        {&e_ext_remote_servers, "e_ext_remote_servers"},
        {&e_ext_configuration, "e_ext_configuration"},
    }};
    for (int i = 0; i < ServerKindCount; ++i) {
        auto* edit = new QLineEdit(tab);
        edit->setObjectName(QString::fromLatin1(edits[i].second));
        form->addRow(objectKindCaption(AllServerKinds[i]), edit);
        *edits[i].first = edit;
        m_extensionEdits[static_cast<int>(AllServerKinds[i])] = edit;
    }
    chk_password_placeholders = new QCheckBox(QStringLiteral("Login password placeholders"), tab);
    chk_password_placeholders->setObjectName(QStringLiteral("chk_password_placeholders"));
    chk_password_placeholders->setToolTip(
        QStringLiteral("Placeholders that stop the script until replaced, instead of the "
                       "stored password hashes"));
    form->addRow(chk_password_placeholders);
    e_device_directory = new QLineEdit(tab);
    e_device_directory->setObjectName(QStringLiteral("e_device_directory"));
    e_device_directory->setToolTip(
        QStringLiteral("Where device files go on the new machine; empty keeps their old paths"));
    form->addRow(QStringLiteral("Device directory"), e_device_directory);
    return tab;
}

QWidget* Tf_options::createGeneralTab()
{
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("ts_general"));
    auto* layout = new QVBoxLayout(tab);
    chk_drop = addCheckBox(layout, "chk_drop", "Add DROP");
    chk_seperate = addCheckBox(layout, "chk_seperate", "Seperate files");
    chk_trigger = addCheckBox(layout, "chk_trigger", "Trigger script");
    chk_index = addCheckBox(layout, "chk_index", "Index script");
    chk_privilege = addCheckBox(layout, "chk_privilege", "Privilege script");
    chk_prefix = addCheckBox(layout, "chk_prefix", "Prefix with Db name");

    layout->addSpacing(8);
    layout->addWidget(new QLabel(QStringLiteral("Working directory"), tab));
    e_workdir = new QLineEdit(tab);
    e_workdir->setObjectName(QStringLiteral("e_workdir"));
    Button1 = new QPushButton(QStringLiteral("?"), tab);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setFixedWidth(24);
    connect(Button1, &QPushButton::clicked, this,
            [this] { runCommand([this] { Button1Click(); }); });
    auto* row = new QHBoxLayout;
    row->addWidget(e_workdir);
    row->addWidget(Button1);
    layout->addLayout(row);

    // A server that stops answering is given up after these; Cancel ends any wait sooner.
    auto* timeouts = new QFormLayout;
    timeouts->setVerticalSpacing(2);
    const auto addSeconds = [&](const char* name, const char* caption, int maximum) {
        auto* box = new QSpinBox(tab);
        box->setObjectName(QString::fromLatin1(name));
        box->setRange(1, maximum);
        box->setSuffix(QStringLiteral(" s"));
        timeouts->addRow(QString::fromLatin1(caption), box);
        return box;
    };
    e_login_timeout = addSeconds("e_login_timeout", "&Login timeout", 3600);
    e_command_timeout = addSeconds("e_command_timeout", "Co&mmand timeout", 86400);
    layout->addLayout(timeouts);
    layout->addStretch();
    return tab;
}

QLineEdit* Tf_options::extensionEdit(ObjectKind kind) const
{
    return m_extensionEdits[static_cast<int>(kind)];
}

void Tf_options::setOptions(const TScriptOptions& options)
{
    chk_drop->setChecked(options.AddDrop);
    chk_seperate->setChecked(options.SeparateFiles);
    chk_trigger->setChecked(options.TriggerScript);
    chk_index->setChecked(options.IndexScript);
    chk_privilege->setChecked(options.PrivilegeScript);
    chk_prefix->setChecked(options.PrefixWithDb);
    chk_password_placeholders->setChecked(options.PasswordPlaceholders);
    e_device_directory->setText(options.DeviceDirectory);
    for (ObjectKind kind : EveryKind)
        extensionEdit(kind)->setText(options.extension(kind));
}

TScriptOptions Tf_options::options() const
{
    TScriptOptions options;
    options.AddDrop = chk_drop->isChecked();
    options.SeparateFiles = chk_seperate->isChecked();
    options.TriggerScript = chk_trigger->isChecked();
    options.IndexScript = chk_index->isChecked();
    options.PrivilegeScript = chk_privilege->isChecked();
    options.PrefixWithDb = chk_prefix->isChecked();
    options.PasswordPlaceholders = chk_password_placeholders->isChecked();
    options.DeviceDirectory = e_device_directory->text().trimmed();
    for (ObjectKind kind : EveryKind)
        options.extension(kind) = extensionEdit(kind)->text();
    return options;
}

void Tf_options::setWorkDir(const QString& workDir)
{
    e_workdir->setText(workDir);
}

QString Tf_options::workDir() const
{
    return e_workdir->text();
}

void Tf_options::setTimeouts(int login, int command)
{
    e_login_timeout->setValue(login);
    e_command_timeout->setValue(command);
}

int Tf_options::loginTimeout() const
{
    return e_login_timeout->value();
}

int Tf_options::commandTimeout() const
{
    return e_command_timeout->value();
}

void Tf_options::accept()
{
    const QString typed = e_workdir->text();
    if (!typed.isEmpty() && !QFileInfo(typed).isDir()) {
        UserInterface::instance().showMessage(
            QStringLiteral("Skelder"),
            QStringLiteral("The working directory %1 does not exist.").arg(typed),
            UserInterface::Icon::Warning);
        PageControl1->setCurrentWidget(ts_general);
        e_workdir->setFocus();
        return;
    }
    QDialog::accept();
}

void Tf_options::Button1Click()
{
    // The picker opens at the directory the edit box names, when there is one.
    const QString typed = e_workdir->text().trimmed();
    const FolderChoice choice = BrowseForFolder(QStringLiteral("Open Work Directory"),
                                                QDir(typed).exists() ? typed : QString());
    if (choice.chosen)
        e_workdir->setText(choice.path);
}
