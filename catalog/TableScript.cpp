// The CREATE TABLE builder of TCTLibObjInfo: columns with their declared defaults, the
// primary key, unique and check constraints, the lock scheme and the storage options.
#include "CTLibDatabase.h"
#include "CTLibException.h"
#include "CTLibObjInfo.h"
#include "CatalogFaults.h"
#include "CatalogRead.h"
#include "CatalogStatements.h"
#include "Identifier.h"
#include "TextPieces.h"

#include <QHash>
#include <algorithm>

namespace Sql = CatalogStatements;

namespace {

constexpr int kTypeNameLength = 30;
constexpr int kColumnIsIdentity = 0x80;
constexpr int kColumnIsNullable = 0x08;
// sysobjects.sysstat2 of a table whose dml_logging was set: where the server keeps it is
// not documented; these are the bits that the documented table leaves unused.
constexpr int kTableLogsMinimally = 0x80;
constexpr int kTableLogsFully = 0x100;

// The SQL Anywhere column statement's row.
TCTColumnDef columnFromRow(const CatalogRead& read)
{
    TCTColumnDef column;
    column.Name = read.text(1);
    column.TypeName = read.text(2).left(kTypeNameLength);
    column.Prec = read.integer(3);
    column.Scale = read.integer(4);
    column.Length = read.integer(5);
    const QString identity = read.text(6);
    column.Identity = identity == "1" || identity == "autoincrement";
    const QString nullable = read.text(7);
    column.Nullable = nullable == "1" || nullable == "Y";
    return column;
}

// A declared default's clause as stored ("default 'USA'"), its keyword included.
QString defaultClause(const QString& text)
{
    const QString clause = trimBlanks(text);
    if (clause.startsWith(QLatin1String("default"), Qt::CaseInsensitive))
        return clause;
    return QStringLiteral("DEFAULT ") + clause;
}

QString lockClause(const TCTTableStorage& storage)
{
    return QStringLiteral("LOCK ") + storage.LockScheme.toUpper();
}

// The table options the server keeps for the lock scheme in use.
QString withClause(const TCTTableStorage& storage)
{
    QStringList options;
    const bool allPages = storage.LockScheme == QLatin1String("allpages");
    if (allPages && storage.MaxRowsPerPage > 0)
        options << QStringLiteral("max_rows_per_page = %1").arg(storage.MaxRowsPerPage);
    if (!allPages && storage.ExpRowSize > 0)
        options << QStringLiteral("exp_row_size = %1").arg(storage.ExpRowSize);
    if (storage.ReservePageGap > 0)
        options << QStringLiteral("reservepagegap = %1").arg(storage.ReservePageGap);
    if (storage.IdentityGap > 0)
        options << QStringLiteral("identity_gap = %1").arg(storage.IdentityGap);
    if (!storage.DmlLogging.isEmpty())
        options << QStringLiteral("dml_logging = ") + storage.DmlLogging;
    return options.isEmpty() ? QString() : QStringLiteral("WITH ") + options.join(", ");
}

}  // namespace

void TCTLibObjInfo::LoadColumns(const QString& tableName)
{
    const QString name = nameArgument(tableName);
    m_columns.clear();
    if (!isSqlAnywhere()) {
        if (const std::optional<int> id = objectId(ownerOfTable(name), name, QStringLiteral("U")))
            m_columns = readColumns(*id);
        return;
    }
    CatalogRead read(*this, CatalogRead::Mode::LanguageCommand);
    read.open(Sql::tableColumns(m_selectDb, name, true));
    // Every row is kept, however many columns the table has.
    while (read.next())
        m_columns.push_back(columnFromRow(read));
}

