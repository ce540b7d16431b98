// The application's settings: generation options, file extensions, working directory,
// the "Append" toggle, the last login, the tree panel's width and the server timeouts,
// all in section
// "Config" of the settings store. The GUI and the command-line front end share them.
#pragma once

#include "ObjectKind.h"

#include <QString>
#include <array>

class TRegAuto;

// The generation options and the file extension of each object kind.
struct TScriptOptions {
    bool AddDrop = true;
    bool SeparateFiles = false;
    bool TriggerScript = false;
    bool IndexScript = false;
    bool PrivilegeScript = false;
    bool PrefixWithDb = true;
    // Logins get placeholders that stop the script until they are replaced, instead of
    // their stored password hashes.
    bool PasswordPlaceholders = false;
    // Where device files go on the new machine; empty keeps each device's own path.
    QString DeviceDirectory;
    std::array<QString, EveryKindCount> Extensions;  // without the dot, in kind order

    TScriptOptions();
    QString& extension(ObjectKind kind) { return Extensions[static_cast<int>(kind)]; }
    const QString& extension(ObjectKind kind) const { return Extensions[static_cast<int>(kind)]; }
};

struct TAppSettings {
    static const char* const SectionName;  // "Config"
    static const char* const FileName;     // "Skelder.ini"

    QString WorkDir;
    TScriptOptions Options;
    bool Append = false;
    QString ServerName = QStringLiteral("DSQUERY");
    QString UserName = QStringLiteral("sa");
    int ExplorerWidth = 250;
    // Seconds to wait for the server at login and for each answer to a command before
    // the run ends with an error.
    int LoginTimeout = 30;
    int CommandTimeout = 600;

    TAppSettings();

    // The working directory used when none is stored: the platform's temporary directory.
    static QString defaultWorkDir();

    // Reads every key in its order, each with its default.
    void Load(TRegAuto& store);
    // Writes every key in the same order; the caller then calls the store's Save.
    void Save(TRegAuto& store) const;
};

// Sets a store up as the application's settings file.
void configureSettingsStore(TRegAuto& store);
