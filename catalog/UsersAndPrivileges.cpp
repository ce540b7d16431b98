// Users, user datatypes and privileges.
#include "CTLibObjInfo.h"
#include "CatalogRead.h"
#include "CatalogStatements.h"

#include <QByteArray>
#include <QHash>
#include <QPair>

namespace Sql = CatalogStatements;

namespace {

constexpr int kTypeFieldLength = 30;

// sysprotects.action codes of the decoded privileges.
struct ActionCode {
    TProtectAction action;
    int code;
};
constexpr ActionCode kActionCodes[] = {
    {TProtectAction::paSelect, 193},           {TProtectAction::paInsert, 195},
    {TProtectAction::paDelete, 196},           {TProtectAction::paUpdate, 197},
    {TProtectAction::paExecute, 224},          {TProtectAction::paReferences, 151},
    {TProtectAction::paCreateDatabase, 203},   {TProtectAction::paCreateDefault, 233},
    {TProtectAction::paCreateProcedure, 222},  {TProtectAction::paCreateRule, 236},
    {TProtectAction::paCreateTable, 198},      {TProtectAction::paCreateView, 207},
    {TProtectAction::paDumpDatabase, 228},     {TProtectAction::paDumpTransaction, 235},
    {TProtectAction::paDeleteStatistics, 282}, {TProtectAction::paTruncateTable, 320},
    {TProtectAction::paUpdateStatistics, 326}, {TProtectAction::paTransferTable, 368},
    {TProtectAction::paDecrypt, 353},
};

TProtectAction decodeAction(int code)
{
    for (const ActionCode& entry : kActionCodes) {
        if (entry.code == code)
            return entry.action;
    }
    return TProtectAction::paNone;
}

int actionCode(TProtectAction action)
{
    for (const ActionCode& entry : kActionCodes) {
        if (entry.action == action)
            return entry.code;
    }
    return 0;
}

TProtectType decodeProtectType(int value)
{
    switch (value) {
        case 0:
            return TProtectType::ptGrantWithGrant;
        case 1:
            return TProtectType::ptGrant;
        case 2:
            return TProtectType::ptRevoke;
        default:
            return TProtectType::ptNone;
    }
}

// The condition GetProtects adds. Ids must be numbers, so that no other text can reach
// the statement through them.
QString filterLine(const QString& db, TProtectFilter filter, const QString& value,
                   TProtectAction action)
{
    switch (filter) {
        case TProtectFilter::pfNone:
            return QString();
        case TProtectFilter::pfObjectId:
            return Sql::protectsOfObjectId(integerFromText(value));
        case TProtectFilter::pfObjectName:
            return Sql::protectsOfObjectName(db, value);
        case TProtectFilter::pfUserId:
            return Sql::protectsOfUserId(integerFromText(value));
        case TProtectFilter::pfUserName:
            return Sql::protectsOfUserName(value);
        case TProtectFilter::pfAction:
            return Sql::protectsOfAction(actionCode(action));
    }
    return QString();
}

TCTProtect protectFromRow(const CatalogRead& read)
{
    TCTProtect protect;
    protect.Id = read.integer(1);
    protect.ObjectName = read.text(2);
    protect.UId = read.integer(3);
    protect.UserName = read.text(4);
    protect.ActionCode = read.integer(5);
    protect.Action = decodeAction(protect.ActionCode);
    protect.ProtectType = decodeProtectType(read.integer(6));
    protect.Grantor = read.integer(7);
    protect.GrantorName = read.text(8);
    return protect;
}

// Bit (colid & 7) of byte colid / 8 stands for column colid; bit 0 of the first byte,
// which no column has, means "all columns".
bool bitIsSet(const QByteArray& bitmap, int bit)
{
    const int byte = bit / 8;
    return byte < bitmap.size() && (static_cast<uint8_t>(bitmap.at(byte)) & (1 << (bit % 8)));
}

bool coversWholeObject(const QByteArray& bitmap)
{
    for (int bit = 1; bit < bitmap.size() * 8; ++bit) {
        if (bitIsSet(bitmap, bit))
            return false;
    }
    return true;
}

// The columns a bitmap names. With the "all columns" bit set the other bits are
// exceptions: the row covers the columns whose bits are clear.
QStringList coveredColumns(const QByteArray& bitmap, const QList<QPair<int, QString>>& columns)
{
    const bool exceptions = bitIsSet(bitmap, 0);
    QStringList names;
    for (const auto& [colid, name] : columns) {
        if (bitIsSet(bitmap, colid) != exceptions)
            names << name;
    }
    return names;
}

// The columns a bitmap with the "all columns" bit leaves out; none without that bit.
QStringList exceptedColumns(QByteArray bitmap, const QList<QPair<int, QString>>& columns)
{
    if (!bitIsSet(bitmap, 0))
        return {};
    bitmap[0] = static_cast<char>(bitmap.at(0) & ~1);
    return coveredColumns(bitmap, columns);
}

// The ids and names of the columns a privilege can name: those of the table's or view's
// definition.
QList<QPair<int, QString>> objectColumns(TCTLibObjInfo& reader, int id)
{
    CatalogRead read(reader);
    read.open(Sql::CatalogSet::ColumnDefinitions, {QString::number(id)});
    QList<QPair<int, QString>> columns;
    while (read.next())
        columns.append({read.integer(1), read.text(2)});
    return columns;
}

// The columns each row names, from its column bitmap (bitmaps[n] is that of list[n]). The
// names are read once the privilege rows are in, with the connection free.
void nameColumns(TCTLibObjInfo& reader, TCTProtectList& list, const QList<QByteArray>& bitmaps)
{
    QHash<int, QList<QPair<int, QString>>> columnsById;
    for (qsizetype n = 0; n < list.size(); ++n) {
        if (coversWholeObject(bitmaps.at(n)))
            continue;
        TCTProtect& protect = list[n];
        if (!columnsById.contains(protect.Id))
            columnsById.insert(protect.Id, objectColumns(reader, protect.Id));
        const QList<QPair<int, QString>>& columns = columnsById[protect.Id];
        protect.ColumnNames = coveredColumns(bitmaps.at(n), columns);
        protect.ExceptedColumns = exceptedColumns(bitmaps.at(n), columns);
    }
}

}  // namespace

