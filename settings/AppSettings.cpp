#include "AppSettings.h"

#include "RegAuto.h"

#include <QDir>

const char* const TAppSettings::SectionName = "Config";
const char* const TAppSettings::FileName = "Skelder.ini";

namespace {
// The extension keys in kind order.
constexpr std::array<const char*, EveryKindCount> extensionKeys = {
    "Users Ext",    "Groups Ext",    "Tables Ext",  "Views Ext",          "Indexes Ext",
    "Triggers Ext", "Procs Ext",     "Rules Ext",   "Data Types Ext",     "Logins Ext",
    "Roles Ext",    "Databases Ext", "Devices Ext", "Remote Servers Ext", "Configuration Ext",
};

// A number of seconds; anything but a positive number gives the default.
int readSeconds(TRegAuto& store, const QString& section, const QString& key, int defaultValue)
{
    const int seconds = store.ReadInteger(section, key, defaultValue);
    return seconds > 0 ? seconds : defaultValue;
}
}  // namespace

TScriptOptions::TScriptOptions()
{
    for (ObjectKind kind : EveryKind)
        extension(kind) = defaultExtension(kind);
}

TAppSettings::TAppSettings() : WorkDir(defaultWorkDir()) {}

QString TAppSettings::defaultWorkDir()
{
    return QDir::tempPath();
}

void TAppSettings::Load(TRegAuto& store)
{
    const QString section = QString::fromLatin1(SectionName);
    const TAppSettings defaults;
    WorkDir = store.ReadString(section, QStringLiteral("Working directory"), defaults.WorkDir);
    for (ObjectKind kind : AllObjectKinds) {
        Options.extension(kind) =
            store.ReadString(section, QString::fromLatin1(extensionKeys[static_cast<int>(kind)]),
                             defaults.Options.extension(kind));
    }
    const TScriptOptions& d = defaults.Options;
    Options.AddDrop = store.ReadBool(section, QStringLiteral("Add DROP"), d.AddDrop);
    Options.SeparateFiles =
        store.ReadBool(section, QStringLiteral("Seperate files"), d.SeparateFiles);
    Options.TriggerScript =
        store.ReadBool(section, QStringLiteral("Trigger Script"), d.TriggerScript);
    Options.IndexScript = store.ReadBool(section, QStringLiteral("Index Script"), d.IndexScript);
    Options.PrivilegeScript =
        store.ReadBool(section, QStringLiteral("Privilege Script"), d.PrivilegeScript);
    Options.PrefixWithDb =
        store.ReadBool(section, QStringLiteral("Prefix Db Name"), d.PrefixWithDb);
    Append = store.ReadBool(section, QStringLiteral("Append"), defaults.Append);
    ServerName = store.ReadString(section, QStringLiteral("Server Name"), defaults.ServerName);
    UserName = store.ReadString(section, QStringLiteral("User Name"), defaults.UserName);
    ExplorerWidth =
        store.ReadInteger(section, QStringLiteral("Explorer Width"), defaults.ExplorerWidth);
    LoginTimeout =
        readSeconds(store, section, QStringLiteral("Login Timeout"), defaults.LoginTimeout);
    CommandTimeout =
        readSeconds(store, section, QStringLiteral("Command Timeout"), defaults.CommandTimeout);
    // The server's own objects came later: their keys follow the others.
    for (ObjectKind kind : AllServerKinds) {
        Options.extension(kind) =
            store.ReadString(section, QString::fromLatin1(extensionKeys[static_cast<int>(kind)]),
                             defaults.Options.extension(kind));
    }
    Options.PasswordPlaceholders =
        store.ReadBool(section, QStringLiteral("Password Placeholders"), d.PasswordPlaceholders);
    Options.DeviceDirectory =
        store.ReadString(section, QStringLiteral("Device Directory"), d.DeviceDirectory);
}

void TAppSettings::Save(TRegAuto& store) const
{
    const QString section = QString::fromLatin1(SectionName);
    store.WriteString(section, QStringLiteral("Working directory"), WorkDir);
    for (ObjectKind kind : AllObjectKinds) {
        store.WriteString(section, QString::fromLatin1(extensionKeys[static_cast<int>(kind)]),
                          Options.extension(kind));
    }
    store.WriteBool(section, QStringLiteral("Add DROP"), Options.AddDrop);
    store.WriteBool(section, QStringLiteral("Seperate files"), Options.SeparateFiles);
    store.WriteBool(section, QStringLiteral("Trigger Script"), Options.TriggerScript);
    store.WriteBool(section, QStringLiteral("Index Script"), Options.IndexScript);
    store.WriteBool(section, QStringLiteral("Privilege Script"), Options.PrivilegeScript);
    store.WriteBool(section, QStringLiteral("Prefix Db Name"), Options.PrefixWithDb);
    store.WriteBool(section, QStringLiteral("Append"), Append);
    store.WriteString(section, QStringLiteral("Server Name"), ServerName);
    store.WriteString(section, QStringLiteral("User Name"), UserName);
    store.WriteInteger(section, QStringLiteral("Explorer Width"), ExplorerWidth);
    store.WriteInteger(section, QStringLiteral("Login Timeout"), LoginTimeout);
    store.WriteInteger(section, QStringLiteral("Command Timeout"), CommandTimeout);
    for (ObjectKind kind : AllServerKinds) {
        store.WriteString(section, QString::fromLatin1(extensionKeys[static_cast<int>(kind)]),
                          Options.extension(kind));
    }
    store.WriteBool(section, QStringLiteral("Password Placeholders"), Options.PasswordPlaceholders);
    store.WriteString(section, QStringLiteral("Device Directory"), Options.DeviceDirectory);
}

void configureSettingsStore(TRegAuto& store)
{
    store.IniFile = QString::fromLatin1(TAppSettings::FileName);
    store.UseIni = true;
    store.UseReg = false;
    store.RegPath = QStringLiteral("Software\\\\Skelder");
    store.IniStrings = QStringList{QStringLiteral("UserName")};
    store.Props = QStringList{QStringLiteral("UserName")};
    store.setAutoMode(false);
    store.setSaveWindowPlace(false);
}
