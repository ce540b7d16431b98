// The records the catalog reader returns: plain values owned by the caller.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

// sysprotects.action, decoded.
enum class TProtectAction : uint8_t {
    paNone = 0,
    paSelect = 1,
    paInsert = 2,
    paDelete = 3,
    paUpdate = 4,
    paExecute = 5,
    paReferences = 6,
    paCreateDatabase = 7,
    paCreateDefault = 8,
    paCreateProcedure = 9,
    paCreateRule = 10,
    paCreateTable = 11,
    paCreateView = 12,
    paDumpDatabase = 13,
    paDumpTransaction = 14,
    // Table privileges of 15.x that "grant all" gives as well.
    paDeleteStatistics = 15,
    paTruncateTable = 16,
    paUpdateStatistics = 17,
    paTransferTable = 18,
    paDecrypt = 19,
};

// sysprotects.protecttype, decoded.
enum class TProtectType : uint8_t {
    ptNone = 0,
    ptGrantWithGrant = 1,
    ptGrant = 2,
    ptRevoke = 3,
};

// The condition GetProtects adds to its statement.
enum class TProtectFilter { pfNone, pfObjectId, pfObjectName, pfUserId, pfUserName, pfAction };

struct TCTColumn {
    QString Name;
    int32_t Length = 0;
    int32_t Scale = 0;
    int32_t Prec = 0;
    QString TypeName;
    int32_t Status = 0;
};

struct TCTProtect {
    int32_t Id = 0;
    QString ObjectName;
    int32_t UId = 0;
    QString UserName;
    TProtectAction Action = TProtectAction::paNone;
    int32_t ActionCode = 0;  // sysprotects.action, also when Action does not know it
    TProtectType ProtectType = TProtectType::ptNone;
    int32_t Grantor = 0;
    QString GrantorName;
    // The columns a column-level row covers, in column order; empty when the row
    // covers the whole object (sysprotects.columns NULL or only its "all columns" bit).
    QStringList ColumnNames;
    // The columns a row on the whole object leaves out: a column-level REVOKE after a
    // grant on the whole object keeps the "all columns" bit and marks these.
    QStringList ExceptedColumns;
};

using TCTProtectList = QList<TCTProtect>;
using TCTColumnList = QList<TCTColumn>;

// One sysobjects row with its trigger names.
struct TCTObject {
    QString Name;
    int32_t Id = 0;
    int32_t UId = 0;
    QString OwnerName;
    QString ObjType;  // at most 2 characters
    std::optional<TCTColumnList> Columns;
    std::optional<TCTProtectList> Protects;
    int32_t DelTrigId = 0;
    QString DelTrigName;
    int32_t InsTrig = 0;
    QString InsTrigName;
    int32_t UpdTrig = 0;
    QString UpdTrigName;
    QString CreateDate;  // at most 28 characters
    uint8_t Status = 0;  // set of 8 flags from sysobjects.sysstat2 (TObjectStatusElement)
    // A trigger disabled with ALTER TABLE ... DISABLE TRIGGER (DelTrigName is its table).
    bool TriggerDisabled = false;
    // Its syscolumns rows (a procedure's are its parameters, counted apart).
    int32_t ColumnCount = 0;
};

// Elements of TCTObject::Status, in the order of their sysstat2 bits.
enum TObjectStatusElement {
    osReferenced,       // 0x1
    osHasForeignKey,    // 0x2
    osSeveralChecks,    // 0x4
    osHasPrimaryKey,    // 0x8
    osChainedOnly,      // 0x10: a procedure that runs only in chained mode
    osAnyMode,          // 0x20: a procedure that runs in either mode
    osHasIdentity,      // 0x40
    osFixedLengthRows,  // 0x200
};

inline bool hasStatus(const TCTObject& object, TObjectStatusElement element)
{
    return (object.Status & (1u << element)) != 0;
}

// One sysindexes row.
struct TCTIndex {
    QString Name;
    int32_t Id = 0;
    QString TableName;
    int16_t IndId = 0;
    int16_t Segment = 0;
    QString SegmentName;
    int16_t MinLen = 0;
    int16_t MaxLen = 0;
    int16_t SoId = 0;
    uint16_t Status = 0;  // set of 10 flags (element n = bit n)
    uint8_t Status2 = 0;  // set of 7 flags
};