std::optional<TCTUser> TCTLibObjInfo::GetUserInfo(const QString& userName)
{
    prepareRead();
    CatalogRead read(*this);
    read.open(Sql::CatalogSet::Users, {nameArgument(userName)});
    std::optional<TCTUser> user;
    while (read.next()) {
        user = TCTUser{read.text(1),    read.integer(2), read.integer(3),
                       read.integer(4), read.text(5),    read.text(6)};
    }
    return user;
}

QString TCTLibObjInfo::GetUserScript(const QString& userName)
{
    prepareRead();
    const std::optional<TCTUser> user = GetUserInfo(userName);
    if (!user)
        return DataNotAvailable;
    // The user's login is the one its suid names (guest has none: its own name); the
    // arguments are literals of the script, with a quote in a name doubled.
    const QString login =
        user->SuId > 0 && !user->LoginName.isEmpty() ? user->LoginName : nameArgument(userName);
    const QString name = Sql::inLiteral(nameArgument(userName), '"');
    return "EXECUTE sp_adduser \"" + Sql::inLiteral(login, '"') + "\",\"" + name + "\",\"" +
           Sql::inLiteral(user->GroupName, '"') + "\"";
}

std::optional<TCTType> TCTLibObjInfo::GetTypeInfo(const QString& typeName)
{
    prepareRead();
    CatalogRead read(*this);
    read.open(Sql::CatalogSet::Types, {nameArgument(typeName)});
    std::optional<TCTType> type;
    while (read.next()) {
        TCTType row;
        row.TypeName = read.text(1).left(kTypeFieldLength);
        row.StorageType = read.text(2).left(kTypeFieldLength);
        row.Length = read.integer(3);
        row.Prec = read.integer(4);
        row.Scale = read.integer(5);
        row.Nulls = read.integer(6);
        row.DefaultName = read.text(7).left(kTypeFieldLength);
        row.RuleName = read.text(8).left(kTypeFieldLength);
        row.Identity = static_cast<uint8_t>(read.integer(9));
        type = row;
    }
    return type;
}

QString TCTLibObjInfo::GetTypeScript(const QString& typeName)
{
    prepareRead();
    const std::optional<TCTType> type = GetTypeInfo(typeName);
    if (!type)
        return DataNotAvailable;
    QString script = "EXECUTE sp_addtype " + nameArgument(typeName) + ",\"" + type->StorageType;
    const QString& storage = type->StorageType;
    if (storage == "char" || storage == "varchar" || storage == "binary" || storage == "varbinary")
        script += "(" + QString::number(type->Length) + ")";
    if (storage == "unichar" || storage == "univarchar")
        script += "(" + QString::number(type->Length / 2) + ")";
    if (type->StorageType == "numeric" || type->StorageType == "decimal")
        script += "(" + QString::number(type->Prec) + "," + QString::number(type->Scale) + ")";
    script += "\"";
    // sp_addtype takes three arguments: the third is "identity" or the null type.
    if (type->Identity)
        script += ",\"identity\"";
    else
        script += type->Nulls ? ",\"NULL\"" : ",\"NONULL\"";
    return script + nationalCharNote(*type);
}

