#include "RegAuto.h"

#include "IniFileStore.h"
#include "IniStrings.h"
#include "RegistryStore.h"
#include "UserInterface.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMetaProperty>
#include <QRect>
#include <QSize>

namespace {
QString& globalIniFile()
{
    static QString fileName;
    return fileName;
}

QString& globalRegPath()
{
    static QString regPath;
    return regPath;
}

enum class PropertyKind { Unsupported, Integer, Float, String };

PropertyKind kindOf(const QMetaProperty& property)
{
    if (property.isEnumType())
        return PropertyKind::Integer;
    switch (property.metaType().id()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::UChar:
        case QMetaType::Bool:
        case QMetaType::QChar:
            return PropertyKind::Integer;
        case QMetaType::Double:
        case QMetaType::Float:
            return PropertyKind::Float;
        case QMetaType::QString:
        case QMetaType::QByteArray:
            return PropertyKind::String;
        default:
            return PropertyKind::Unsupported;
    }
}

bool isObjectProperty(const QMetaProperty& property)
{
    return property.metaType().flags().testFlag(QMetaType::PointerToQObject);
}
}  // namespace

struct TRegAuto::PropertyTarget {
    QObject* object = nullptr;
    QMetaProperty property;
    QString key;
};

TRegAuto::TRegAuto(QObject* owner) : QObject(owner), m_owner(owner)
{
    hookOwner();
}

TRegAuto::~TRegAuto() = default;

void TRegAuto::setAutoMode(bool on)
{
    m_autoMode = on;
    if (on)
        hookOwner();
}

void TRegAuto::setSaveWindowPlace(bool on)
{
    m_saveWindowPlace = on && m_owner && m_owner->isWidgetType();
}

void TRegAuto::setGlobalIniFile(const QString& fileName)
{
    globalIniFile() = fileName;
}

void TRegAuto::setGlobalRegPath(const QString& regPath)
{
    globalRegPath() = regPath;
}

QString TRegAuto::iniFilePath() const
{
    const QString name = GlobalSettings && !globalIniFile().isEmpty() ? globalIniFile() : IniFile;
    return TIniFileStore::resolvePath(name);
}

std::vector<std::unique_ptr<TValueStore>> TRegAuto::openStores()
{
    std::vector<std::unique_ptr<TValueStore>> stores;
    if (UseIni)
        stores.push_back(std::make_unique<TIniFileStore>(iniFilePath()));
    if (UseReg) {
        const QString path =
            GlobalSettings && !globalRegPath().isEmpty() ? globalRegPath() : RegPath;
        stores.push_back(std::make_unique<TRegistryStore>(path));
    }
    if (UseStr)
        stores.push_back(std::make_unique<TIniStrings>(IniStrings));
    return stores;
}

// Each open store is asked in turn with the caller's default; the last one answers,
// even when it lacks the key.
template <typename Read>
auto TRegAuto::readFromStores(Read read, decltype(read(std::declval<TValueStore&>())) defaultValue)
{
    auto result = defaultValue;
    for (const auto& store : openStores())
        result = read(*store);
    return result;
}

template <typename Write>
void TRegAuto::writeToStores(Write write)
{
    for (const auto& store : openStores())
        write(*store);
}

QString TRegAuto::ReadString(const QString& section, const QString& ident,
                             const QString& defaultValue)
{
    return readFromStores(
        [&](TValueStore& s) { return s.ReadString(section, ident, defaultValue); }, defaultValue);
}

int TRegAuto::ReadInteger(const QString& section, const QString& ident, int defaultValue)
{
    return readFromStores(
        [&](TValueStore& s) { return s.ReadInteger(section, ident, defaultValue); }, defaultValue);
}

bool TRegAuto::ReadBool(const QString& section, const QString& ident, bool defaultValue)
{
    return readFromStores([&](TValueStore& s) { return s.ReadBool(section, ident, defaultValue); },
                          defaultValue);
}

double TRegAuto::ReadFloat(const QString& section, const QString& ident, double defaultValue)
{
    return readFromStores([&](TValueStore& s) { return s.ReadFloat(section, ident, defaultValue); },
                          defaultValue);
}

void TRegAuto::WriteString(const QString& section, const QString& ident, const QString& value)
{
    writeToStores([&](TValueStore& s) { s.WriteString(section, ident, value); });
}

void TRegAuto::WriteInteger(const QString& section, const QString& ident, int value)
{
    writeToStores([&](TValueStore& s) { s.WriteInteger(section, ident, value); });
}

void TRegAuto::WriteBool(const QString& section, const QString& ident, bool value)
{
    writeToStores([&](TValueStore& s) { s.WriteBool(section, ident, value); });
}

void TRegAuto::WriteFloat(const QString& section, const QString& ident, double value)
{
    writeToStores([&](TValueStore& s) { s.WriteFloat(section, ident, value); });
}

QString TRegAuto::sectionName() const
{
    if (!Section.isEmpty())
        return Section;
    return m_owner ? m_owner->objectName() : QString();
}

// Resolves a Props line to the property it names; false when the line names no
// component or no supported property.
bool TRegAuto::resolveProperty(const QString& line, PropertyTarget& target) const
{
    if (!m_owner)
        return false;
    const int dot = line.indexOf(QLatin1Char('.'));
    QString path = line;
    target.key = line;
    target.object = m_owner;
    if (dot >= 0) {
        const QString componentName = line.left(dot);
        path = line.mid(dot + 1);
        if (componentName == m_owner->objectName()) {
            target.key = line.mid(dot);
        } else {
            target.object = m_owner->findChild<QObject*>(componentName);
            if (!target.object || componentName.isEmpty())
                return false;
        }
    }

    // Object-typed properties are descended into; the first property of any other
    // type ends the walk, whatever segments follow.
    for (const QString& segment : path.split(QLatin1Char('.'))) {
        const QMetaObject* meta = target.object->metaObject();
        const int index = meta->indexOfProperty(segment.toLatin1().constData());
        if (index < 0)
            return false;
        target.property = meta->property(index);
        if (!isObjectProperty(target.property))
            return kindOf(target.property) != PropertyKind::Unsupported;
        target.object = target.property.read(target.object).value<QObject*>();
        if (!target.object)
            return false;
    }
    return false;  // the path ended on an object
}

