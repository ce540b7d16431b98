#include "SectionWriter.h"

#include "CTLibObjInfo.h"
#include "GrantComposer.h"
#include "ScriptSink.h"

#include <QRegularExpression>

namespace {
// Principals every database holds from its creation: the server refuses to drop or
// add them again, so a script names them in a comment only.
bool isBuiltInPrincipal(const QString& name)
{
    static const QStringList builtIn{"public",           "dbo",
                                     "sa_role",          "sso_role",
                                     "oper_role",        "sybase_ts_role",
                                     "navigator_role",   "replication_role",
                                     "dtm_tm_role",      "ha_role",
                                     "mon_role",         "js_admin_role",
                                     "js_user_role",     "js_client_role",
                                     "messaging_role",   "webservices_role",
                                     "keycustodian_role"};
    return builtIn.contains(name);
}

// The first object ids belong to the system tables.
constexpr int32_t firstUserObjectId = 100;
// sysindexes rows of the text and image storage of a table, which are no index.
constexpr int16_t textChainIndexId = 255;

// A procedure group's text holds every member's CREATE statement; each must start a
// batch of its own, so a "GO" goes before every member after the first.
QStringList splitProcedureGroup(const QString& text, const QString& name)
{
    const QRegularExpression member(QStringLiteral("(?<=\\s)create\\s+proc(edure)?\\s+(\\S+\\.)?") +
                                        QRegularExpression::escape(name) + QStringLiteral(";\\d+"),
                                    QRegularExpression::CaseInsensitiveOption);
    QStringList batches;
    int start = 0;
    QRegularExpressionMatchIterator matches = member.globalMatch(text);
    while (matches.hasNext()) {
        const int at = matches.next().capturedStart();
        int end = at;
        while (end > start && text[end - 1].isSpace())
            --end;
        batches << text.mid(start, end - start) << QStringLiteral("GO");
        start = at;
    }
    batches << text.mid(start);
    return batches;
}

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

// Objects of an owner other than dbo are dropped by their owner-qualified name, which
// the guard checks as well; names of dbo's objects stay bare.
bool TSectionWriter::ownedByOtherUser() const
{
    return !ObjQualifier.isEmpty() && ObjQualifier != QLatin1String("dbo");
}

QString TSectionWriter::ownedName() const
{
    return ownedByOtherUser() ? ObjQualifier + QLatin1Char('.') + ObjName : ObjName;
}

QString TSectionWriter::ownerCondition() const
{
    return ownedByOtherUser() ? QStringLiteral(" AND uid = user_id(") + quoted(ObjQualifier) + ")"
                              : QString();
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

// A one-line note in place of a section, for what the script cannot re-create.
void TSectionWriter::writeNote(const QString& note, bool toFile)
{
    SectionLines = QStringList{QString(), QStringLiteral("/* ") + note + QStringLiteral(" */")};
    toView(SectionLines, toFile);
    m_scriptLines += SectionLines;
}

// Groups, users and datatypes are what other objects depend on: members, owned objects
// and columns keep the server from dropping them. With drop guards on, their section
// adds them only when missing, so that the script runs again over its own result.
void TSectionWriter::writeCreateWhenMissing(const QString& catalogTable, const QString& body,
                                            bool toFile)
{
    SectionLines.clear();
    SectionLines << QString()
                 << QStringLiteral("/************ ") + ObjName + QStringLiteral(" ************/");
    if (m_options.AddDrop && body.startsWith(QLatin1String("EXECUTE "))) {
        SectionLines << QStringLiteral("IF NOT EXISTS(SELECT * FROM ") + DbPrefix +
                            QStringLiteral("dbo.") + catalogTable +
                            QStringLiteral(" WHERE name = ") + quoted(ObjName) + ")"
                     << QStringLiteral("  ") + body;
    } else {
        SectionLines << body;
    }
    endSection(toFile);
}

void TSectionWriter::WriteUserSection(bool toFile)
{
    if (isBuiltInPrincipal(ObjName))
        return writeNote(ObjName + QStringLiteral(": built-in user, not scripted"), toFile);
    writeCreateWhenMissing(QStringLiteral("sysusers"), m_info.GetUserScript(ObjName), toFile);
}

void TSectionWriter::WriteGroupSection(bool toFile)
{
    if (isBuiltInPrincipal(ObjName))
        return writeNote(ObjName + QStringLiteral(": built-in group, not scripted"), toFile);
    writeCreateWhenMissing(QStringLiteral("sysusers"),
                           QStringLiteral("EXECUTE sp_addgroup ") + ObjName, toFile);
}

void TSectionWriter::WriteDatatypeSection(bool toFile)
{
    writeCreateWhenMissing(QStringLiteral("systypes"), m_info.GetTypeScript(ObjName), toFile);
}

void TSectionWriter::WriteIndexSection(bool toFile)
{
    // The listing shows the indexes of system tables and the text storage rows of
    // tables; the server refuses to drop or create either.
    if (const std::optional<TCTIndex> index = m_info.GetIndexInfo(ObjName, ObjQualifier)) {
        if (index->IndId == textChainIndexId)
            return writeNote(ObjQualifier + QLatin1Char('.') + ObjName +
                                 QStringLiteral(": text and image storage, not scripted"),
                             toFile);
        if (index->Id > 0 && index->Id < firstUserObjectId)
            return writeNote(ObjQualifier + QLatin1Char('.') + ObjName +
                                 QStringLiteral(": index of a system table, not scripted"),
                             toFile);
    }
    beginSection(guard(QStringLiteral("dbo.sysindexes WHERE name = ") + quoted(ObjName) +
                       QStringLiteral(" AND id = object_id(") + quoted(ObjQualifier) + "))"),
                 QStringLiteral("  DROP INDEX ") + ObjQualifier + QLatin1Char('.') + ObjName);
    SectionLines += m_info.GetIndexScript(ObjName, ObjQualifier);
    endSection(toFile);
}

void TSectionWriter::WriteTextObjectSection(bool toFile, TTextObjectKind kind)
{
    beginSection(guard(QStringLiteral("dbo.sysobjects WHERE name = ") + quoted(ObjName) +
                       QStringLiteral(" AND type = ") + quoted(objectTypeCode(kind)) +
                       ownerCondition() + ")"),
                 QStringLiteral("  ") + QStringLiteral("DROP ") + dropKeyword(kind) +
                     QLatin1Char(' ') + ownedName());
    if (kind == TTextObjectKind::Procedure)
        SectionLines += splitProcedureGroup(m_info.GetObjectText(ObjName), ObjName);
    else
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
                       QStringLiteral(" AND type = \"U\"") + ownerCondition() + ")"),
                 QStringLiteral("  DROP TABLE ") + ownedName());
    SectionLines += m_info.GetTableScript(ObjName);
    endSection(toFile);

    const QString table = ObjName;
    if (m_options.TriggerScript) {
        if (const std::optional<TCTObject> object = m_info.GetObjectInfo(table, false, false)) {
            // One trigger may serve several actions; it is created once.
            QStringList written;
            for (const QString& trigger :
                 {object->InsTrigName, object->DelTrigName, object->UpdTrigName}) {
                if (trigger.trimmed().isEmpty() || written.contains(trigger.trimmed()))
                    continue;
                written << trigger.trimmed();
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
