// TRegAuto reads and writes named values in up to three stores at once (an INI file,
// the registry, INI text in a list of strings) and saves and restores listed
// properties of its owner's components and the owner's window placement.
#pragma once

#include "Exceptions.h"

#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class TValueStore;

class ERegAutoError : public ESkelderError {
public:
    using ESkelderError::ESkelderError;
};

class TRegAuto : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString RegPath MEMBER RegPath)
    Q_PROPERTY(QString IniFile MEMBER IniFile)
    Q_PROPERTY(QStringList IniStrings MEMBER IniStrings)
    Q_PROPERTY(QStringList Props MEMBER Props)
    Q_PROPERTY(bool AutoMode READ autoMode WRITE setAutoMode)
    Q_PROPERTY(bool SaveWindowPlace READ saveWindowPlace WRITE setSaveWindowPlace)
    Q_PROPERTY(bool UseIni MEMBER UseIni)
    Q_PROPERTY(bool UseReg MEMBER UseReg)
    Q_PROPERTY(bool UseStr MEMBER UseStr)
    Q_PROPERTY(bool GlobalSettings MEMBER GlobalSettings)
    Q_PROPERTY(QString Section MEMBER Section)

public:
    using TNotifyEvent = std::function<void(QObject* sender)>;

    // The owner is the form whose components `Props` names.
    explicit TRegAuto(QObject* owner);
    ~TRegAuto() override;

    QString RegPath = QStringLiteral("Software\\Skelder\\RegAuto");
    QString IniFile;
    QStringList IniStrings;
    QStringList Props;
    bool UseIni = false;
    bool UseReg = true;
    bool UseStr = false;
    bool GlobalSettings = true;
    QString Section;

    TNotifyEvent BeforeLoad, AfterLoad, BeforeSave, AfterSave;

    bool autoMode() const { return m_autoMode; }
    void setAutoMode(bool on);
    bool saveWindowPlace() const { return m_saveWindowPlace; }
    // Accepted only when the owner is a widget; otherwise it stays off.
    void setSaveWindowPlace(bool on);

    // Program-wide overrides of IniFile and RegPath, honoured while GlobalSettings is on.
    static void setGlobalIniFile(const QString& fileName);
    static void setGlobalRegPath(const QString& regPath);

    QString ReadString(const QString& section, const QString& ident, const QString& defaultValue);
    int ReadInteger(const QString& section, const QString& ident, int defaultValue);
    bool ReadBool(const QString& section, const QString& ident, bool defaultValue);
    double ReadFloat(const QString& section, const QString& ident, double defaultValue);
    void WriteString(const QString& section, const QString& ident, const QString& value);
    void WriteInteger(const QString& section, const QString& ident, int value);
    void WriteBool(const QString& section, const QString& ident, bool value);
    void WriteFloat(const QString& section, const QString& ident, double value);

    // Writes every property listed in Props (and the window placement when asked).
    void Save();
    // Reads them back.
    void Load();

    // The INI file the store uses, after the global override and path resolution.
    QString iniFilePath() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct PropertyTarget;

    std::vector<std::unique_ptr<TValueStore>> openStores();
    template <typename Read>
    auto readFromStores(Read read, decltype(read(std::declval<TValueStore&>())) defaultValue);
    template <typename Write>
    void writeToStores(Write write);

    QString sectionName() const;
    bool resolveProperty(const QString& line, PropertyTarget& target) const;
    void saveProperty(const QString& line);
    void loadProperty(const QString& line);
    void saveWindowPlacement();
    void loadWindowPlacement();
    void hookOwner();

    QObject* m_owner;
    bool m_autoMode = true;
    bool m_saveWindowPlace = false;
    bool m_ownerHooked = false;
    bool m_ownerLoaded = false;
};
