#include "SectionWriter.h"

#include "CTLibObjInfo.h"
#include "GrantComposer.h"
#include "ScriptSink.h"

namespace {
QString quoted(const QString& name)
{
    return QLatin1Char('"') + name + QLatin1Char('"');
}

QString objectTypeCode(TTextObjectKind kind)
{
    switch (kind) {
        case TTextObjectKind::View:
            return QStringLiteral("V");
        case TTextObjectKind::Procedure:
            return QStringLiteral("P");
        case TTextObjectKind::Rule:
            return QStringLiteral("R");
        case TTextObjectKind::Trigger:
            break;
    }
    return QStringLiteral("TR");
}

QString dropKeyword(TTextObjectKind kind)
{
    switch (kind) {
        case TTextObjectKind::View:
            return QStringLiteral("VIEW");
        case TTextObjectKind::Procedure:
            return QStringLiteral("PROCEDURE");
        case TTextObjectKind::Rule:
            return QStringLiteral("RULE");
        case TTextObjectKind::Trigger:
            break;
    }
    return QStringLiteral("TRIGGER");
}
}  // namespace

TSectionWriter::TSectionWriter(TCTLibObjInfo& info, const TScriptOptions& options,
                               QStringList& scriptLines, TScriptSink* view)
    : m_info(info), m_options(options), m_scriptLines(scriptLines), m_view(view)
{
}

QString TSectionWriter::guard(const QString& tableAndCondition) const
{
    return QStringLiteral("IF EXISTS(SELECT * FROM ") + DbPrefix + tableAndCondition;
}

void TSectionWriter::toView(const QStringList& lines, bool toFile)
{
    if (!toFile && m_view)
        m_view->appendLines(lines);
}

// Steps common to every writer up to the body: the banner and the DROP batch.
void TSectionWriter::beginSection(const QString& guardLine, const QString& drop,
                                  bool blankAfterDrop)
{
    SectionLines.clear();
    SectionLines << QString()
                 << QStringLiteral("/************ ") + ObjName + QStringLiteral(" ************/");
    if (m_options.AddDrop) {
        SectionLines << guardLine << drop << QStringLiteral("GO");
        if (blankAfterDrop)
            SectionLines << QString();
    }
}

void TSectionWriter::endSection(bool toFile)
{
    SectionLines << QStringLiteral("GO");
    toView(SectionLines, toFile);
    m_scriptLines += SectionLines;
}

void TSectionWriter::WriteUserSection(bool toFile)
{
    beginSection(guard(QStringLiteral("dbo.sysusers WHERE name = ") + quoted(ObjName) + ")"),
                 QStringLiteral("  EXECUTE sp_dropuser ") + ObjName);
    SectionLines << m_info.GetUserScript(ObjName);
    endSection(toFile);
}

void TSectionWriter::WriteGroupSection(bool toFile)
{
    beginSection(guard(QStringLiteral("dbo.sysusers WHERE name = ") + quoted(ObjName) + ")"),
                 QStringLiteral("  EXECUTE sp_dropgroup ") + ObjName);
    SectionLines << QStringLiteral("EXECUTE sp_addgroup ") + ObjName;
    endSection(toFile);
}

void TSectionWriter::WriteDatatypeSection(bool toFile)
{
    beginSection(guard(QStringLiteral("dbo.systypes WHERE name = ") + quoted(ObjName) + ")"),
                 QStringLiteral("  EXECUTE sp_droptype ") + ObjName, false);
    SectionLines << m_info.GetTypeScript(ObjName);
    endSection(toFile);
}

void TSectionWriter::WriteIndexSection(bool toFile)
{
    beginSection(guard(QStringLiteral("dbo.sysindexes WHERE name = ") + quoted(ObjName) +
                       QStringLiteral(" AND id = object_id(") + quoted(ObjQualifier) + "))"),
                 QStringLiteral("  DROP INDEX ") + ObjQualifier + QLatin1Char('.') + ObjName);
    SectionLines += m_info.GetIndexScript(ObjName, ObjQualifier);
    endSection(toFile);
}