std::vector<TCTColumnDef> TCTLibObjInfo::readColumns(int tableId)
{
    std::vector<TCTColumnDef> columns;
    QHash<int, QString> declaredDefaults;  // by colid
    bool anyComputed = false;
    bool national = false;
    {
        CatalogRead read(*this, CatalogRead::Mode::LanguageCommand);
        read.open(Sql::CatalogSet::ColumnDefinitions, {QString::number(tableId)});
        while (read.next()) {
            TCTColumnDef column;
            column.Name = nameInScript(read.text(2));
            column.Length = read.integer(4);
            if (read.text(3).isEmpty() && m_scriptFault.isEmpty()) {
                m_scriptFault = QStringLiteral(
                                    "column %1 has usertype %2, which systypes does "
                                    "not hold")
                                    .arg(read.text(2), read.text(8));
            }
            const bool userType = read.integer(8) >= 100;
            column.TypeName =
                userType ? read.text(3) : declaredTypeName(read.text(3), column.Length);
            column.Prec = read.integer(5);
            column.Scale = read.integer(6);
            const int status = read.integer(7);
            column.Identity = status & kColumnIsIdentity;
            column.Nullable = status & kColumnIsNullable;
            national = national || isNationalType(column.TypeName);
            if (read.integer(15) > 0)
                declaredDefaults.insert(read.integer(1), QString());
            const int status2 = read.integer(19);
            column.Computed = status2 & Sql::kColumn2Computed;
            column.Materialized = status2 & Sql::kColumn2Materialized;
            anyComputed = anyComputed || column.Computed;
            columns.push_back(column);
        }
    }
    if (anyComputed)
        readComputedExpressions(tableId, columns);
    // The server's bytes per national character are read only for a table that needs them.
    if (national) {
        const int bytesPerNChar = ncharSize();
        for (TCTColumnDef& column : columns)
            column.NCharSize = bytesPerNChar;
    }
    if (declaredDefaults.isEmpty())
        return columns;
    // The pieces of a default's text are joined as stored.
    CatalogRead read(*this, CatalogRead::Mode::LanguageCommand, CatalogRead::Results::AsStored);
    read.open(Sql::CatalogSet::ColumnDefaultTexts, {QString::number(tableId)});
    QHash<int, TTextPieces> pieces;  // by colid
    while (read.next()) {
        const int colid = read.integer(1);
        if (!declaredDefaults.contains(colid))
            continue;
        declaredDefaults[colid] += read.text(2);
        pieces[colid].add(read.integer(3), read.integer(4));
    }
    for (auto text = declaredDefaults.cbegin(); text != declaredDefaults.cend(); ++text) {
        if (text.key() < 1 || text.key() > static_cast<int>(columns.size()))
            continue;
        TCTColumnDef& column = columns[text.key() - 1];
        column.DefaultClause = defaultClause(text.value());
        if (pieces.value(text.key()).gap() && m_scriptFault.isEmpty())
            m_scriptFault = QStringLiteral("default of column ") + column.Name +
                            QStringLiteral(": ") + kMissingTextRow;
    }
    return columns;
}

// The expressions of a table's computed columns, joined from their pieces as stored.
void TCTLibObjInfo::readComputedExpressions(int tableId, std::vector<TCTColumnDef>& columns)
{
    QHash<QString, QString> expressions;
    QHash<QString, TTextPieces> pieces;
    CatalogRead read(*this, CatalogRead::Mode::LanguageCommand, CatalogRead::Results::AsStored);
    read.open(Sql::CatalogSet::ComputedKeys, {QString::number(tableId)});
    while (read.next()) {
        if (read.integer(3) & Sql::kColumn2FunctionKey)
            continue;
        const QString name = scriptName(trimBlanks(read.text(1)));
        expressions[name] += read.text(2);
        pieces[name].add(read.integer(4), read.integer(5));
    }
    for (TCTColumnDef& column : columns) {
        if (!column.Computed)
            continue;
        column.ComputedExpression = trimBlanks(expressions.value(column.Name));
        if (m_scriptFault.isEmpty() && column.ComputedExpression.isEmpty())
            m_scriptFault = QStringLiteral("computed column ") + column.Name +
                            QStringLiteral(": its expression is not in syscomments");
        if (m_scriptFault.isEmpty() && pieces.value(column.Name).gap())
            m_scriptFault = QStringLiteral("computed column ") + column.Name +
                            QStringLiteral(": ") + kMissingTextRow;
    }
}

