// The main window: owns the long-lived components, holds the application state, and
// handles start-up, closing, the options and the text view's commands.
#pragma once

#include "AppSettings.h"
#include "BackgroundCall.h"
#include "ExplorerModel.h"
#include "MarkedObject.h"

#include "SchemaCompare.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <memory>

class QAction;
class QFileDialog;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPrinter;
class QSplitter;
class QToolBar;
class QToolButton;
class QTreeView;
class QModelIndex;
class TExplorerItemModel;
class TCTLibDatabase;
class TCTLibEnhQuery;
class TCTLibObjInfo;
class TRAProgressForm;
class TRegAuto;
class TScriptSink;
class TViewSink;
class THelpWindow;

class Tf_main : public QMainWindow {
    Q_OBJECT

public:
    explicit Tf_main(QWidget* parent = nullptr);
    ~Tf_main() override;

    // Commands.
    QAction* a_file_exit;
    QAction* a_connect;
    QAction* a_disconnect;
    QAction* a_options;
    QAction* a_view;
    QAction* a_generate;
    // Keeps a schema repository of the marked objects up to date (not on SQL Anywhere).
    QAction* a_repository;
    // Compares two databases of the server (not on SQL Anywhere).
    QAction* a_compare;
    QAction* a_select_all;
    QAction* a_unselect_all;
    QAction* a_invert;
    QAction* a_cut;
    QAction* a_copy;
    QAction* a_paste;
    QAction* a_delete;
    QAction* a_clear;
    QAction* a_selectall_text;
    QAction* a_save;
    QAction* a_print;
    QAction* a_print_setup;
    QAction* a_about;
    QAction* a_contents;

    // Visible parts.
    QWidget* pan_explorer;
    QTreeView* tv_main;
    QSplitter* Splitter1;
    QPlainTextEdit* m_view;
    QToolButton* btn_append;
    QMenu* pum_explorer;
    QMenu* pum_memo;
    QLabel* statusPanel(int index) const;

    // Owned components.
    TCTLibDatabase* db;
    TCTLibObjInfo* info;
    TCTLibEnhQuery* query;
    TRegAuto* raCommon;
    TRAProgressForm* RAProgressForm1;
    TRAProgressForm* RAProgressForm2;
    QFileDialog* SaveDialog;
    QPrinter* printer() const { return m_printer.get(); }

    // Application state.
    QString WorkDir;
    TScriptOptions Options;
    int SelectedCount = 0;
    QString ObjName;
    QString ObjQualifier;
    QStringList ScriptLines;
    QStringList Unscripted;  // objects the last run left out, with the reason
    QStringList SectionLines;
    QString CurDb;
    QString DbPrefix;
    bool UseWritten = false;
    QString TargetPath;
    bool ToFile = false;

    void LoadSettings();
    void SaveSettings();
    void UpdateSelectionCount(int delta);
    void UpdateTextActions();

    // The width of the tree panel as it is now.
    int explorerWidth() const;

    // The object explorer.
    void FillDatabaseTree();
    void LoadFolder(const QString& database, const QModelIndex& folder, ObjectKind kind);
    void leaveFolderUnread(const QModelIndex& folder);
    void tv_mainExpanding(const QModelIndex& node);
    // Marks or unmarks the current node, if it is an object.
    void tv_mainClick();
    void pum_explorerPopup();
    void a_select_allExecute();
    void a_unselect_allExecute();
    void a_invertExecute();
    // The marked objects in tree order.
    TMarkedObjectList MarkedObjects() const;

    void a_file_exitExecute();
    void a_connectExecute();
    void a_disconnectExecute();
    void a_viewExecute();
    void a_generateExecute();
    void a_repositoryExecute();
    void a_compareExecute();
    // Every object of `database`, written as repository texts with a progress window.
    TSchemaTextSet readSchemaTexts(const QString& database);
    // The migration from `target` to `source` (databases of this server) into the view.
    void viewMigration(const QString& source, const QString& target, TMigrationPlan plan);
    void a_optionsExecute();
    void a_cutExecute();
    void a_copyExecute();
    void a_pasteExecute();
    void a_deleteExecute();
    void a_clearExecute();
    void a_selectall_textExecute();
    void a_saveExecute();
    void a_printExecute();
    void a_print_setupExecute();
    void a_aboutExecute();
    // Shows the bundled help page in its window (F1, Help > Contents, the Help button).
    void a_contentsExecute();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool execSaveDialog();
    bool takeConnectShortcut(QEvent* event);
    void trackTreeClick(QEvent* event);
    void enableFolderCommands();
    void FormCreate();
    void FormActivate();
    void FormClose();

    void createActions();
    void createMenus();
    void createToolBars();
    void createCentralArea();
    void createStatusBar();
    void createComponents();
    void connectCommands();
    void applyExplorerWidth(int width);
    void setConnectedState(bool connected);
    // The title, the status bar and the commands say whether the window is connected, and
    // whether the connection was lost.
    void showConnectionState();
    void reconnect();
    void logIn();
    // A wait on the connection's server, shown with a Cancel button once it is long.
    ServerWait serverWait(const QString& waitingFor) const;
    // Raises what to say about the lost connection, if it is lost.
    void requireLiveConnection() const;
    QString lostConnectionText() const;
    void BuildScript();
    void BuildSeparateFiles();
    void BuildRepository();
    // One message naming the objects the last run could not script, if any.
    void ReportUnscripted();
    // Says that Generate was cancelled and what became of the files.
    void reportCancelledGeneration(const QString& outcome);
    // Ends the view with a comment saying that its last script is incomplete.
    void noteIncompleteView();
    struct CounterReset;
    // Marks, unmarks or toggles every object of the current folder.
    using MarkChange = TExplorerModel::MarkChange;
    void changeFolderMarks(MarkChange change);
    void fitTreeColumn();

    QToolBar* m_mainToolBar = nullptr;
    QToolBar* m_textToolBar = nullptr;
    QLabel* m_statusPanels[2] = {nullptr, nullptr};
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<TViewSink> m_viewSink;
    QPointer<THelpWindow> m_help;
    int m_explorerWidth = 250;
    // The databases, folders, objects and marks the tree shows.
    TExplorerModel m_explorer;
    TExplorerItemModel* m_explorerItems = nullptr;  // what the tree shows of m_explorer
    // The missing working directory the user was last told about.
    QString m_reportedMissingWorkDir;
    // Whether the left button was pressed in the tree and not yet released.
    bool m_leftPressed = false;
    // Whether the user cancelled the last View or Generate.
    bool m_runCancelled = false;
    QString m_repositorySummary;  // what the last repository run changed
    // Whether the main window's next activation counts (see event()).
    bool m_activatedOnReturn = true;
};