void TRegAuto::saveProperty(const QString& line)
{
    PropertyTarget target;
    if (!resolveProperty(line, target))
        return;
    const QVariant value = target.property.read(target.object);
    const QString section = sectionName();
    switch (kindOf(target.property)) {
        case PropertyKind::Integer:
            WriteInteger(section, target.key, value.toInt());
            break;
        case PropertyKind::Float:
            WriteFloat(section, target.key, value.toDouble());
            break;
        case PropertyKind::String:
            WriteString(section, target.key, value.toString());
            break;
        case PropertyKind::Unsupported:
            break;
    }
}

void TRegAuto::loadProperty(const QString& line)
{
    PropertyTarget target;
    if (!resolveProperty(line, target))
        return;
    const QVariant current = target.property.read(target.object);
    const QString section = sectionName();
    QVariant value;
    switch (kindOf(target.property)) {
        case PropertyKind::Integer:
            value = ReadInteger(section, target.key, current.toInt());
            break;
        case PropertyKind::Float:
            value = ReadFloat(section, target.key, current.toDouble());
            break;
        case PropertyKind::String:
            value = ReadString(section, target.key, current.toString());
            break;
        case PropertyKind::Unsupported:
            return;
    }
    if (value.canConvert(target.property.metaType()))
        value.convert(target.property.metaType());
    target.property.write(target.object, value);
}

void TRegAuto::Save()
{
    if (BeforeSave)
        BeforeSave(this);
    for (const QString& line : Props) {
        try {
            saveProperty(line);
        } catch (const std::exception&) {
            UserInterface::instance().showMessage(QCoreApplication::applicationName(),
                                                  QStringLiteral("TRegAuto: проблемы c ") + line,
                                                  UserInterface::Icon::Error);
        }
    }
    if (m_saveWindowPlace)
        saveWindowPlacement();
    if (AfterSave)
        AfterSave(this);
}

void TRegAuto::Load()
{
    if (BeforeLoad)
        BeforeLoad(this);
    try {
        if (m_saveWindowPlace)
            loadWindowPlacement();
        for (const QString& line : Props)
            loadProperty(line);
    } catch (const std::exception& error) {
        throw ERegAutoError(QStringLiteral("Проблемы c TRegAuto") + exceptionMessage(error));
    }
    if (AfterLoad)
        AfterLoad(this);
}

// The placement is read and written through the owner widget's Qt properties, so that
// this component needs no widget code.
void TRegAuto::saveWindowPlacement()
{
    const QRect normal = m_owner->property("normalGeometry").toRect();
    const QString section = sectionName();
    WriteInteger(section, QStringLiteral(".Left"), normal.left());
    WriteInteger(section, QStringLiteral(".Top"), normal.top());
    WriteInteger(section, QStringLiteral(".Right"), normal.left() + normal.width());
    WriteInteger(section, QStringLiteral(".Bottom"), normal.top() + normal.height());
    int state = 0;
    if (m_owner->property("minimized").toBool())
        state = 1;
    else if (m_owner->property("maximized").toBool())
        state = 2;
    WriteInteger(section, QStringLiteral(".WindowState"), state);
}

void TRegAuto::loadWindowPlacement()
{
    const QString section = sectionName();
    const QRect current = m_owner->property("geometry").toRect();
    const int left = ReadInteger(section, QStringLiteral(".Left"), current.left());
    const int top = ReadInteger(section, QStringLiteral(".Top"), current.top());
    int right = left + current.width();
    int bottom = top + current.height();
    const bool sizeable =
        m_owner->property("minimumSize").toSize() != m_owner->property("maximumSize").toSize();
    if (sizeable) {
        right = ReadInteger(section, QStringLiteral(".Right"), current.left() + current.width());
        bottom = ReadInteger(section, QStringLiteral(".Bottom"), current.top() + current.height());
    }
    m_owner->setProperty("geometry", QRect(left, top, right - left, bottom - top));

    int currentState = 0;
    if (m_owner->property("minimized").toBool())
        currentState = 1;
    else if (m_owner->property("maximized").toBool())
        currentState = 2;
    const int state = ReadInteger(section, QStringLiteral(".WindowState"), currentState);
    // A hidden window keeps its state until it is shown; a visible one changes at once.
    if (state != currentState && m_owner->property("visible").toBool()) {
        const char* slot = state == 2   ? "showMaximized"
                           : state == 1 ? "showMinimized"
                                        : "showNormal";
        QMetaObject::invokeMethod(m_owner, slot);
    }
}

// The owner's creation and destruction map onto its first show and its close.
void TRegAuto::hookOwner()
{
    if (m_ownerHooked || !m_owner || !m_owner->isWidgetType())
        return;
    m_owner->installEventFilter(this);
    m_ownerHooked = true;
}

bool TRegAuto::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_owner && m_autoMode) {
        if (event->type() == QEvent::Show && !m_ownerLoaded) {
            m_ownerLoaded = true;
            Load();
        } else if (event->type() == QEvent::Close) {
            Save();
        }
    }
    return QObject::eventFilter(watched, event);
}