int TCTLibObjInfo::ncharSize()
{
    if (m_ncharSize == 0) {
        CatalogRead read(*this, CatalogRead::Mode::LanguageCommand);
        read.open(Sql::ncharSize());
        const int size = read.next() ? read.integer(1) : 0;
        // Without it a national column would be written with no length, or a wrong one.
        if (size < 1)
            throw EDatabaseError(
                QStringLiteral("The server's answer to SELECT @@ncharsize (%1) is not a number "
                               "of bytes.")
                    .arg(size));
        m_ncharSize = size;
    }
    return m_ncharSize;
}

QString TCTLibObjInfo::nameInScript(const QString& name)
{
    const QString written = scriptName(name);
    m_namesQuoted = m_namesQuoted || written != name;
    return written;
}

QString TCTLibObjInfo::FormatColumn(int n) const
{
    return formatColumnLine(m_columns.at(n - 1));
}

QString TCTLibObjInfo::tablePrefix() const
{
    const QString prefix = trimBlanks(PrefixDbName).isEmpty() ? m_selectDb : PrefixDbName;
    return prefix + ".";
}

// The owner of the table of that name: dbo's when there are several.
QString TCTLibObjInfo::ownerOfTable(const QString& name)
{
    CatalogRead read(*this, CatalogRead::Mode::LanguageCommand);
    read.open(Sql::ownersOfType(m_selectDb, name, QStringLiteral("U")));
    return read.next() ? read.text(1) : QString();
}

std::optional<int> TCTLibObjInfo::objectId(const QString& owner, const QString& name,
                                           const QString& type)
{
    const std::optional<TCTObject> object = objectRow(owner, name, type);
    return object ? std::optional<int>(object->Id) : std::nullopt;
}

std::optional<TCTTableStorage> TCTLibObjInfo::GetTableStorage(int tableId)
{
    prepareRead();
    CatalogRead read(*this, CatalogRead::Mode::LanguageCommand);
    read.open(Sql::CatalogSet::TableStorage, {QString::number(tableId)});
    std::optional<TCTTableStorage> storage;
    while (read.next()) {
        TCTTableStorage row;
        row.Id = tableId;
        const int sysstat2 = read.integer(1);
        row.LockScheme = (sysstat2 & 0x8000)   ? QStringLiteral("datarows")
                         : (sysstat2 & 0x4000) ? QStringLiteral("datapages")
                                               : QStringLiteral("allpages");
        row.MaxRowsPerPage = read.integer(2);
        row.ExpRowSize = read.integer(3);
        row.ReservePageGap = read.integer(4);
        row.IdentityGap = read.integer(5);
        row.SegmentName = read.text(6);
        row.DmlLogging = (sysstat2 & kTableLogsFully)       ? QStringLiteral("full")
                         : (sysstat2 & kTableLogsMinimally) ? QStringLiteral("minimal")
                                                            : QString();
        storage = row;
    }
    return storage;
}

std::vector<TCTColumnDef> TCTLibObjInfo::GetTableColumns(const QString& tableName,
                                                         const QString& owner)
{
    CheckSelectDb();
    const std::optional<int> id = objectId(owner, nameArgument(tableName), QStringLiteral("U"));
    return id ? readColumns(*id) : std::vector<TCTColumnDef>();
}