void TSectionWriter::WriteTextObjectSection(bool toFile, TTextObjectKind kind)
{
    beginSection(guard(QStringLiteral("dbo.sysobjects WHERE name = ") + quoted(ObjName) +
                       QStringLiteral(" AND type = ") + quoted(objectTypeCode(kind)) + ")"),
                 QStringLiteral("  ") + QStringLiteral("DROP ") + dropKeyword(kind) +
                     QLatin1Char(' ') + ObjName);
    SectionLines << m_info.GetObjectText(ObjName);
    SectionLines << QStringLiteral("GO");
    toView(SectionLines, toFile);

    // The grants follow the section in the view and in the script alike.
    if (m_options.PrivilegeScript) {
        std::optional<TCTProtectList> protects =
            m_info.GetProtects(TProtectFilter::pfObjectName, ObjName, TProtectAction::paNone);
        if (protects)
            appendGrantBatch(composeGrantStatements(*protects, ObjName, true), toFile);
        TCTLibObjInfo::FreeProtectList(protects, true);
    }
    m_scriptLines += SectionLines;
}

// An empty line, the statements and "GO", into the view and the section.
void TSectionWriter::appendGrantBatch(const QStringList& statements, bool toFile)
{
    if (statements.isEmpty())
        return;
    QStringList batch;
    batch << QString() << statements << QStringLiteral("GO");
    toView(batch, toFile);
    SectionLines += batch;
}

void TSectionWriter::WriteTableSection(bool toFile)
{
    beginSection(guard(QStringLiteral("dbo.sysobjects WHERE name = ") + quoted(ObjName) +
                       QStringLiteral(" AND type = \"U\")")),
                 QStringLiteral("  DROP TABLE ") + ObjName);
    SectionLines += m_info.GetTableScript(ObjName);
    endSection(toFile);

    const QString table = ObjName;
    if (m_options.TriggerScript) {
        if (const std::optional<TCTObject> object = m_info.GetObjectInfo(table, false, false)) {
            for (const QString& trigger :
                 {object->InsTrigName, object->DelTrigName, object->UpdTrigName}) {
                if (trigger.trimmed().isEmpty())
                    continue;
                ObjName = trigger.trimmed();
                WriteTextObjectSection(toFile, TTextObjectKind::Trigger);
            }
        }
    }

    ObjName = table;
    ObjQualifier = table;
    if (m_options.IndexScript) {
        const QStringList indexes = m_info.GetIndexNames(table);
        for (const QString& index : indexes) {
            ObjName = index;
            WriteIndexSection(toFile);
        }
    }

    SectionLines.clear();
    if (m_options.PrivilegeScript) {
        std::optional<TCTObject> object = m_info.GetObjectInfo(table, false, true);
        if (object && object->Protects) {
            appendGrantBatch(composeGrantStatements(*object->Protects, table, false), toFile);
            TCTLibObjInfo::FreeProtectList(object->Protects, true);
        }
        m_scriptLines += SectionLines;
    }
}

void TSectionWriter::WriteSection(ObjectKind kind, bool toFile)
{
    switch (kind) {
        case ObjectKind::Users:
            WriteUserSection(toFile);
            break;
        case ObjectKind::Groups:
            WriteGroupSection(toFile);
            break;
        case ObjectKind::Tables:
            WriteTableSection(toFile);
            break;
        case ObjectKind::Views:
            WriteTextObjectSection(toFile, TTextObjectKind::View);
            break;
        case ObjectKind::Indexes:
            WriteIndexSection(toFile);
            break;
        case ObjectKind::Triggers:
            WriteTextObjectSection(toFile, TTextObjectKind::Trigger);
            break;
        case ObjectKind::Procedures:
            WriteTextObjectSection(toFile, TTextObjectKind::Procedure);
            break;
        case ObjectKind::Rules:
            WriteTextObjectSection(toFile, TTextObjectKind::Rule);
            break;
        case ObjectKind::DataTypes:
            WriteDatatypeSection(toFile);
            break;
    }
}
