// The CREATE TABLE builder of TCTLibObjInfo.
#include "CTLibDatabase.h"
#include "CTLibObjInfo.h"
#include "CatalogRead.h"
#include "CatalogStatements.h"

namespace {

constexpr int kTypeNameLength = 30;

TCTColumnDef columnFromRow(const CatalogRead& read) {
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

}  // namespace

void TCTLibObjInfo::LoadColumns(const QString& tableName) {
    const bool sqlAnywhere = isSqlAnywhere();
    m_columns.clear();
    CatalogRead read(*this, CatalogRead::Mode::LanguageCommand);
    read.open(CatalogStatements::tableColumns(m_selectDb, trimBlanks(tableName), sqlAnywhere));
    // Every row is kept, however many columns the table has.
    while (read.next())
        m_columns.push_back(columnFromRow(read));
}

QString TCTLibObjInfo::FormatColumn(int n) const {
    return formatColumnLine(m_columns.at(n - 1));
}

QString TCTLibObjInfo::tablePrefix() const {
    const QString prefix = trimBlanks(PrefixDbName).isEmpty() ? m_selectDb : PrefixDbName;
    return prefix + ".";
}

QStringList TCTLibObjInfo::GetTableScript(const QString& tableName) {
    CheckSelectDb();
    struct ReleaseColumns {
        std::vector<TCTColumnDef>& columns;
        ~ReleaseColumns() { columns.clear(); }
    } release{m_columns};

    LoadColumns(tableName);
    if (m_columns.empty())
        return {DataNotAvailable};

    const QString owner = GetObjectOwner(tableName);
    QStringList lines;
    lines << "CREATE TABLE " + (PrefixWithDbName ? tablePrefix() : QString()) + owner + "." +
                 tableName;
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