// Elements of TCTIndex::Status.
enum TIndexStatusElement {
    isIgnoreDupKey = 0,
    isUnique = 1,
    isIgnoreDupRow = 2,
    isClustered = 3,
    isAllowDupRow = 4,
    isSortedData = 6,
};

// One sysusers row with its group.
struct TCTUser {
    QString Name;
    int32_t SuId = 0;
    int32_t UId = 0;
    int32_t GId = 0;
    QString GroupName;
    QString LoginName;  // empty when the user has no login
};

// A user or group of a database: its uid (a group's is its gid), and whether it owns
// tables.
struct TCTPrincipal {
    QString Name;
    int32_t UId = 0;
    bool OwnsTables = false;
};

// One user datatype.
struct TCTType {
    QString TypeName;
    QString StorageType;
    int32_t Length = 0;
    int32_t Prec = 0;
    int32_t Scale = 0;
    int32_t Nulls = 0;
    QString DefaultName;
    QString RuleName;
    uint8_t Identity = 0;
};

// A table's lock scheme and the storage options of its data row in sysindexes.
struct TCTTableStorage {
    int32_t Id = 0;
    QString LockScheme;  // "allpages", "datapages" or "datarows"
    int32_t MaxRowsPerPage = 0;
    int32_t ExpRowSize = 0;
    int32_t ReservePageGap = 0;
    int32_t IdentityGap = 0;
    QString SegmentName;
    QString DmlLogging;  // "full" or "minimal" when set for the table; empty: the database's
};

// A declared constraint of a table, as CREATE TABLE or ALTER TABLE writes it.
struct TCTConstraint {
    enum class Kind { PrimaryKey, Unique, Check, ForeignKey };
    Kind ConstraintKind = Kind::Check;
    QString IndexName;     // the index of a primary key or unique constraint
    QString Name;          // empty for a name the server generated (primary key, unique)
    int32_t ColumnId = 0;  // a check on one column: its colid; 0 for a table-level check
    int16_t IndexId = 0;   // the index of a primary key or unique constraint
    bool Clustered = false;
    QStringList Keys;     // key columns, "name" or "name DESC"
    QStringList Options;  // "fillfactor = 80", ...
    QString SegmentName;
    QString CheckText;  // a check's text as stored: "check (...)" or "constraint c check (...)"
    bool CheckTextRowMissing = false;  // a syscomments row of the check's text is missing
    QString ReferencedTable;     // owner.table of a foreign key; db.owner.table in another database
    QString ReferencedDatabase;  // empty: this database
    int32_t ReferencedTableId = 0;
    QStringList ReferencedKeys;
    bool MatchFull = false;
};

using TCTConstraintList = QList<TCTConstraint>;

// Where a rule or default is bound: a user datatype (Column empty, Owner empty) or a
// column of the table Owner.Table.
struct TCTBoundTarget {
    QString Owner;
    QString Table;  // the datatype's name for a datatype
    QString Column;
    bool isDatatype() const { return Column.isEmpty(); }
};

// A foreign key of another table that references a table: its name and owner.table.
struct TCTReference {
    QString Name;
    QString Table;
};

// A default or rule bound to a column with sp_bindefault or sp_bindrule.
struct TCTColumnBinding {
    QString Column;
    QString Object;  // owner.name of the default or rule
    bool IsRule = false;
};

// A view, procedure or trigger, for ordering them by their dependencies.
struct TCTCompiledObject {
    int32_t Id = 0;
    QString Owner;
    QString Name;
    QString CreateDate;  // yyyy-mm-ddThh:mm:ss, so that text order is time order
};

// syscomments.status bits.
constexpr int kTextHidden = 0x1;            // sp_hidetext
constexpr int kTextQuotedIdentifier = 0x4;  // created with quoted_identifier on

// The stored source of an object, joined from its syscomments rows.
struct TCTStoredText {
    QString Text;  // empty when hidden
    bool Hidden = false;
    bool QuotedIdentifiers = false;
    // A syscomments row of it is missing: the text is not whole.
    bool RowMissing = false;
};

// The text every definition builder returns when the catalog has nothing for the object.
inline const QString DataNotAvailable = QStringLiteral("/* Data not available */");
