// The command line of skelder-cli, parsed into what the run needs.
#pragma once

#include "AppSettings.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

struct TCliOptions {
    QString Server;
    QString User;
    QString Password;
    bool PasswordGiven = false;
    QString Rdbms = QStringLiteral("Sybase SQL Server");
    QStringList Databases;       // empty: every user database
    QList<ObjectKind> Kinds;     // empty: every kind of a database
    bool WholeServer = false;    // every kind, the server's own too, and every user database
    QStringList ObjectPatterns;  // empty: every object
    TScriptOptions Options;
    QString OutputFile;        // empty: standard output
    QString SeparateFilesDir;  // set: one file per object
    QString RepositoryDir;     // set: a repository of one file per object, kept up to date
    bool CheckOnly = false;    // with a repository: compare it, write nothing
    // Compare the one database of -D with this: another database of the server, a
    // database of another server entry ("ENTRY:DATABASE") or a repository directory.
    QString CompareTarget;
    QString CompareUser;  // empty: the same login
    QString ComparePassword;
    bool ComparePasswordGiven = false;
    QString MigrationFile;       // with --compare: the script that turns the target into -D
    bool DropExtra = false;      // the migration drops what only the target has
    bool AllowDataLoss = false;  // ... tables too
    bool List = false;
    bool Quiet = false;
    bool Header = true;
    bool PerObjectReads = false;  // never read a database's catalog whole
    QString TraceFile;            // set: statements and server messages are written to it
    int LoginTimeout = 0;         // seconds; the settings file's unless given
    int CommandTimeout = 0;       // seconds; the settings file's unless given
};

// The outcome of parsing: options, or the text to print and the exit status.
struct TCliParseResult {
    std::optional<TCliOptions> options;
    QString message;
    int exitCode = 0;
};

// Parses `arguments` (without the program name); defaults come from `settings`.
TCliParseResult parseCliArguments(const QStringList& arguments, const TAppSettings& settings);

// What --version prints: the program, its version, and the libraries it runs on.
QString cliVersionText();

// The settings file named by --settings, or the default one; read before parsing.
QString settingsFileArgument(const QStringList& arguments);

// The kind named on the command line ("tables"), if any.
std::optional<ObjectKind> kindFromName(const QString& name);
QString kindName(ObjectKind kind);

// SQL LIKE matching with % and _ wildcards, case-sensitive as the server compares.
bool likeMatch(const QString& pattern, const QString& text);
