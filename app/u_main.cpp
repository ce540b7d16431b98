#include "u_main.h"

#include "ActionIcons.h"
#include "BackgroundCall.h"
#include "CTLibDatabase.h"
#include "CTLibEnhQuery.h"
#include "CTLibObjInfo.h"
#include "CompareWindow.h"
#include "ErrorDisplay.h"
#include "Exceptions.h"
#include "ExplorerItemModel.h"
#include "HelpWindow.h"
#include "ObjectListing.h"
#include "ProgressDlg.h"
#include "RegAuto.h"
#include "Repository.h"
#include "ScriptGenerator.h"
#include "ScriptSink.h"
#include "ServerCatalog.h"
#include "TextFile.h"
#include "UserInterface.h"
#include "ViewSink.h"
#include "u_about.h"
#include "u_options.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTextBlock>
#include <QTextDocument>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <functional>
#include <utility>

namespace {

// A hint's part before "|" is the tool tip, the part after it (or the whole hint) the
// status text.
void setHint(QAction* action, const QString& hint)
{
    const int bar = hint.indexOf(QLatin1Char('|'));
    action->setToolTip(bar < 0 ? hint : hint.left(bar));
    action->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
}

// "Courier New" when installed, otherwise the system's monospaced font, at 8 points.
QFont viewFont()
{
    QFont font(QStringLiteral("Courier New"), 8);
    font.setStyleHint(QFont::TypeWriter);
    if (QFontInfo(font).fixedPitch())
        return font;
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(8);
    return fixed;
}

QStringList viewLines(const QPlainTextEdit* view)
{
    QStringList lines;
    for (QTextBlock block = view->document()->begin(); block.isValid(); block = block.next())
        lines << block.text();
    return lines;
}

// Takes script lines and keeps none.
class TDiscardingSink : public TScriptSink {
public:
    void appendLines(const QStringList&) override {}
};

// Hands every event of the application to a handler: for keys that must work whichever
// widget has the focus. It is an object of its own so that the window's filter sees the
// tree's events only once, from the widgets it watches.
class ApplicationEventHook : public QObject {
public:
    ApplicationEventHook(QObject* parent, std::function<bool(QEvent*)> handle)
        : QObject(parent), m_handle(std::move(handle))
    {
        qApp->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override { return m_handle(event); }

private:
    std::function<bool(QEvent*)> m_handle;
};

}  // namespace

Tf_main::Tf_main(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("f_main"));
    setWindowTitle(QStringLiteral("Skelder - not connected"));
    createActions();
    createCentralArea();
    createMenus();
    createToolBars();
    createStatusBar();
    createComponents();
    connectCommands();
    setWindowState(Qt::WindowMaximized);
    FormCreate();
    UpdateTextActions();
}

Tf_main::~Tf_main() = default;

void Tf_main::createActions()
{
    struct ActionSpec {
        QAction** action;
        const char* name;
        const char* caption;
        QKeySequence shortcut;
        bool enabled;
        const char* hint;
    };
    const ActionSpec specs[] = {
        {&a_file_exit, "a_file_exit", "E&xit", QKeySequence(Qt::ALT | Qt::Key_X), true,
         "Close|Close the application"},
        {&a_connect, "a_connect", "&Connect...", QKeySequence(Qt::ALT | Qt::Key_C), true,
         "Connect|Connect to a new server"},
        {&a_disconnect, "a_disconnect", "&Disconnect", QKeySequence(Qt::ALT | Qt::Key_D), false,
         "Disconnect|Disconnect from the current server"},
        {&a_options, "a_options", "&Options", QKeySequence(Qt::CTRL | Qt::Key_O), true,
         "Configure Skelder"},
        {&a_view, "a_view", "&View", QKeySequence(Qt::ALT | Qt::Key_V), false, "View Scripts"},
        {&a_generate, "a_generate", "&Generate", QKeySequence(Qt::ALT | Qt::Key_G), false,
         "Generate Scripts"},
        {&a_repository, "a_repository", "Update &Repository...", QKeySequence(), false,
         "Update a schema repository: one file per object, only what changed is rewritten"},
        {&a_compare, "a_compare", "Co&mpare Databases...", QKeySequence(), false,
         "Compare two databases object by object"},
        {&a_select_all, "a_select_all", "Select &All", QKeySequence(), false, ""},
        {&a_unselect_all, "a_unselect_all", "&Unselect All", QKeySequence(), false, ""},
        {&a_invert, "a_invert", "&Invert Selection", QKeySequence(Qt::CTRL | Qt::Key_I), true, ""},
        {&a_cut, "a_cut", "&Cut", QKeySequence(Qt::CTRL | Qt::Key_X), true, ""},
        {&a_copy, "a_copy", "C&opy", QKeySequence(Qt::CTRL | Qt::Key_C), true, ""},
        {&a_paste, "a_paste", "&Paste", QKeySequence(Qt::CTRL | Qt::Key_V), true, ""},
        {&a_delete, "a_delete", "&Delete", QKeySequence(Qt::Key_Delete), true, ""},
        {&a_clear, "a_clear", "C&lear all", QKeySequence(), true, "Clear all"},
        {&a_selectall_text, "a_selectall_text", "Select all", QKeySequence(Qt::CTRL | Qt::Key_A),
         true, "Select all"},
        {&a_save, "a_save", "Sa&ve", QKeySequence(Qt::CTRL | Qt::Key_S), true,
         "Save text to a file"},
        {&a_print, "a_print", "P&rint", QKeySequence(Qt::CTRL | Qt::Key_P), true, ""},
        {&a_print_setup, "a_print_setup", "Printer S&etup...", QKeySequence(), true,
         "Open Printer Setup dialog box"},
        {&a_about, "a_about", "&About...", QKeySequence(), true, ""},
        {&a_contents, "a_contents", "&Contents", QKeySequence(Qt::Key_F1), true, ""},
    };
    for (const ActionSpec& entry : specs) {
        auto* action = new QAction(QString::fromUtf8(entry.caption), this);
        action->setObjectName(QString::fromLatin1(entry.name));
        action->setShortcut(entry.shortcut);
        action->setEnabled(entry.enabled);
        if (*entry.hint)
            setHint(action, QString::fromUtf8(entry.hint));
        *entry.action = action;
    }

    using ActionIcons::Command;
    const std::pair<QAction*, Command> icons[] = {
        {a_file_exit, Command::Exit},
        {a_connect, Command::Connect},
        {a_disconnect, Command::Disconnect},
        {a_options, Command::Options},
        {a_view, Command::View},
        {a_generate, Command::Generate},
        {a_cut, Command::Cut},
        {a_copy, Command::Copy},
        {a_paste, Command::Paste},
        {a_delete, Command::Delete},
        {a_clear, Command::Clear},
        {a_selectall_text, Command::SelectAll},
        {a_save, Command::Save},
        {a_print, Command::Print},
        {a_print_setup, Command::PrinterSetup},
        {a_contents, Command::Help},
    };
    for (const auto& [action, command] : icons)
        action->setIcon(ActionIcons::icon(command));
}