QStringList TCTLibObjInfo::GetTableScript(const QString& tableName, const QString& owner)
{
    CheckSelectDb();
    struct ReleaseColumns {
        std::vector<TCTColumnDef>& columns;
        ~ReleaseColumns() { columns.clear(); }
    } release{m_columns};

    if (isSqlAnywhere())
        return sqlAnywhereTableScript(tableName);
    m_namesQuoted = false;
    m_scriptFault.clear();
    const QString name = nameArgument(tableName);
    const QString tableOwner = owner.isEmpty() ? ownerOfTable(name) : owner;
    const std::optional<int> id = objectId(tableOwner, name, QStringLiteral("U"));
    if (!id)
        return {DataNotAvailable};
    m_columns = readColumns(*id);
    const std::optional<TCTTableStorage> storage = GetTableStorage(*id);
    // A computed column whose expression cannot be read would come back as a plain one.
    const bool expressionMissing =
        std::any_of(m_columns.begin(), m_columns.end(), [](const TCTColumnDef& column) {
            return column.Computed && column.ComputedExpression.isEmpty();
        });
    if (m_columns.empty() && m_scriptFault.isEmpty())
        m_scriptFault = kNoColumns;
    if (m_columns.empty() || !storage || expressionMissing || !m_scriptFault.isEmpty())
        return {DataNotAvailable};

    // Column checks follow their column; keys and table checks follow the columns.
    QStringList elements;
    const TCTConstraintList constraints = GetTableConstraints(*id);
    for (const TCTConstraint& constraint : constraints) {
        if (constraint.CheckTextRowMissing) {
            m_scriptFault = QStringLiteral("check constraint ") + constraint.Name +
                            QStringLiteral(": ") + kMissingTextRow;
            return {DataNotAvailable};
        }
    }
    for (const TCTConstraint& constraint : constraints) {
        if (!constraint.Name.isEmpty())
            nameInScript(constraint.Name);
    }
    for (int n = 1; n <= ColumnCount(); ++n) {
        QString line = FormatColumn(n);
        for (const TCTConstraint& constraint : constraints) {
            if (constraint.ConstraintKind == TCTConstraint::Kind::Check && constraint.ColumnId == n)
                line += QLatin1Char(' ') + constraintClause(constraint);
        }
        while (!line.isEmpty() && line.back().unicode() <= 32)
            line.chop(1);
        elements << line;
    }
    for (const TCTConstraint& constraint : constraints) {
        if (constraint.ConstraintKind != TCTConstraint::Kind::Check || constraint.ColumnId == 0)
            elements << QLatin1Char(' ') + constraintClause(constraint);
    }

    QStringList lines;
    // A name the table had to be created with quotes keeps them; others stay as passed.
    lines << "CREATE TABLE " + (PrefixWithDbName ? tablePrefix() : QString()) +
                 nameInScript(tableOwner) + "." +
                 (isRegularIdentifier(name) ? tableName : nameInScript(name));
    lines << "(";
    for (int n = 0; n < elements.size(); ++n)
        lines << (n + 1 < elements.size() ? elements[n] + "," : elements[n]);
    lines << ")";
    lines << lockClause(*storage);
    if (const QString with = withClause(*storage); !with.isEmpty())
        lines << with;
    if (storage->SegmentName != QLatin1String("default"))
        lines << "ON '" + Sql::inLiteral(storage->SegmentName, '\'') + "'";
    return lines;
}

QStringList TCTLibObjInfo::sqlAnywhereTableScript(const QString& tableName)
{
    LoadColumns(tableName);
    if (m_columns.empty())
        return {DataNotAvailable};
    QStringList lines;
    lines << "CREATE TABLE " + (PrefixWithDbName ? tablePrefix() : QString()) +
                 GetObjectOwner(tableName) + "." + tableName;
    lines << "(";
    const int count = ColumnCount();
    for (int n = 1; n <= count; ++n) {
        QString line = FormatColumn(n);
        while (!line.isEmpty() && line.back().unicode() <= 32)
            line.chop(1);
        lines << (n < count ? line + "," : line);
    }
    lines << ")";
    return lines;
}