// An nchar or nvarchar datatype is stored as char or varchar of n × @@ncharsize bytes, with
// nothing in systypes to tell it from a char type of that many bytes: where the length
// allows both readings, the script says so.
QString TCTLibObjInfo::nationalCharNote(const TCTType& type)
{
    const bool text = type.StorageType == "char" || type.StorageType == "varchar";
    const int bytesPerChar = text ? ncharSize() : 1;
    if (bytesPerChar <= 1 || type.Length % bytesPerChar != 0)
        return QString();
    const QString stored = type.StorageType + "(" + QString::number(type.Length) + ")";
    return " /* " + stored + " may have been declared as n" + type.StorageType + "(" +
           QString::number(type.Length / bytesPerChar) + "): the catalog cannot tell */";
}

std::optional<TCTProtectList> TCTLibObjInfo::GetProtects(TProtectFilter filter,
                                                         const QString& filterValue,
                                                         TProtectAction action)
{
    prepareRead();
    const QString condition = filterLine(m_selectDb, filter, filterValue, action);
    std::optional<TCTProtectList> list;
    QList<QByteArray> bitmaps;
    {
        CatalogRead read(*this);
        // The privileges of one object are a keyed read, answered from the database's
        // snapshot when there is one.
        if (filter == TProtectFilter::pfObjectId)
            read.open(Sql::CatalogSet::Protects, {QString::number(integerFromText(filterValue))});
        else
            read.open(Sql::protects(m_selectDb, condition));
        while (read.next()) {
            if (!list)
                list.emplace();
            list->append(protectFromRow(read));
            bitmaps.append(binaryFromText(read.text(9)));
        }
    }
    if (list)
        nameColumns(*this, *list, bitmaps);
    return list;
}

TCTProtectList TCTLibObjInfo::GetSystemTableProtects(const QString& database,
                                                     const QString& reference)
{
    // SQL Anywhere keeps its privileges elsewhere and has no model database.
    if (isSqlAnywhere())
        return {};
    TCTProtectList list;
    QList<QByteArray> bitmaps;
    {
        // One statement for the whole database, whichever way its objects are read.
        CatalogRead read(*this, CatalogRead::Mode::LanguageCommand);
        read.open(Sql::protects(database, Sql::protectsOfSystemTables(database, reference)));
        while (read.next()) {
            list.append(protectFromRow(read));
            bitmaps.append(binaryFromText(read.text(9)));
        }
    }
    nameColumns(*this, list, bitmaps);
    return list;
}

void TCTLibObjInfo::FreeProtectList(std::optional<TCTProtectList>& list, bool freeList)
{
    if (!list)
        return;
    list->clear();
    if (freeList)
        list.reset();
}

QStringList TCTLibObjInfo::GetStatementPermissionScript(const QString& principal,
                                                        QStringList& unknown)
{
    static const QHash<int, QString> commands = {
        {198, "CREATE TABLE"},   {203, "CREATE DATABASE"},  {207, "CREATE VIEW"},
        {221, "CREATE TRIGGER"}, {222, "CREATE PROCEDURE"}, {233, "CREATE DEFAULT"},
        {236, "CREATE RULE"},    {228, "DUMP DATABASE"},    {235, "DUMP TRANSACTION"},
    };
    prepareRead();
    QStringList granted, revoked;
    CatalogRead read(*this, CatalogRead::Mode::LanguageCommand);
    // Statement permissions are the privilege rows of object id 0.
    read.open(Sql::CatalogSet::Protects, {QStringLiteral("0"), nameArgument(principal)});
    while (read.next()) {
        const TCTProtect row = protectFromRow(read);
        if (!commands.contains(row.ActionCode)) {
            unknown << QString::number(row.ActionCode);
            continue;
        }
        (row.ProtectType == TProtectType::ptRevoke ? revoked : granted)
            << commands.value(row.ActionCode);
    }
    QStringList statements;
    if (!granted.isEmpty())
        statements << "GRANT " + granted.join(", ") + " TO " + nameArgument(principal);
    if (!revoked.isEmpty())
        statements << "REVOKE " + revoked.join(", ") + " FROM " + nameArgument(principal);
    return statements;
}

QStringList TCTLibObjInfo::GetAliasLogins(const QString& userName)
{
    prepareRead();
    QStringList logins;
    CatalogRead read(*this, CatalogRead::Mode::LanguageCommand);
    read.open(Sql::CatalogSet::Aliases, {nameArgument(userName)});
    while (read.next())
        logins << read.text(1);
    return logins;
}

QList<TCTPrincipal> TCTLibObjInfo::GetPrincipals()
{
    QList<TCTPrincipal> principals;
    // SQL Anywhere numbers its users in a catalog of its own.
    if (isSqlAnywhere())
        return principals;
    CatalogRead read(*this, CatalogRead::Mode::LanguageCommand);
    read.open(Sql::principals(m_selectDb));
    while (read.next())
        principals << TCTPrincipal{read.text(1), read.integer(2), read.integer(3) > 0};
    return principals;
}