void Tf_main::createCentralArea()
{
    pan_explorer = new QWidget(this);
    pan_explorer->setObjectName(QStringLiteral("pan_explorer"));
    tv_main = new QTreeView(pan_explorer);
    m_explorerItems = new TExplorerItemModel(m_explorer, this);
    tv_main->setModel(m_explorerItems);
    tv_main->setObjectName(QStringLiteral("tv_main"));
    tv_main->setHeaderHidden(true);
    // Every row is one line of text: Qt need not measure 20,000 of them to mark them.
    tv_main->setUniformRowHeights(true);
    // Names wider than the panel scroll instead of being cut. The column is fitted when
    // nodes come or go, not when a mark changes (fitting looks at a thousand rows).
    tv_main->header()->setStretchLastSection(false);
    tv_main->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tv_main->setMouseTracking(true);  // hot tracking
    tv_main->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* explorerLayout = new QVBoxLayout(pan_explorer);
    explorerLayout->setContentsMargins(0, 0, 0, 0);
    explorerLayout->addWidget(tv_main);

    auto* textPanel = new QWidget(this);
    m_textToolBar = new QToolBar(QStringLiteral("Text"), textPanel);
    m_textToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_textToolBar->setObjectName(QStringLiteral("ToolBar2"));
    m_view = new QPlainTextEdit(textPanel);
    m_view->setObjectName(QStringLiteral("m_view"));
    m_view->setFont(viewFont());
    m_view->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* textLayout = new QVBoxLayout(textPanel);
    textLayout->setContentsMargins(0, 0, 0, 0);
    textLayout->setSpacing(0);
    textLayout->addWidget(m_textToolBar);
    textLayout->addWidget(m_view);

    Splitter1 = new QSplitter(Qt::Horizontal, this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->addWidget(pan_explorer);
    Splitter1->addWidget(textPanel);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setChildrenCollapsible(false);
    setCentralWidget(Splitter1);
    applyExplorerWidth(m_explorerWidth);
}

void Tf_main::createMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(a_save);
    file->addSeparator();
    file->addAction(a_print_setup);
    file->addAction(a_print);
    file->addSeparator();
    file->addAction(a_file_exit);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("Edit"));
    edit->addActions({a_cut, a_copy, a_paste, a_delete});
    edit->addSeparator();
    edit->addActions({a_clear, a_selectall_text});

    menuBar()->addMenu(QStringLiteral("&Server"))->addActions({a_connect, a_disconnect});
    menuBar()->addMenu(QStringLiteral("Se&ttings"))->addAction(a_options);
    menuBar()
        ->addMenu(QStringLiteral("S&cript"))
        ->addActions({a_view, a_generate, a_repository, a_compare});
    menuBar()->addMenu(QStringLiteral("&Help"))->addActions({a_contents, a_about});
    for (QAction* menuAction : menuBar()->actions()) {
        connect(menuAction->menu(), &QMenu::aboutToShow, this, &Tf_main::UpdateTextActions);
    }

    pum_explorer = new QMenu(this);
    pum_explorer->setObjectName(QStringLiteral("pum_explorer"));
    pum_explorer->addActions({a_select_all, a_unselect_all, a_invert});
    // The popup's own commands are in no menu bar: the window holds them too, or Ctrl+I
    // would reach Invert Selection only while the popup is open.
    addActions({a_select_all, a_unselect_all, a_invert});
    pum_explorer->addSeparator();
    pum_explorer->addAction(a_options);
    pum_explorer->addSeparator();
    pum_explorer->addActions({a_view, a_generate});
    connect(tv_main, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        pum_explorer->popup(tv_main->viewport()->mapToGlobal(at));
    });

    pum_memo = new QMenu(this);
    pum_memo->setObjectName(QStringLiteral("pum_memo"));
    pum_memo->addActions({a_cut, a_copy, a_paste, a_delete});
    pum_memo->addSeparator();
    pum_memo->addActions({a_clear, a_selectall_text});
    pum_memo->addSeparator();
    pum_memo->addActions({a_save, a_print, a_print_setup});
    connect(pum_memo, &QMenu::aboutToShow, this, &Tf_main::UpdateTextActions);
    connect(m_view, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { pum_memo->popup(m_view->viewport()->mapToGlobal(at)); });
}

