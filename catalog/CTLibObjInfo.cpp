#include "CTLibObjInfo.h"

#include "CTLibDatabase.h"
#include "CTLibEnhQuery.h"
#include "CatalogRead.h"
#include "CatalogSnapshot.h"
#include "CatalogStatements.h"

namespace Sql = CatalogStatements;
using Sql::CatalogSet;

namespace {

// sysobjects.sysstat2 bits kept in TCTObject::Status, by set element.
constexpr uint32_t kObjectStatusBits[] = {0x1, 0x2, 0x4, 0x8, 0x10, 0x20, 0x40, 0x200};

uint8_t decodeObjectStatus(uint32_t sysstat2)
{
    uint8_t flags = 0;
    for (int element = 0; element < 8; ++element) {
        if (sysstat2 & kObjectStatusBits[element])
            flags |= uint8_t(1u << element);
    }
    return flags;
}

TCTObject objectFromRow(const CatalogRead& read)
{
    TCTObject object;
    object.Name = read.text(1);
    object.Id = read.integer(2);
    object.UId = read.integer(3);
    object.OwnerName = read.text(4);
    object.ObjType = read.text(5).left(2);
    object.DelTrigId = read.integer(6);
    object.DelTrigName = read.text(7);
    object.InsTrig = read.integer(8);
    object.InsTrigName = read.text(9);
    object.UpdTrig = read.integer(10);
    object.UpdTrigName = read.text(11);
    object.CreateDate = read.text(12).left(28);
    object.Status = decodeObjectStatus(static_cast<uint32_t>(read.integer(13)));
    object.TriggerDisabled = read.integer(14) != 0;
    object.ColumnCount = read.integer(15);
    return object;
}

}  // namespace

TCTLibObjInfo::TCTLibObjInfo(QObject* owner) : TCTLibBase(owner) {}

TCTLibObjInfo::~TCTLibObjInfo() = default;

void TCTLibObjInfo::setWholeDatabaseReads(bool on)
{
    if (on == m_wholeDatabaseReads && !m_selection)
        return;
    m_wholeDatabaseReads = on;
    m_selection.reset();
    m_snapshot.reset();
}

void TCTLibObjInfo::setSelectionReads(const QSet<QString>& names)
{
    m_wholeDatabaseReads = false;
    m_selection = names;
    m_snapshot.reset();
}

int TCTLibObjInfo::GetObjectCount()
{
    CatalogRead read(*this, CatalogRead::Mode::LanguageCommand);
    read.open({QStringLiteral("SELECT count(*) FROM ") + m_selectDb +
               QStringLiteral(".dbo.sysobjects WHERE type <> 'S'")});
    return read.next() ? read.integer(1) : 0;
}

TCatalogSnapshot* TCTLibObjInfo::snapshot()
{
    if ((!m_wholeDatabaseReads && !m_selection) || !isSybase())
        return nullptr;
    if (!m_snapshot || m_snapshot->database() != m_selectDb) {
        m_snapshot = std::make_unique<TCatalogSnapshot>(m_selectDb);
        if (m_selection)
            m_snapshot->setScope(*m_selection);
    }
    return m_snapshot.get();
}

void TCTLibObjInfo::setRemembersReads(bool on)
{
    m_memo = on ? std::make_unique<TCatalogMemo>() : nullptr;
}

void TCTLibObjInfo::ForgetReads()
{
    if (m_memo)
        m_memo = std::make_unique<TCatalogMemo>();
}

void TCTLibObjInfo::CheckSelectDb()
{
    if (!trimBlanks(m_selectDb).isEmpty())
        return;
    CheckDatabaseName(DbName, this);
    m_selectDb = FindDatabase(DbName)->dbName();
}

TCTLibDatabase& TCTLibObjInfo::prepareRead()
{
    CheckDatabaseName(DbName, this);
    CheckSelectDb();
    return *FindDatabase(DbName);
}

bool TCTLibObjInfo::isSqlAnywhere()
{
    return prepareRead().Rdbms == kSqlAnywhere;
}

bool TCTLibObjInfo::isSybase()
{
    return prepareRead().Rdbms == kSybaseSqlServer;
}

QString TCTLibObjInfo::nameArgument(const QString& name) const
{
    return ExactNames ? nameWithoutPadding(name) : trimBlanks(name);
}

QString TCTLibObjInfo::GetObjectOwner(const QString& objectName)
{
    prepareRead();
    CatalogRead read(*this);
    read.open(CatalogSet::Objects, {nameArgument(objectName)});
    QString owner;
    while (read.next())
        owner = read.text(4);
    return owner;
}

QString TCTLibObjInfo::GetObjectOwnerOrDbo(const QString& objectName)
{
    const QString owner = GetObjectOwner(objectName);
    return owner.isEmpty() ? QStringLiteral("dbo") : owner;
}

std::optional<TCTObject> TCTLibObjInfo::objectRow(const QString& owner, const QString& name,
                                                  const QString& type)
{
    CatalogRead read(*this, CatalogRead::Mode::LanguageCommand);
    read.open(CatalogSet::Objects, {name, owner});
    std::optional<TCTObject> object;
    while (read.next()) {
        if (type.isEmpty() || trimBlanks(read.text(5)) == type)
            object = objectFromRow(read);
    }
    return object;
}

std::optional<TCTObject> TCTLibObjInfo::GetObjectInfo(const QString& objectName, bool withColumns,
                                                      bool withProtects, const QString& owner)
{
    TCTLibDatabase& connection = prepareRead();
    std::optional<TCTObject> object;
    {
        CatalogRead read(*this);
        const QString name = nameArgument(objectName);
        read.open(CatalogSet::Objects,
                  owner.isEmpty() ? QStringList{name} : QStringList{name, owner});
        // When the name exists under several owners, the last row wins.
        while (read.next())
            object = objectFromRow(read);
    }
    if (!object)
        return std::nullopt;
    if (withColumns) {
        // The column list is a convenience: failing to read it leaves it out.
        try {
            object->Columns =
                GetColumns(connection.dbName() + "." + object->OwnerName + "." + object->Name,
                           object->ObjType);
        } catch (...) {
            object->Columns.reset();
        }
    }
    if (withProtects) {
        // By id: objects of the same name under other owners have privileges of their own.
        object->Protects = GetProtects(TProtectFilter::pfObjectId, QString::number(object->Id),
                                       TProtectAction::paNone);
    }
    return object;
}

std::optional<TCTColumnList> TCTLibObjInfo::GetColumns(const QString& qualifiedName,
                                                       const QString& objType)
{
    const QString type = objType.toUpper();
    const bool describesTable = type == "U" || type == "S" || type == "V";
    if (!describesTable && type != "P")
        return std::nullopt;

    const bool sqlAnywhere = isSqlAnywhere();
    TCTColumnList columns;
    CatalogRead read(*this);
    TCTLibEnhQuery& query = read.query();
    if (describesTable) {
        read.describe(Sql::describeTable(nameArgument(qualifiedName)));
        for (int n = 1; n <= query.ColumnCount(); ++n) {
            columns.append({query.ColumnName(n), query.ColumnLength(n), query.ColumnScale(n),
                            query.ColumnPrecision(n), query.ColumnTypeName(n),
                            query.ColumnStatus(n)});
        }
        return columns;
    }
    read.open(Sql::procedureParameters(m_selectDb, nameArgument(qualifiedName), sqlAnywhere));
    while (read.next()) {
        columns.append(
            {read.text(1), read.integer(2), read.integer(3), read.integer(4), read.text(5), 0});
    }
    return columns;
}