void Tf_main::createToolBars()
{
    m_mainToolBar = addToolBar(QStringLiteral("Main"));
    m_mainToolBar->setObjectName(QStringLiteral("ToolBar1"));
    m_mainToolBar->setMovable(false);
    m_mainToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_mainToolBar->addAction(a_file_exit);
    m_mainToolBar->addSeparator();
    m_mainToolBar->addActions({a_connect, a_disconnect});
    m_mainToolBar->addSeparator();
    m_mainToolBar->addAction(a_options);
    m_mainToolBar->addSeparator();
    m_mainToolBar->addActions({a_view, a_generate});
    m_mainToolBar->addSeparator();
    auto* help = new QToolButton(m_mainToolBar);
    help->setObjectName(QStringLiteral("btn_help"));
    help->setIcon(ActionIcons::icon(ActionIcons::Command::Help));
    help->setToolTip(QStringLiteral("Help contents"));
    help->setStatusTip(QStringLiteral("Help contents"));
    connect(help, &QToolButton::clicked, a_contents, &QAction::trigger);
    m_mainToolBar->addWidget(help);

    // The text tool bar's buttons carry hints of their own.
    const auto addWithHint = [this](QAction* action, const char* hint) {
        m_textToolBar->addAction(action);
        if (QWidget* button = m_textToolBar->widgetForAction(action)) {
            button->setToolTip(QString::fromLatin1(hint));
            button->setStatusTip(QString::fromLatin1(hint));
        }
    };
    addWithHint(a_cut, "Cut selected text");
    addWithHint(a_copy, "Copy selected text to clipboard");
    addWithHint(a_paste, "Paste text from clipboard");
    addWithHint(a_delete, "Delete selected text");
    m_textToolBar->addActions({a_clear, a_selectall_text});
    m_textToolBar->addSeparator();
    m_textToolBar->addAction(a_save);
    m_textToolBar->addSeparator();
    btn_append = new QToolButton(m_textToolBar);
    btn_append->setObjectName(QStringLiteral("btn_append"));
    btn_append->setText(QStringLiteral("&Append"));
    btn_append->setCheckable(true);
    btn_append->setIcon(ActionIcons::icon(ActionIcons::Command::Append));
    // Icons only, as on the other buttons; the text stays for its Alt+A.
    btn_append->setToolButtonStyle(Qt::ToolButtonIconOnly);
    btn_append->setToolTip(QStringLiteral("Append script"));
    btn_append->setStatusTip(QStringLiteral("Append script"));
    m_textToolBar->addWidget(btn_append);
    m_textToolBar->addSeparator();
    addWithHint(a_print, "Print all");
    m_textToolBar->addAction(a_print_setup);
}

void Tf_main::createStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    const int widths[2] = {200, 500};
    for (int i = 0; i < 2; ++i) {
        m_statusPanels[i] = new QLabel(bar);
        m_statusPanels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        m_statusPanels[i]->setFixedWidth(widths[i]);
        m_statusPanels[i]->setFrameShape(QFrame::Panel);
        m_statusPanels[i]->setFrameShadow(QFrame::Sunken);
        bar->addWidget(m_statusPanels[i]);
    }
}

QLabel* Tf_main::statusPanel(int index) const
{
    return m_statusPanels[index];
}

void Tf_main::createComponents()
{
    db = new TCTLibDatabase(this);
    db->SetName(QStringLiteral("db"));
    db->setMsgDialogs(TMsgDialogs());
    db->setShowDbMessages(smDbMsg | smDbErr);
    db->EmulateASE = false;
    db->setLanguage(QStringLiteral("us_english"));
    db->setSortOrder(QStringLiteral("binary"));
    db->setCharSet(QStringLiteral("iso_1"));
    db->Rdbms = kSybaseSqlServer;
    db->UserName = QStringLiteral("sa");
    db->setDbName(QStringLiteral("master"));
    db->ContextName = QStringLiteral("default");
    db->setTransLevel(tlLevel1);
    db->AbortOnPwdExp = false;
    db->UseParams = false;
    db->setIdleTime(0);

    info = new TCTLibObjInfo(this);
    info->setObjectName(QStringLiteral("info"));
    info->DbName = QStringLiteral("db");
    info->UseExecCursor = false;

    query = new TCTLibEnhQuery(this);
    query->setObjectName(QStringLiteral("query"));
    query->DbName = QStringLiteral("db");
    query->AbortOnNegStatus = false;
    query->KeepHistory = false;
    query->ReadOnly = false;

    m_viewSink = std::make_unique<TViewSink>(m_view);

    raCommon = new TRegAuto(this);
    raCommon->setObjectName(QStringLiteral("raCommon"));
    configureSettingsStore(*raCommon);

    RAProgressForm1 = new TRAProgressForm(this);
    RAProgressForm1->setObjectName(QStringLiteral("RAProgressForm1"));
    RAProgressForm2 = new TRAProgressForm(this);
    RAProgressForm2->setObjectName(QStringLiteral("RAProgressForm2"));
    for (TRAProgressForm* progress : {RAProgressForm1, RAProgressForm2}) {
        // Scripts are built beside the window's thread: it repaints and answers meanwhile.
        progress->RunInBackground = true;
        progress->Wait = serverWait(QString());
        progress->setCaption(QStringLiteral("Please wait..."));
        progress->setInfoLabel(QStringLiteral("Long operation in progress"));
        progress->setProgressRange(0, 100);
        progress->setProgressPosition(0);
    }
    RAProgressForm1->setProgressStep(1);
    RAProgressForm2->setProgressStep(0);

    SaveDialog = new QFileDialog(this, QStringLiteral("Open script file"));
    SaveDialog->setObjectName(QStringLiteral("SaveDialog"));
    SaveDialog->setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog->setFileMode(QFileDialog::AnyFile);
    SaveDialog->setDefaultSuffix(QStringLiteral("sql"));
    SaveDialog->setNameFilters({QStringLiteral("SQL files (*.sql)"),
                                QStringLiteral("Text files (*.txt)"),
                                QStringLiteral("All files (*.*)")});
    SaveDialog->setOption(QFileDialog::DontConfirmOverwrite, false);

    m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
}

void Tf_main::connectCommands()
{
    connectCommand(a_file_exit, [this] { a_file_exitExecute(); });
    connectCommand(a_connect, [this] { a_connectExecute(); });
    connectCommand(a_disconnect, [this] { a_disconnectExecute(); });
    connectCommand(a_view, [this] { a_viewExecute(); });
    connectCommand(a_generate, [this] { a_generateExecute(); });
    connectCommand(a_repository, [this] { a_repositoryExecute(); });
    connectCommand(a_compare, [this] { a_compareExecute(); });
    connectCommand(a_select_all, [this] { a_select_allExecute(); });
    connectCommand(a_unselect_all, [this] { a_unselect_allExecute(); });
    connectCommand(a_invert, [this] { a_invertExecute(); });
    connectCommand(a_options, [this] { a_optionsExecute(); });
    connectCommand(a_cut, [this] { a_cutExecute(); });
    connectCommand(a_copy, [this] { a_copyExecute(); });
    connectCommand(a_paste, [this] { a_pasteExecute(); });
    connectCommand(a_delete, [this] { a_deleteExecute(); });
    connectCommand(a_clear, [this] { a_clearExecute(); });
    connectCommand(a_selectall_text, [this] { a_selectall_textExecute(); });
    connectCommand(a_save, [this] { a_saveExecute(); });
    connectCommand(a_print, [this] { a_printExecute(); });
    connectCommand(a_print_setup, [this] { a_print_setupExecute(); });
    connectCommand(a_about, [this] { a_aboutExecute(); });
    connectCommand(a_contents, [this] { a_contentsExecute(); });

    connect(m_view, &QPlainTextEdit::textChanged, this, &Tf_main::UpdateTextActions);
    connect(m_view, &QPlainTextEdit::selectionChanged, this, &Tf_main::UpdateTextActions);
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &Tf_main::UpdateTextActions);

    connect(tv_main, &QTreeView::expanded, this, [this](const QModelIndex& node) {
        runCommand([this, node] { tv_mainExpanding(node); });
        showConnectionState();
        fitTreeColumn();
    });
    // Any request may find the connection lost; the window shows it when the command ends.
    for (QAction* serverCommand : {a_view, a_generate, a_connect})
        connect(serverCommand, &QAction::triggered, this, &Tf_main::showConnectionState);
    connect(tv_main, &QTreeView::collapsed, this, &Tf_main::fitTreeColumn);
    connect(pum_explorer, &QMenu::aboutToShow, this, &Tf_main::pum_explorerPopup);
    connect(pum_explorer, &QMenu::aboutToHide, this, &Tf_main::enableFolderCommands);
    tv_main->viewport()->installEventFilter(this);  // a click marks the object clicked
    tv_main->installEventFilter(this);              // Space marks the current object
    new ApplicationEventHook(this, [this](QEvent* event) { return takeConnectShortcut(event); });
}

// Alt+C is Connect's shortcut and the Script menu's mnemonic; Qt gives a key that two
// claim to neither. While Connect is enabled its shortcut wins, as on the classic
// desktop; otherwise the key opens the menu.
bool Tf_main::takeConnectShortcut(QEvent* event)
{
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return false;
    if (!isActiveWindow() || !a_connect->isEnabled() ||
        QKeySequence(static_cast<QKeyEvent*>(event)->keyCombination()) != a_connect->shortcut())
        return false;
    event->accept();
    if (event->type() == QEvent::KeyPress)
        a_connect->trigger();
    return true;
}

// A click in the tree marks or unmarks the current node once the button is released: the
// node clicked, which the press made current, or the current one when the click was
// beside the nodes (on an expand button, below the last row). The second press of a
// double click is no click of its own: a double click marks once, as it selects once in
// a list.
void Tf_main::trackTreeClick(QEvent* event)
{
    const auto* mouse = static_cast<QMouseEvent*>(event);
    switch (event->type()) {
        case QEvent::MouseButtonPress:
            m_leftPressed = mouse->button() == Qt::LeftButton;
            break;
        case QEvent::MouseButtonDblClick:
            m_leftPressed = false;
            break;
        case QEvent::MouseButtonRelease:
            if (mouse->button() == Qt::LeftButton && m_leftPressed)
                runCommand([this] { tv_mainClick(); });
            m_leftPressed = false;
            break;
        default:
            break;
    }
}

bool Tf_main::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == tv_main->viewport())
        trackTreeClick(event);
    if (watched == tv_main->viewport() && event->type() == QEvent::Resize)
        QTimer::singleShot(0, this, &Tf_main::fitTreeColumn);
    if (watched == tv_main && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space &&
        static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
        runCommand([this] { tv_mainClick(); });
        return true;
    }
    // Shift+F10 opens the popup at the current node, as the Menu key does.
    if (watched == tv_main && event->type() == QEvent::KeyPress &&
        QKeySequence(static_cast<QKeyEvent*>(event)->keyCombination()) ==
            QKeySequence(Qt::SHIFT | Qt::Key_F10)) {
        const QRect current = tv_main->visualRect(tv_main->currentIndex());
        pum_explorer->popup(tv_main->viewport()->mapToGlobal(
            current.isValid() ? current.center() : tv_main->viewport()->rect().topLeft()));
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void Tf_main::FormCreate()
{
    // Hints reach status panel 1 through the status-tip events handled in event().
    raCommon->IniFile = QString::fromLatin1(TAppSettings::FileName);
    ScriptLines.clear();
    SectionLines.clear();
    SelectedCount = 0;
    LoadSettings();
}

void Tf_main::FormActivate()
{
    if (QDir::setCurrent(WorkDir)) {
        m_reportedMissingWorkDir.clear();
        return;
    }
    // Told once for each directory: the return from every dialog would repeat it.
    if (WorkDir == m_reportedMissingWorkDir)
        return;
    m_reportedMissingWorkDir = WorkDir;
    UserInterface::instance().showMessage(
        QStringLiteral("Skelder"),
        QStringLiteral("Work directory ") + WorkDir +
            QStringLiteral(" not found. \r\nSelect Settings | Options to specify the working "
                           "directory."),
        UserInterface::Icon::Information);
}

void Tf_main::FormClose()
{
    ScriptLines.clear();
    SectionLines.clear();
    SaveSettings();
}

bool Tf_main::event(QEvent* event)
{
    switch (event->type()) {
        case QEvent::StatusTip:
            m_statusPanels[1]->setText(static_cast<QStatusTipEvent*>(event)->tip());
            return true;
        case QEvent::WindowActivate: {
            const bool activation = m_activatedOnReturn;
            m_activatedOnReturn = true;
            const bool handled = QMainWindow::event(event);
            if (activation)
                runCommand([this] { FormActivate(); });
            return handled;
        }
        case QEvent::WindowDeactivate: {
            // Focus that leaves for another application, or for a message box (the
            // working-directory message itself among them), does not make the return an
            // activation; a window of ours such as the options dialog does.
            const QWidget* next = QApplication::activeWindow();
            m_activatedOnReturn = next && !qobject_cast<const QMessageBox*>(next);
            return QMainWindow::event(event);
        }
        default:
            return QMainWindow::event(event);
    }
}

void Tf_main::closeEvent(QCloseEvent* event)
{
    runCommand([this] { FormClose(); });
    event->accept();
}

void Tf_main::applyExplorerWidth(int width)
{
    m_explorerWidth = width;
    pan_explorer->resize(width, pan_explorer->height());
    Splitter1->setSizes({width, qMax(1, Splitter1->width() - width)});
}

int Tf_main::explorerWidth() const
{
    return pan_explorer->isVisible() ? pan_explorer->width() : m_explorerWidth;
}

void Tf_main::LoadSettings()
{
    TAppSettings settings;
    settings.Load(*raCommon);
    WorkDir = settings.WorkDir;
    Options = settings.Options;
    btn_append->setChecked(settings.Append);
    info->PrefixWithDbName = Options.PrefixWithDb;
    db->ServerName = settings.ServerName;
    db->UserName = settings.UserName;
    db->setLoginTimeOut(settings.LoginTimeout);
    db->setTimeOut(settings.CommandTimeout);
    applyExplorerWidth(settings.ExplorerWidth);
}

void Tf_main::SaveSettings()
{
    TAppSettings settings;
    settings.WorkDir = WorkDir;
    settings.Options = Options;
    settings.Append = btn_append->isChecked();
    settings.ServerName = db->ServerName;
    settings.UserName = db->UserName;
    settings.ExplorerWidth = explorerWidth();
    settings.LoginTimeout = db->loginTimeOut();
    settings.CommandTimeout = db->timeOut();
    settings.Save(*raCommon);
    raCommon->Save();
}

void Tf_main::UpdateSelectionCount(int delta)
{
    SelectedCount += delta;
    m_statusPanels[0]->setText(QString::number(SelectedCount) +
                               QStringLiteral(" objects selected"));
}

void Tf_main::UpdateTextActions()
{
    const bool hasSelection = m_view->textCursor().hasSelection();
    const bool hasText = !m_view->document()->isEmpty();
    const QMimeData* clipboard = QApplication::clipboard()->mimeData();
    a_cut->setEnabled(hasSelection);
    a_delete->setEnabled(hasSelection);
    a_copy->setEnabled(true);
    a_paste->setEnabled(clipboard && clipboard->hasText());
    a_print->setEnabled(hasText);
    a_save->setEnabled(hasText);
    a_selectall_text->setEnabled(hasText);
    a_clear->setEnabled(hasText);
}

void Tf_main::a_file_exitExecute()
{
    if (db->connected())
        db->DisConnect();
    close();
}

void Tf_main::requireLiveConnection() const
{
    if (db->connectionLost())
        throw ESkelderError(lostConnectionText());
}

QString Tf_main::lostConnectionText() const
{
    return QStringLiteral(
               "The connection to %1 was lost. Server > Reconnect (Alt+C) connects "
               "again; the tree keeps its folders and marks.")
        .arg(db->ServerName);
}

// A connection the library found dead stays in the tree, with what was read over it, and
// is offered again by Connect.
void Tf_main::showConnectionState()
{
    if (!db->connected()) {
        setWindowTitle(QStringLiteral("Skelder - not connected"));
        setConnectedState(false);
    } else if (db->connectionLost()) {
        setWindowTitle(QStringLiteral("Skelder - Connection to ") + db->ServerName +
                       QStringLiteral(" lost"));
        setConnectedState(true);
        a_connect->setEnabled(true);
        a_connect->setText(QStringLiteral("Re&connect..."));
        a_view->setEnabled(false);
        a_generate->setEnabled(false);
        a_repository->setEnabled(false);
        a_compare->setEnabled(false);
        statusPanel(1)->setText(lostConnectionText());
    } else {
        setWindowTitle(QStringLiteral("Skelder - Connected to ") + db->ServerName);
        setConnectedState(true);
    }
}

void Tf_main::setConnectedState(bool connected)
{
    a_connect->setText(QStringLiteral("&Connect..."));
    a_connect->setEnabled(!connected);
    a_disconnect->setEnabled(connected);
    a_generate->setEnabled(connected);
    a_repository->setEnabled(connected && db->Rdbms != kSqlAnywhere);
    a_compare->setEnabled(connected && db->Rdbms != kSqlAnywhere);
    a_view->setEnabled(connected);
    enableFolderCommands();
}

// Resets the selection counter when a connect or disconnect command ends, whatever
// its outcome.
struct Tf_main::CounterReset {
    Tf_main* window;
    ~CounterReset()
    {
        window->SelectedCount = 0;
        window->UpdateSelectionCount(0);
    }
};

void Tf_main::a_connectExecute()
{
    if (db->connectionLost()) {
        reconnect();
        return;
    }
    CounterReset reset{this};
    if (!db->connected())
        logIn();
    if (db->connected())
        FillDatabaseTree();
    showConnectionState();
}

ServerWait Tf_main::serverWait(const QString& waitingFor) const
{
    return {[this] { return db->answerAwaitedFor(); }, [this] { db->abandonAnswer(); }, waitingFor};
}

// The login runs beside the window, which shows a busy cursor and says what it does
// meanwhile; the login prompt keeps the usual cursor.
void Tf_main::logIn()
{
    setCursor(Qt::BusyCursor);
    statusPanel(1)->setText(QStringLiteral("Logging in..."));
    struct Finally {
        Tf_main* window;
        ~Finally()
        {
            window->unsetCursor();
            window->statusPanel(1)->clear();
        }
    } finally{this};
    const ServerWait wait = serverWait(QStringLiteral("the login to ") + db->ServerName);
    callInBackground([this] { db->Connect(); }, InputMeanwhile::Held, &wait);
}

// A new connection in place of the lost one; the tree, its folders and marks stay.
void Tf_main::reconnect()
{
    db->DisConnect();
    struct Finally {
        Tf_main* window;
        ~Finally()
        {
            if (!window->db->connected()) {
                window->m_explorerItems->clear();
                window->SelectedCount = 0;
                window->UpdateSelectionCount(0);
            }
            window->showConnectionState();
        }
    } finally{this};
    logIn();
}

void Tf_main::a_disconnectExecute()
{
    CounterReset reset{this};
    if (db->connected())
        db->DisConnect();
    if (!db->connected()) {
        m_explorerItems->clear();
        showConnectionState();
    }
}

void Tf_main::FillDatabaseTree()
{
    if (!db->connected())
        return;
    tv_main->setUpdatesEnabled(false);
    BusyCursor busy;
    struct Finally {
        Tf_main* window;
        ~Finally()
        {
            window->statusPanel(1)->clear();
            window->tv_main->setUpdatesEnabled(true);
        }
    } finally{this};

    QStringList databases;
    const ServerWait wait = serverWait(QStringLiteral("the list of databases"));
    callInBackground(
        [this, &databases] { databases = TObjectListingReader(*query, db->Rdbms).databases(); },
        InputMeanwhile::Held, &wait);
    // Adaptive Server's own objects live in master, which SQL Anywhere does not have.
    m_explorerItems->setDatabases(databases,
                                  db->Rdbms == kSqlAnywhere ? QString() : db->ServerName);
    fitTreeColumn();
}

// The tree's one column is as wide as the widest caption shown, and at least as wide as
// the panel.
void Tf_main::fitTreeColumn()
{
    tv_main->resizeColumnToContents(0);
    if (tv_main->columnWidth(0) < tv_main->viewport()->width())
        tv_main->setColumnWidth(0, tv_main->viewport()->width());
}

void Tf_main::tv_mainExpanding(const QModelIndex& node)
{
    if (TExplorerItemModel::levelOf(node) == TExplorerItemModel::Level::Folder)
        LoadFolder(node.parent().data().toString(), node, TExplorerItemModel::kindOf(node));
}

void Tf_main::LoadFolder(const QString& database, const QModelIndex& folder, ObjectKind kind)
{
    const TExplorerModel::Folder& listed =
        m_explorer.folder(TExplorerItemModel::databaseOf(folder), kind);
    if (!listed.objects.isEmpty() && !listed.objects.first().caption.isEmpty())
        return;
    if (db->connectionLost()) {
        leaveFolderUnread(folder);
        requireLiveConnection();
    }
    BusyCursor busy;
    // What was read goes into the tree, also when the read fails midway; a folder whose
    // read lost the connection stays unread.
    QStringList captions;
    struct Finally {
        Tf_main* window;
        QPersistentModelIndex folder;
        const QStringList& captions;
        ~Finally()
        {
            if (window->db->connectionLost())
                window->leaveFolderUnread(folder);
            else
                window->m_explorerItems->setObjects(folder, captions);
            window->statusPanel(1)->clear();
        }
    } finally{this, folder, captions};

    statusPanel(1)->setText(objectListingProgressText(kind, database));
    const ServerWait wait = serverWait(objectListingProgressText(kind, database));
    try {
        callInBackground(
            [&] {
                if (isServerKind(kind)) {
                    captions = TServerCatalog(*info).names(kind);
                    return;
                }
                TObjectListingReader listing(*query, db->Rdbms);
                listing.readObjects(kind, database,
                                    [&captions](const QString& caption) { captions << caption; });
                // Left out: nothing a script could re-create, nothing Select All should mark.
                const QSet<QString> unscriptable = listing.unscriptableObjects(kind, database);
                captions.removeIf([&unscriptable](const QString& caption) {
                    return unscriptable.contains(caption);
                });
            },
            InputMeanwhile::Held, &wait);
    } catch (const std::exception&) {
        // Only a failing users listing is reported; the other folders keep what they got.
        // A lost connection is reported whatever the folder: the folder is not empty.
        if (kind == ObjectKind::Users || db->connectionLost())
            throw;
    }
}

// The folder keeps its placeholder and closes, to be read when it is opened again.
void Tf_main::leaveFolderUnread(const QModelIndex& folder)
{
    // Closed once the tree has finished opening it.
    QTimer::singleShot(0, tv_main, [tree = tv_main, node = QPersistentModelIndex(folder)] {
        tree->collapse(node);
    });
}

void Tf_main::tv_mainClick()
{
    const QModelIndex node = tv_main->currentIndex();
    if (!node.isValid() || TExplorerItemModel::levelOf(node) != TExplorerItemModel::Level::Object)
        return;
    const TExplorerModel::Folder& folder =
        m_explorer.folder(TExplorerItemModel::databaseOf(node), TExplorerItemModel::kindOf(node));
    if (!folder.loaded || node.row() >= folder.objects.size())
        return;  // the placeholder of an unopened folder
    UpdateSelectionCount(m_explorerItems->toggleMark(node));
}

void Tf_main::pum_explorerPopup()
{
    const QModelIndex node = tv_main->currentIndex();
    if (!node.isValid())
        return;
    const bool folder = TExplorerItemModel::levelOf(node) == TExplorerItemModel::Level::Folder;
    for (QAction* action : {a_select_all, a_unselect_all, a_invert})
        action->setEnabled(folder);
}

// Outside the popup the folder commands act on the current folder, whatever node the
// popup was last opened on; on any other node they do nothing.
void Tf_main::enableFolderCommands()
{
    const bool connected = a_disconnect->isEnabled();
    a_select_all->setEnabled(connected);
    a_unselect_all->setEnabled(connected);
    a_invert->setEnabled(true);
}

void Tf_main::changeFolderMarks(MarkChange change)
{
    const QModelIndex folder = tv_main->currentIndex();
    if (!folder.isValid() ||
        TExplorerItemModel::levelOf(folder) != TExplorerItemModel::Level::Folder)
        return;
    if (!m_explorer
             .folder(TExplorerItemModel::databaseOf(folder), TExplorerItemModel::kindOf(folder))
             .loaded)
        return;  // only the placeholder of an unopened folder is there
    UpdateSelectionCount(m_explorerItems->changeMarks(folder, change));
}

void Tf_main::a_select_allExecute()
{
    changeFolderMarks(MarkChange::Mark);
}

void Tf_main::a_unselect_allExecute()
{
    changeFolderMarks(MarkChange::Unmark);
}

void Tf_main::a_invertExecute()
{
    changeFolderMarks(MarkChange::Invert);
}

TMarkedObjectList Tf_main::MarkedObjects() const
{
    return m_explorer.markedObjects();
}

void Tf_main::a_viewExecute()
{
    requireLiveConnection();
    m_viewSink->startRun(!btn_append->isChecked());
    ToFile = false;
    RAProgressForm1->OnShow = [this](QObject*) { BuildScript(); };
    // The script stays where it can be read and saved, but not taken for a whole one.
    m_runCancelled = false;
    try {
        RAProgressForm1->Execute();
    } catch (const std::exception&) {
        m_viewSink->flush();  // what the failed run wrote
        if (RAProgressForm1->Cancelled())
            noteIncompleteView();
        throw;
    }
    if (m_runCancelled)
        noteIncompleteView();
    UpdateTextActions();
    ReportUnscripted();
}

void Tf_main::noteIncompleteView()
{
    m_view->appendPlainText(QStringLiteral("/* Cancelled: this script is incomplete. */"));
}

void Tf_main::a_generateExecute()
{
    requireLiveConnection();
    if (!Options.SeparateFiles) {
        if (!execSaveDialog())
            return;
        TargetPath = SaveDialog->selectedFiles().constFirst();
        ToFile = true;
        RAProgressForm1->OnShow = [this](QObject*) { BuildScript(); };
        RAProgressForm1->Execute();
        if (m_runCancelled)
            reportCancelledGeneration(TargetPath + QStringLiteral(" was left as it was."));
        ReportUnscripted();
        return;
    }
    TargetPath.clear();
    const FolderChoice choice = BrowseForFolder(QStringLiteral("Open Script Directory"));
    if (!choice.chosen || choice.path.trimmed().isEmpty())
        return;
    TargetPath = choice.path;
    RAProgressForm2->OnShow = [this](QObject*) { BuildSeparateFiles(); };
    RAProgressForm2->Execute();
    if (m_runCancelled)
        reportCancelledGeneration(QStringLiteral("No file in ") + TargetPath +
                                  QStringLiteral(" was changed."));
    ReportUnscripted();
}

void Tf_main::a_repositoryExecute()
{
    requireLiveConnection();
    const FolderChoice choice = BrowseForFolder(QStringLiteral("Open Repository Directory"));
    if (!choice.chosen || choice.path.trimmed().isEmpty())
        return;
    TargetPath = choice.path;
    m_repositorySummary.clear();
    RAProgressForm2->OnShow = [this](QObject*) { BuildRepository(); };
    RAProgressForm2->Execute();
    if (m_runCancelled) {
        reportCancelledGeneration(QStringLiteral("The files of ") + TargetPath +
                                  QStringLiteral(" written so far are whole; its list of files "
                                                 "was left as it was."));
        return;
    }
    UserInterface::instance().showMessage(QStringLiteral("Skelder"),
                                          QStringLiteral("Repository ") + TargetPath +
                                              QStringLiteral(": ") + m_repositorySummary +
                                              QLatin1Char('.'),
                                          UserInterface::Icon::Information);
    ReportUnscripted();
}

void Tf_main::reportCancelledGeneration(const QString& outcome)
{
    // What the run could not script is of no interest once the script was dropped.
    Unscripted.clear();
    UserInterface::instance().showMessage(QStringLiteral("Skelder"),
                                          QStringLiteral("Generation was cancelled. ") + outcome,
                                          UserInterface::Icon::Information);
}

void Tf_main::ReportUnscripted()
{
    if (Unscripted.isEmpty())
        return;
    UserInterface::instance().showMessage(
        QStringLiteral("Skelder"),
        QStringLiteral("These objects could not be scripted; the script holds a comment in "
                       "their place:\r\n") +
            Unscripted.join(QStringLiteral("\r\n")),
        UserInterface::Icon::Warning);
    Unscripted.clear();
}

void Tf_main::BuildScript()
{
    ScriptLines.clear();
    TScriptHeader header;
    header.ServerName = db->ServerName;
    header.ServerVersion = db->GetServerVersion();
    header.GeneratedOn = db->GetServerDateTime();
    info->PrefixWithDbName = Options.PrefixWithDb;
    TScriptGenerator generator(*info, Options);
    generator.ListedObjectCounts = m_explorer.listedObjectCounts();
    if (ToFile) {
        // Each section goes to the file as it is built; the file replaces an earlier one
        // only when the script is whole, so a run that fails leaves no part of a script.
        TFileWriter file(TargetPath);
        TFileScriptSink sink(file);
        generator.WriteScript(MarkedObjects(), header, sink, true, nullptr, *RAProgressForm1);
        if (!generator.Cancelled)
            file.commit();
    } else {
        // The view holds the script; it is not kept a second time.
        TDiscardingSink script;
        generator.WriteScript(MarkedObjects(), header, script, false, m_viewSink.get(),
                              *RAProgressForm1);
        m_viewSink->flush();
    }
    Unscripted = generator.Unscripted + generator.Warnings;
    CurDb = generator.CurDb;
    DbPrefix = generator.DbPrefix;
    m_runCancelled = generator.Cancelled;
}

void Tf_main::BuildSeparateFiles()
{
    ScriptLines.clear();
    info->PrefixWithDbName = Options.PrefixWithDb;
    TScriptGenerator generator(*info, Options);
    generator.ListedObjectCounts = m_explorer.listedObjectCounts();
    generator.BuildSeparateFiles(MarkedObjects(), TargetPath, *RAProgressForm2);
    Unscripted = generator.Unscripted + generator.Warnings;
    CurDb = generator.CurDb;
    DbPrefix = generator.DbPrefix;
    m_runCancelled = generator.Cancelled;
}

void Tf_main::a_compareExecute()
{
    requireLiveConnection();
    QStringList databases;
    for (const TExplorerModel::Database& node : m_explorer.databases()) {
        if (!node.server)
            databases << node.name;
    }
    TCompareWindow window(
        databases, [this](const QString& database) { return readSchemaTexts(database); },
        [this](const QString& source, const QString& target, TMigrationPlan plan) {
            viewMigration(source, target, std::move(plan));
        },
        this);
    window.exec();
}

TSchemaTextSet Tf_main::readSchemaTexts(const QString& database)
{
    TMarkedObjectList objects;
    const QList<ObjectKind> kinds(AllObjectKinds.begin(), AllObjectKinds.end());
    callInBackground([&] {
        TObjectListingReader(*query, db->Rdbms)
            .readObjects(kinds, database,
                         [&](ObjectKind kind, const QString& caption, const QString& owner) {
                             if (!caption.isEmpty())
                                 objects.append({database, kind, caption, owner});
                         });
    });
    TScriptOptions options = Options;
    options.PrefixWithDb = false;
    TSchemaTextSet texts;
    RAProgressForm2->OnShow = [&](QObject*) {
        TScriptGenerator generator(*info, options);
        generator.ListedObjectCounts = {{database, int(objects.size())}};
        generator.ListedEveryKind = true;
        generator.WriteFileSet(objects, texts, *RAProgressForm2);
    };
    RAProgressForm2->Execute();
    return texts;
}

// The migration into the view, in place of what it held (or below it with Append down);
// what it leaves out is named in a message.
void Tf_main::viewMigration(const QString& source, const QString& target, TMigrationPlan plan)
{
    TMigrationNotes notes;
    ScriptLines.clear();
    m_viewSink->startRun(!btn_append->isChecked());
    RAProgressForm1->OnShow = [&](QObject*) {
        TScriptOptions options = Options;
        options.PrefixWithDb = false;
        notes = writeMigration({*info, source, *info, target}, plan, options, *m_viewSink,
                               *RAProgressForm1);
    };
    RAProgressForm1->Execute();
    m_viewSink->flush();
    Unscripted = notes.Unscripted + notes.Warnings;
    ReportUnscripted();
    if (!plan.LeftOut.isEmpty())
        UserInterface::instance().showMessage(QStringLiteral("Skelder"),
                                              QStringLiteral("The migration leaves out:\r\n") +
                                                  plan.LeftOut.join(QStringLiteral("\r\n")),
                                              UserInterface::Icon::Warning);
}

// The repository's files name no database, so that databases of other names compare.
void Tf_main::BuildRepository()
{
    ScriptLines.clear();
    TScriptOptions options = Options;
    options.PrefixWithDb = false;
    TScriptGenerator generator(*info, options);
    generator.ListedObjectCounts = m_explorer.listedObjectCounts();
    TRepositoryFileSet repository(TargetPath, false);
    generator.WriteFileSet(MarkedObjects(), repository, *RAProgressForm2);
    m_repositorySummary = repository.summary();
    Unscripted = generator.Unscripted + generator.Warnings;
    CurDb = generator.CurDb;
    DbPrefix = generator.DbPrefix;
    m_runCancelled = generator.Cancelled;
}

void Tf_main::a_optionsExecute()
{
    Tf_options dialog(this);
    dialog.setWorkDir(WorkDir);
    dialog.setOptions(Options);
    dialog.setTimeouts(db->loginTimeOut(), db->timeOut());
    if (dialog.exec() == QDialog::Accepted) {
        WorkDir = dialog.workDir();
        Options = dialog.options();
        info->PrefixWithDbName = Options.PrefixWithDb;
        db->setLoginTimeOut(dialog.loginTimeout());
        db->setTimeOut(dialog.commandTimeout());
    }
    SaveSettings();
}

void Tf_main::a_cutExecute()
{
    m_view->cut();
}

void Tf_main::a_copyExecute()
{
    m_view->copy();
}

void Tf_main::a_pasteExecute()
{
    m_view->paste();
}

void Tf_main::a_deleteExecute()
{
    m_view->textCursor().removeSelectedText();
}

void Tf_main::a_clearExecute()
{
    m_view->clear();
}

void Tf_main::a_selectall_textExecute()
{
    m_view->setFocus();
    m_view->selectAll();
}

// Scripts are saved where the working directory is, unless the user goes elsewhere.
bool Tf_main::execSaveDialog()
{
    if (QFileInfo(WorkDir).isDir())
        SaveDialog->setDirectory(WorkDir);
    return SaveDialog->exec() == QDialog::Accepted && !SaveDialog->selectedFiles().isEmpty();
}

void Tf_main::a_saveExecute()
{
    if (!execSaveDialog())
        return;
    writeTextLines(SaveDialog->selectedFiles().constFirst(), viewLines(m_view));
}

void Tf_main::a_printExecute()
{
    // Qt prints nothing and says nothing when the printer cannot be opened: that is
    // found out first.
    const bool toFile = m_printer->outputFormat() == QPrinter::PdfFormat;
    // Without any printer Qt chooses a PDF file of no name.
    if (!m_printer->isValid() || (!toFile && QPrinterInfo(*m_printer).isNull()) ||
        (toFile && m_printer->outputFileName().isEmpty()))
        throw ESkelderError(QStringLiteral("There is no default printer currently selected"));
    if (toFile && !QFileInfo(QFileInfo(m_printer->outputFileName()).absolutePath()).isWritable())
        throw EFileError(QStringLiteral("Cannot print to \"%1\": its directory cannot be written.")
                             .arg(m_printer->outputFileName()));
    QTextDocument document;
    document.setDefaultFont(m_view->font());
    document.setPlainText(viewLines(m_view).join(QLatin1Char('\n')));
    document.print(m_printer.get());
    if (m_printer->printerState() == QPrinter::Error)
        throw ESkelderError(QStringLiteral("Printing failed"));
}

void Tf_main::a_print_setupExecute()
{
    // The printer and its page are chosen here and printed on by Print: the dialog's
    // accepting button says OK, as it prints nothing.
    QPrintDialog dialog(m_printer.get(), this);
    dialog.setObjectName(QStringLiteral("PrinterSetupDialog"));
    dialog.setWindowTitle(QStringLiteral("Printer Setup"));
    for (QDialogButtonBox* buttons : dialog.findChildren<QDialogButtonBox*>()) {
        if (QPushButton* accept = buttons->button(QDialogButtonBox::Ok))
            accept->setText(QStringLiteral("OK"));
    }
    dialog.exec();
}

void Tf_main::a_contentsExecute()
{
    if (!m_help)
        m_help = new THelpWindow(this);
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

void Tf_main::a_aboutExecute()
{
    Tf_about about(this);
    about.exec();
}
