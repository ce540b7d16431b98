#include "SectionWriter.h"

#include "BoundObjectScript.h"
#include "CTLibObjInfo.h"
#include "CatalogFaults.h"
#include "CatalogRead.h"
#include "CatalogStatements.h"
#include "GrantComposer.h"
#include "Identifier.h"
#include "ObjectListing.h"
#include "PrintableText.h"
#include "ScriptSink.h"
#include "ScriptText.h"

#include <QRegularExpression>

using CatalogStatements::singleQuoted;

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

// A name or text as a message shows it: control characters written as escapes.
QString printable(const QString& text)
{
    return printableText(text);
}

// What the reports of left-out names and texts say of such a line.
const QLatin1String kBatchBreakLine(
    "a line that isql reads as go or as another command of its own");

// Grants hold no string literal: a double quote is a quoted name, which the server reads
// as one only under quoted identifiers.
QStringList withQuotedIdentifiersWhenNeeded(const QStringList& statements)
{
    const bool quotes = std::any_of(statements.begin(), statements.end(),
                                    [](const QString& s) { return s.contains(QLatin1Char('"')); });
    if (!quotes)
        return statements;
    // The caller's "GO" ends the batch that turns them off again.
    return quotedIdentifiers(true) + statements +
           QStringList{QStringLiteral("GO"), quotedIdentifiers(false).constFirst()};
}

// The stored text as a batch: the line break before "GO" ends its last line, so one
// line break at its end is the script's, not the text's.
QString withoutFinalLineBreak(QString text)
{
    if (text.endsWith(QLatin1String("\r\n")))
        text.chop(2);
    else if (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    return text;
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

QString kindWord(TTextObjectKind kind)
{
    return dropKeyword(kind).toLower();
}

bool isOtherOwner(const QString& owner)
{
    return !owner.isEmpty() && owner != QLatin1String("dbo");
}
}  // namespace

QString qualifiedObjectOwner(const QString& qualifiedName)
{
    const int dot = qualifiedName.indexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : qualifiedName.left(dot);
}

QString qualifiedObjectName(const QString& qualifiedName)
{
    return qualifiedName.mid(qualifiedName.indexOf(QLatin1Char('.')) + 1);
}

const QList<TCTPrincipal>& TScriptState::principalsOf(TCTLibObjInfo& info)
{
    const QString database = info.SelectDb();
    if (!Principals.contains(database))
        Principals.insert(database, info.GetPrincipals());
    return Principals[database];
}

TSectionWriter::TSectionWriter(TCTLibObjInfo& info, const TScriptOptions& options,
                               QStringList& scriptLines, TScriptSink* view, TScriptState& state)
    : m_info(info), m_options(options), m_scriptLines(scriptLines), m_view(view), m_state(state)
{
}

// Objects of an owner other than dbo are dropped by their owner-qualified name, which
// the guard checks as well; names of dbo's objects stay bare.
bool TSectionWriter::ownedByOtherUser() const
{
    return isOtherOwner(ObjQualifier);
}

// The owner of the section's object: dbo when the caption names none.
QString TSectionWriter::objectOwner() const
{
    return ObjQualifier.isEmpty() ? QStringLiteral("dbo") : ObjQualifier;
}

QString TSectionWriter::ownedName() const
{
    return ownedByOtherUser() ? ObjQualifier + QLatin1Char('.') + ObjName : ObjName;
}

// The owner-qualified name as a DROP statement names it: quoted where it must be.
QString TSectionWriter::ownedScriptName() const
{
    return ownedByOtherUser() ? scriptName(ObjQualifier) + QLatin1Char('.') + scriptName(ObjName)
                              : scriptName(ObjName);
}

bool TSectionWriter::nameNeedsQuotes() const
{
    return !isRegularIdentifier(ObjName) ||
           (ownedByOtherUser() && !isRegularIdentifier(ObjQualifier));
}

QString TSectionWriter::ownerCondition() const
{
    return ownedByOtherUser()
               ? QStringLiteral(" AND uid = user_id(") + nameLiteral(ObjQualifier) + ")"
               : QString();
}

QString TSectionWriter::nameLiteral(const QString& name) const
{
    return m_quotedNames ? singleQuoted(name) : quoted(name);
}

QString TSectionWriter::guard(const QString& tableAndCondition) const
{
    return QStringLiteral("IF EXISTS(SELECT * FROM ") + DbPrefix + tableAndCondition;
}

bool TSectionWriter::alreadyWritten(const QString& kind, const QString& owner, const QString& name)
{
    const QString key = m_info.SelectDb() + QLatin1Char('|') + kind + QLatin1Char('|') + owner +
                        QLatin1Char('|') + name;
    if (m_state.WrittenSections.contains(key))
        return true;
    m_state.WrittenSections.insert(key);
    return false;
}

void TSectionWriter::toView(const QStringList& lines, bool toFile)
{
    if (!toFile && m_view && !lines.isEmpty())
        m_view->appendLines(lines);
}

// The statements that follow run as `owner`: objects are created, bound and granted by
// their owner.
void TSectionWriter::beginOwner(const QString& owner)
{
    if (isOtherOwner(owner))
        SectionLines << QStringLiteral("SETUSER ") + singleQuoted(owner) << QStringLiteral("GO");
}

void TSectionWriter::endOwner(const QString& owner)
{
    if (isOtherOwner(owner))
        SectionLines << QStringLiteral("SETUSER") << QStringLiteral("GO");
}

// Steps common to every writer up to the body: the banner, the owner and the DROP batch.
void TSectionWriter::beginSection(const QString& guardLine, const QString& drop,
                                  bool blankAfterDrop)
{
    SectionLines.clear();
    SectionLines << QString() << banner(ObjName);
    beginOwner(ObjQualifier);
    if (m_quotedNames)
        SectionLines << quotedIdentifiers(true);
    if (m_options.AddDrop) {
        SectionLines << guardLine << drop << QStringLiteral("GO");
        if (blankAfterDrop)
            SectionLines << QString();
    }
}

void TSectionWriter::flushSection(bool toFile)
{
    toView(SectionLines, toFile);
    m_scriptLines += SectionLines;
    SectionLines.clear();
}

// A one-line note in place of a section, for what the script cannot re-create.
void TSectionWriter::writeNote(const QString& note, bool toFile)
{
    SectionLines =
        QStringList{QString(), QStringLiteral("/* ") + commentText(note) + QStringLiteral(" */")};
    flushSection(toFile);
}

// An object the catalog could not give: a comment in its place and no DROP, so that
// running the script never removes what it does not re-create.
void TSectionWriter::writeUnscripted(const QString& kind, const QString& reason, bool toFile)
{
    // Named as the explorer lists it: owner.name, table.index, or the bare name.
    const QString name =
        ObjQualifier.isEmpty() ? ObjName : ObjQualifier + QLatin1Char('.') + ObjName;
    m_state.Unscripted << m_info.SelectDb() + QStringLiteral(": ") + kind + QLatin1Char(' ') +
                              printable(name) + QStringLiteral(": ") + reason;
    writeNote(kind + QLatin1Char(' ') + name + QStringLiteral(": ") + reason +
                  QStringLiteral(", not scripted"),
              toFile);
}

// An object the listing names by its owner's uid, which maps to no user or group here
// (unless one is really named so): its owner cannot be named in a script.
bool TSectionWriter::refusedForMissingOwner(const QString& kind, bool toFile)
{
    if (!isOwnerUid(ObjQualifier))
        return false;
    for (const TCTPrincipal& principal : m_state.principalsOf(m_info)) {
        if (principal.Name == ObjQualifier)
            return false;
    }
    writeUnscripted(kind,
                    QStringLiteral("its owner, ") + ObjQualifier +
                        QStringLiteral(", is no user or group of the database"),
                    toFile);
    return true;
}

// A section that would not stay in its batches is left out and reported instead.
bool TSectionWriter::refusedForBatchEnd(const QString& kind, bool toFile)
{
    if (!holdsBatchEnd(SectionLines))
        return false;
    SectionLines.clear();
    writeUnscripted(kind, QStringLiteral("a name or text in it holds ") + kBatchBreakLine, toFile);
    return true;
}

// A line break in a name cannot come back as it was: the script's lines end in CR LF, so
// one inside a name is written as CR LF, which bsqldb and isql hand to the server as they
// are, and fisql reads any CR as a line end of its own. The object is left out and
// reported.
bool TSectionWriter::refusedForLineBreak(const QString& kind, bool toFile)
{
    static const QRegularExpression lineBreak(QStringLiteral("[\r\n]"));
    if (!ObjName.contains(lineBreak) && !ObjQualifier.contains(lineBreak))
        return false;
    writeUnscripted(kind,
                    QStringLiteral("its name holds a line break, which the script's CR LF line "
                                   "ends cannot keep as it is"),
                    toFile);
    return true;
}

// Groups, users and datatypes are what other objects depend on: members, owned objects
// and columns keep the server from dropping them. With drop guards on, their section
// adds them only when missing, so that the script runs again over its own result.
void TSectionWriter::writeCreateWhenMissing(const QString& kind, const QString& catalogTable,
                                            const QString& body, bool toFile)
{
    SectionLines.clear();
    SectionLines << QString() << banner(ObjName);
    if (m_options.AddDrop && body.startsWith(QLatin1String("EXECUTE "))) {
        SectionLines << QStringLiteral("IF NOT EXISTS(SELECT * FROM ") + DbPrefix +
                            QStringLiteral("dbo.") + catalogTable +
                            QStringLiteral(" WHERE name = ") + quoted(ObjName) + ")"
                     << QStringLiteral("  ") + body;
    } else {
        SectionLines << body;
    }
    SectionLines << QStringLiteral("GO");
    if (refusedForBatchEnd(kind, toFile))
        return;
    flushSection(toFile);
}

// A rule or default object: with drop guards on, replaced (see
// writeReplacedRuleOrDefault); without them, its text as stored.
void TSectionWriter::writeRuleOrDefault(const QString& owner, const QString& name,
                                        const QString& type, const TCTStoredText& stored,
                                        bool toFile)
{
    const bool rule = type == QLatin1String("R");
    if (m_options.AddDrop)
        return writeReplacedRuleOrDefault(owner, name, rule, stored, toFile);
    // The text runs as it was created: under quoted identifiers when they were on.
    m_quotedNames = stored.QuotedIdentifiers;
    SectionLines.clear();
    SectionLines << QString() << banner(name);
    beginOwner(owner);
    if (m_quotedNames)
        SectionLines << quotedIdentifiers(true);
    SectionLines << trimBlanks(stored.Text) << QStringLiteral("GO");
    if (m_quotedNames)
        SectionLines << quotedIdentifiers(false);
    m_quotedNames = false;
    endOwner(owner);
    if (refusedForBatchEnd(rule ? QStringLiteral("rule") : QStringLiteral("default"), toFile))
        return;
    flushSection(toFile);
}

// The places the rule or default is bound to here, other than those no script can bind it
// to again: they are named in `notes` and in the run's warnings.
QList<TCTBoundTarget> TSectionWriter::bindableTargets(const TBoundObject& object,
                                                      QStringList& notes)
{
    QList<TCTBoundTarget> targets;
    for (const TCTBoundTarget& target : m_info.GetBoundTargets(object.Name, object.Owner)) {
        const QString bound = target.isDatatype() ? target.Table
                                                  : target.Owner + QLatin1Char('.') + target.Table +
                                                        QLatin1Char('.') + target.Column;
        QString reason;
        if (BoundObjectScript::splitByBindProcedures(target))
            reason = QStringLiteral("sp_bindrule and sp_bindefault would split its name at a dot");
        else if (holdsBatchEnd({target.Owner, target.Table, target.Column}))
            reason = QStringLiteral("its name holds ") + kBatchBreakLine;
        if (reason.isEmpty()) {
            targets << target;
            continue;
        }
        const QString note = (object.Rule ? QStringLiteral("rule ") : QStringLiteral("default ")) +
                             object.qualifiedName() + QStringLiteral(" is not bound again to ") +
                             bound + QStringLiteral(": ") + reason;
        m_state.Warnings << m_info.SelectDb() + QStringLiteral(": ") + printable(note);
        notes << QStringLiteral("/* ") + commentText(note) + QStringLiteral(" */");
    }
    return targets;
}

// The users under whose names the object is unbound and bound: the database owner (who
// runs the script), then the object's owner, the owners of the tables it is bound to and
// the other owners of tables here, who are the likeliest owners of tables it is bound to
// in the database the script runs in.
QStringList TSectionWriter::bindingOwners(const TBoundObject& object,
                                          const QList<TCTBoundTarget>& targets)
{
    QStringList others{object.Owner};
    for (const TCTPrincipal& principal : m_state.principalsOf(m_info)) {
        if (principal.OwnsTables)
            others << principal.Name;
    }
    for (const TCTBoundTarget& target : targets)
        others << target.Owner;
    QStringList owners;
    for (const QString& other : others) {
        if (isOtherOwner(other) && !owners.contains(other) && !holdsBatchEnd({other}))
            owners << other;
    }
    std::sort(owners.begin(), owners.end());
    return QStringList{QStringLiteral("dbo")} + owners;
}

// With drop guards on, a rule or default replaces one of the same name: it is unbound
// from what the database has it bound to, dropped, created, and bound again where the
// scripted database has it bound. Binding and unbinding a column is for the owner of its
// table, so each owner of bindingOwners() does its own under SETUSER; the database owner
// does the datatypes. Bound in that database to a table of yet another owner, the object
// cannot be dropped: the server says so, and the CREATE that follows fails on the old
// object, which keeps its text.
void TSectionWriter::writeReplacedRuleOrDefault(const QString& owner, const QString& name,
                                                bool rule, const TCTStoredText& stored, bool toFile)
{
    const TBoundObject object{owner, name, rule, DbPrefix};
    QStringList notes;
    const QList<TCTBoundTarget> targets = bindableTargets(object, notes);
    const QStringList owners = bindingOwners(object, targets);

    SectionLines.clear();
    SectionLines << QString() << banner(name)
                 << QStringLiteral("/* ") +
                        commentText(QStringLiteral("unbound from the datatypes and from the "
                                                   "columns of tables of ") +
                                    owners.join(QStringLiteral(", ")) +
                                    QStringLiteral(" where this database has it bound, "
                                                   "replaced, and bound again as scripted; "
                                                   "bound to a table of another owner, it "
                                                   "cannot be replaced")) +
                        QStringLiteral(" */")
                 << notes;
    for (const QString& tableOwner : owners) {
        beginOwner(tableOwner);
        SectionLines += BoundObjectScript::unbindBatch(object, tableOwner == owners.first());
        SectionLines << QStringLiteral("GO");
        endOwner(tableOwner);
    }

    beginOwner(owner);
    const bool quotedName =
        !isRegularIdentifier(name) || (isOtherOwner(owner) && !isRegularIdentifier(owner));
    if (quotedName)
        SectionLines << quotedIdentifiers(true);
    SectionLines += BoundObjectScript::dropStatements(
        object, isOtherOwner(owner) ? scriptName(owner) + QLatin1Char('.') + scriptName(name)
                                    : scriptName(name));
    SectionLines << QStringLiteral("GO");
    // The text runs as it was created: under quoted identifiers when they were on.
    if (quotedName != stored.QuotedIdentifiers)
        SectionLines << quotedIdentifiers(stored.QuotedIdentifiers);
    SectionLines << trimBlanks(stored.Text) << QStringLiteral("GO");
    if (stored.QuotedIdentifiers)
        SectionLines << quotedIdentifiers(false);
    endOwner(owner);

    for (const QString& tableOwner : owners) {
        QList<TCTBoundTarget> ownersTargets;
        for (const TCTBoundTarget& target : targets) {
            if (target.isDatatype() ? tableOwner == owners.first() : target.Owner == tableOwner)
                ownersTargets << target;
        }
        if (ownersTargets.isEmpty())
            continue;
        beginOwner(tableOwner);
        SectionLines += BoundObjectScript::bindStatements(object, ownersTargets);
        SectionLines << QStringLiteral("GO");
        endOwner(tableOwner);
    }
    if (refusedForBatchEnd(rule ? QStringLiteral("rule") : QStringLiteral("default"), toFile))
        return;
    flushSection(toFile);
}

// A default object that a column or datatype is bound to, before its first binding.
void TSectionWriter::writeDefaultObject(const QString& qualifiedName, bool toFile)
{
    const QString key = m_info.SelectDb() + QLatin1Char('|') + qualifiedName;
    if (m_state.WrittenDefaults.contains(key))
        return;
    m_state.WrittenDefaults.insert(key);
    const QString owner = qualifiedObjectOwner(qualifiedName);
    const QString name = qualifiedObjectName(qualifiedName);
    const TCTStoredText stored = m_info.GetStoredText(name, owner);
    if (stored.Text.isEmpty() || stored.RowMissing) {
        m_state.Unscripted << m_info.SelectDb() + QStringLiteral(": default ") + qualifiedName +
                                  QStringLiteral(": ") +
                                  (stored.RowMissing ? kMissingTextRow
                                                     : QStringLiteral("its text cannot be read"));
        return;
    }
    writeRuleOrDefault(owner, name, QStringLiteral("D"), stored, toFile);
}

void TSectionWriter::WriteUserSection(bool toFile)
{
    if (isBuiltInPrincipal(ObjName)) {
        writeNote(ObjName + QStringLiteral(": built-in user, not scripted"), toFile);
        writeAliases(toFile);
        return writeStatementPermissions(toFile);
    }
    const QString script = m_info.GetUserScript(ObjName);
    if (script == DataNotAvailable)
        return writeUnscripted(QStringLiteral("user"), QStringLiteral("not found"), toFile);
    writeCreateWhenMissing(QStringLiteral("user"), QStringLiteral("sysusers"), script, toFile);
    writeAliases(toFile);
    writeStatementPermissions(toFile);
}

// The logins that act as this user (sp_addalias), added only when not aliased yet.
void TSectionWriter::writeAliases(bool toFile)
{
    QStringList statements;
    for (const QString& login : m_info.GetAliasLogins(ObjName)) {
        const QString add = QStringLiteral("EXECUTE sp_addalias ") + singleQuoted(login) +
                            QStringLiteral(", ") + singleQuoted(ObjName);
        if (m_options.AddDrop) {
            statements << QStringLiteral("IF NOT EXISTS(SELECT * FROM ") + DbPrefix +
                              QStringLiteral("dbo.sysalternates WHERE suid = suser_id(") +
                              singleQuoted(login) + "))"
                       << QStringLiteral("  ") + add;
        } else {
            statements << add;
        }
    }
    appendBatch(statements, toFile);
}

void TSectionWriter::WriteGroupSection(bool toFile)
{
    if (isBuiltInPrincipal(ObjName)) {
        writeNote(ObjName + QStringLiteral(": built-in group, not scripted"), toFile);
        return writeStatementPermissions(toFile);
    }
    writeCreateWhenMissing(QStringLiteral("group"), QStringLiteral("sysusers"),
                           QStringLiteral("EXECUTE sp_addgroup ") + procedureArgument(ObjName),
                           toFile);
    writeStatementPermissions(toFile);
}

// GRANT CREATE TABLE ... for a user or group, with the grants option.
void TSectionWriter::writeStatementPermissions(bool toFile)
{
    if (!m_options.PrivilegeScript)
        return;
    QStringList unknown;
    appendBatch(m_info.GetStatementPermissionScript(ObjName, unknown), toFile);
    for (const QString& code : unknown) {
        m_state.Unscripted << m_info.SelectDb() + QStringLiteral(": statement permission ") + code +
                                  QStringLiteral(" of ") + ObjName +
                                  QStringLiteral(": no statement is known for it");
    }
}

void TSectionWriter::WriteDatatypeSection(bool toFile)
{
    const QString script = m_info.GetTypeScript(ObjName);
    if (script == DataNotAvailable)
        return writeUnscripted(QStringLiteral("datatype"), QStringLiteral("not found"), toFile);
    const QList<TCTColumnBinding> bindings = m_info.GetTypeBindings(ObjName);
    for (const TCTColumnBinding& binding : bindings) {
        if (!binding.IsRule)
            writeDefaultObject(binding.Object, toFile);
    }
    writeCreateWhenMissing(QStringLiteral("datatype"), QStringLiteral("systypes"), script, toFile);
    QStringList binds;
    for (const TCTColumnBinding& binding : bindings) {
        binds << QStringLiteral("EXECUTE ") +
                     (binding.IsRule ? QStringLiteral("sp_bindrule ")
                                     : QStringLiteral("sp_bindefault ")) +
                     singleQuoted(binding.Object) + QStringLiteral(", ") + singleQuoted(ObjName);
    }
    appendBatch(binds, toFile);
    flushSection(toFile);
}

// An index caption is "table.index", and either name may hold dots of its own: the split
// is the first, from the left, that names an index of the database. Indexes written with
// their table know both names already.
void TSectionWriter::resolveIndexCaption()
{
    const QString caption = ObjQualifier + QLatin1Char('.') + ObjName;
    for (int dot = caption.indexOf(QLatin1Char('.')); dot >= 0;
         dot = caption.indexOf(QLatin1Char('.'), dot + 1)) {
        const QString table = caption.left(dot);
        const QString index = caption.mid(dot + 1);
        if (m_info.GetIndexInfo(index, table, m_info.GetObjectOwnerOrDbo(table))) {
            ObjQualifier = table;
            ObjName = index;
            return;
        }
    }
}

void TSectionWriter::WriteIndexSection(bool toFile)
{
    if (IndexTableOwner.isEmpty() && ObjName.contains(QLatin1Char('.')))
        resolveIndexCaption();
    const QString table = ObjQualifier;
    if (alreadyWritten(QStringLiteral("I"), table, ObjName))
        return;
    // The listing shows the indexes of system tables and the text storage rows of
    // tables; the server refuses to drop or create either.
    // Indexes are made by their table's owner.
    const QString owner =
        IndexTableOwner.isEmpty() ? m_info.GetObjectOwnerOrDbo(table) : IndexTableOwner;
    const std::optional<TCTIndex> index = m_info.GetIndexInfo(ObjName, table, owner);
    if (index) {
        if (index->IndId == textChainIndexId)
            return writeNote(table + QLatin1Char('.') + ObjName +
                                 QStringLiteral(": text and image storage, not scripted"),
                             toFile);
        if (index->Id > 0 && index->Id < firstUserObjectId)
            return writeNote(table + QLatin1Char('.') + ObjName +
                                 QStringLiteral(": index of a system table, not scripted"),
                             toFile);
    }
    const QStringList body = m_info.GetIndexScript(ObjName, table, owner);
    if (!index || body == QStringList{DataNotAvailable}) {
        const QString fault = index ? m_info.LastScriptFault() : QString();
        return writeUnscripted(QStringLiteral("index"),
                               fault.isEmpty() ? QStringLiteral("not found") : fault, toFile);
    }

    const QString ownedTable =
        isOtherOwner(owner) ? namePartInString(owner) + QLatin1Char('.') + namePartInString(table)
                            : namePartInString(table);
    const QString tableInScript = isOtherOwner(owner)
                                      ? scriptName(owner) + QLatin1Char('.') + scriptName(table)
                                      : scriptName(table);
    const bool constraint = body.first().startsWith(QLatin1String("ALTER TABLE"));
    const bool tableQuoted =
        scriptName(table) != table || (isOtherOwner(owner) && scriptName(owner) != owner);
    m_quotedNames = m_info.LastScriptQuotesNames() || tableQuoted || !isRegularIdentifier(ObjName);
    SectionLines.clear();
    SectionLines << QString() << banner(ObjName);
    beginOwner(owner);
    if (m_quotedNames)
        SectionLines << quotedIdentifiers(true);
    if (m_options.AddDrop) {
        SectionLines << guard(QStringLiteral("dbo.sysindexes WHERE name = ") +
                              nameLiteral(ObjName) + QStringLiteral(" AND id = object_id(") +
                              nameLiteral(ownedTable) + "))")
                     << (constraint ? QStringLiteral("  ALTER TABLE ") + tableInScript +
                                          QStringLiteral(" DROP CONSTRAINT ") + scriptName(ObjName)
                                    : QStringLiteral("  DROP INDEX ") + tableInScript +
                                          QLatin1Char('.') + scriptName(ObjName))
                     << QStringLiteral("GO") << QString();
    }
    SectionLines += body;
    SectionLines << QStringLiteral("GO");
    if (m_quotedNames)
        SectionLines << quotedIdentifiers(false);
    m_quotedNames = false;
    endOwner(owner);
    if (refusedForBatchEnd(QStringLiteral("index"), toFile))
        return;
    flushSection(toFile);
}

void TSectionWriter::WriteTextObjectSection(bool toFile, TTextObjectKind kind)
{
    if (refusedForMissingOwner(kindWord(kind), toFile))
        return;
    if (alreadyWritten(objectTypeCode(kind), ObjQualifier, ObjName))
        return;
    // One read of the object: its id, its type and (for procedures) its transaction mode.
    // An object dropped since it was listed (or since its table was read, for a trigger) is
    // one the script cannot re-create, not the end of the run.
    const std::optional<TCTObject> object = m_info.objectRow(objectOwner(), ObjName);
    if (!object && !m_info.isSqlAnywhere())
        return writeUnscripted(kindWord(kind), QStringLiteral("not found"), toFile);
    const TCTStoredText stored = m_info.GetStoredText(ObjName, ObjQualifier);
    if (stored.Hidden)
        return writeUnscripted(kindWord(kind), QStringLiteral("text hidden"), toFile);
    if (stored.RowMissing)
        return writeUnscripted(kindWord(kind), kMissingTextRow, toFile);
    const QString text = withoutFinalLineBreak(stored.Text);
    if (trimBlanks(text).isEmpty())
        return writeUnscripted(kindWord(kind), QStringLiteral("text not available"), toFile);
    if (kind == TTextObjectKind::View && object && object->ColumnCount == 0)
        return writeUnscripted(kindWord(kind), kNoColumns, toFile);
    // An object that names a table or view dropped since cannot be created again.
    if (!m_state.DanglingDependents.contains(m_info.SelectDb()))
        m_state.DanglingDependents.insert(m_info.SelectDb(), m_info.GetDanglingDependents());
    if (object && m_state.DanglingDependents.value(m_info.SelectDb()).contains(object->Id))
        return writeUnscripted(kindWord(kind), QStringLiteral("refers to an object dropped since"),
                               toFile);
    if (kind == TTextObjectKind::Rule) {
        // The rules folder holds the default objects of CREATE DEFAULT as well.
        const QString owner = objectOwner();
        const bool isDefault = m_info.objectId(owner, ObjName, QStringLiteral("D")).has_value();
        if (isDefault)
            m_state.WrittenDefaults.insert(m_info.SelectDb() + QLatin1Char('|') + owner +
                                           QLatin1Char('.') + ObjName);
        return writeRuleOrDefault(
            owner, ObjName, isDefault ? QStringLiteral("D") : QStringLiteral("R"), stored, toFile);
    }

    // The procedures folder holds SQL functions as well.
    const bool function = kind == TTextObjectKind::Procedure && object &&
                          trimBlanks(object->ObjType) == QLatin1String("SF");
    // A name that must be quoted is dropped under quoted identifiers.
    m_quotedNames = m_options.AddDrop && nameNeedsQuotes();
    beginSection(guard(QStringLiteral("dbo.sysobjects WHERE name = ") + nameLiteral(ObjName) +
                       QStringLiteral(" AND type = ") +
                       nameLiteral(function ? QStringLiteral("SF") : objectTypeCode(kind)) +
                       ownerCondition() + ")"),
                 QStringLiteral("  DROP ") +
                     (function ? QStringLiteral("FUNCTION") : dropKeyword(kind)) +
                     QLatin1Char(' ') + ownedScriptName());
    // The text is read back as it was created: under quoted identifiers when they were on.
    if (m_quotedNames && !stored.QuotedIdentifiers)
        SectionLines << quotedIdentifiers(false);
    if (!m_quotedNames && stored.QuotedIdentifiers)
        SectionLines << quotedIdentifiers(true);
    m_quotedNames = false;
    if (kind == TTextObjectKind::Procedure)
        SectionLines += splitProcedureGroup(text, ObjName);
    else
        SectionLines << text;
    SectionLines << QStringLiteral("GO");
    if (stored.QuotedIdentifiers)
        SectionLines << quotedIdentifiers(false);
    if (refusedForBatchEnd(kindWord(kind), toFile))
        return;
    toView(SectionLines, toFile);

    // The grants follow the section in the view and in the script alike.
    if (m_options.PrivilegeScript) {
        // By id: objects of the same name under other owners have privileges of their own.
        std::optional<TCTProtectList> protects;
        if (object) {
            protects = m_info.GetProtects(TProtectFilter::pfObjectId, QString::number(object->Id),
                                          TProtectAction::paNone);
        }
        if (protects) {
            warnUnknownActions(*protects, ownedName());
            appendSectionBatch(composeGrantStatements(*protects, ObjName, true), toFile);
        }
        TCTLibObjInfo::FreeProtectList(protects, true);
    }
    if (kind == TTextObjectKind::Procedure && !function && object)
        appendSectionBatch(transactionModeStatements(*object), toFile);
    if (kind == TTextObjectKind::Trigger && object && object->TriggerDisabled)
        appendSectionBatch(disableTriggerStatements(*object), toFile);
    QStringList closing;
    if (ownedByOtherUser())
        closing << QStringLiteral("SETUSER") << QStringLiteral("GO");
    toView(closing, toFile);
    m_scriptLines += SectionLines + closing;
    SectionLines.clear();
}

// A procedure is created for the mode of the session that creates it; one set to run in
// chained mode only or in either mode gets that mode back (clients that run chained, as
// JDBC clients do, cannot call an unchained one).
QStringList TSectionWriter::transactionModeStatements(const TCTObject& procedure) const
{
    const char* mode = hasStatus(procedure, osAnyMode)       ? "anymode"
                       : hasStatus(procedure, osChainedOnly) ? "chained"
                                                             : nullptr;
    if (!mode)
        return {};
    return {QStringLiteral("EXEC sp_procxmode ") + singleQuoted(ObjName) + QStringLiteral(", '") +
            QLatin1String(mode) + QLatin1Char('\'')};
}

// A trigger is created enabled; one that was disabled is disabled again. Its deltrig
// names its table, which has the trigger's owner.
QStringList TSectionWriter::disableTriggerStatements(const TCTObject& trigger) const
{
    const QString table = ownedByOtherUser() ? scriptName(ObjQualifier) + QLatin1Char('.') +
                                                   scriptName(trigger.DelTrigName)
                                             : scriptName(trigger.DelTrigName);
    return {QStringLiteral("ALTER TABLE ") + table + QStringLiteral(" DISABLE TRIGGER ") +
            scriptName(ObjName)};
}

// Statements that name something whose name holds a line that reads as GO are left out
// and reported.
bool TSectionWriter::refusedBatch(const QStringList& statements)
{
    if (!holdsBatchEnd(statements))
        return false;
    m_state.Unscripted << m_info.SelectDb() + QStringLiteral(": statements for ") +
                              printable(ObjName) + QStringLiteral(": a name in them holds ") +
                              kBatchBreakLine;
    return true;
}

// An empty line, the statements and "GO", into the section.
void TSectionWriter::appendBatch(const QStringList& statements, bool toFile)
{
    if (statements.isEmpty() || refusedBatch(statements))
        return;
    QStringList batch;
    batch << QString() << statements << QStringLiteral("GO");
    toView(batch, toFile);
    m_scriptLines += batch;
}

// A privilege the server has and this program does not know is named, never dropped
// without a word.
void TSectionWriter::warnUnknownActions(const TCTProtectList& protects, const QString& object)
{
    for (const TCTProtect& row : protects) {
        if (row.Action == TProtectAction::paNone) {
            m_state.Warnings << QStringLiteral(
                                    "%1: privilege action %2 on %3 for %4 is not known; "
                                    "not scripted")
                                    .arg(m_info.SelectDb())
                                    .arg(row.ActionCode)
                                    .arg(object, row.UserName);
        }
    }
}

// An empty line, the statements and "GO", into the view and the section.
void TSectionWriter::appendSectionBatch(const QStringList& statements, bool toFile)
{
    if (statements.isEmpty() || refusedBatch(statements))
        return;
    QStringList batch;
    batch << QString() << withQuotedIdentifiersWhenNeeded(statements) << QStringLiteral("GO");
    toView(batch, toFile);
    SectionLines += batch;
}

void TSectionWriter::writeTriggersOf(const QString& table, const QString& owner, bool toFile)
{
    const std::optional<TCTObject> object = m_info.GetObjectInfo(table, false, false, owner);
    if (!object)
        return;
    // One trigger may serve several actions; it is created once.
    QStringList written;
    for (const QString& trigger : {object->InsTrigName, object->DelTrigName, object->UpdTrigName}) {
        if (trigger.trimmed().isEmpty() || written.contains(trigger.trimmed()))
            continue;
        written << trigger.trimmed();
        ObjName = trigger.trimmed();
        ObjQualifier = owner;
        if (!refusedForLineBreak(QStringLiteral("trigger"), toFile))
            WriteTextObjectSection(toFile, TTextObjectKind::Trigger);
    }
}

void TSectionWriter::writeIndexesOf(const QString& table, const QString& owner, bool toFile)
{
    const QStringList indexes = m_info.GetIndexNames(table, owner);
    for (const QString& index : indexes) {
        ObjName = index;
        ObjQualifier = table;
        IndexTableOwner = owner;
        if (!refusedForLineBreak(QStringLiteral("index"), toFile))
            WriteIndexSection(toFile);
    }
    IndexTableOwner.clear();
}

void TSectionWriter::WriteTableSection(bool toFile)
{
    const QString table = ObjName;
    if (refusedForMissingOwner(QStringLiteral("table"), toFile))
        return;
    const QString owner = ObjQualifier.isEmpty() ? m_info.GetObjectOwnerOrDbo(table) : ObjQualifier;
    ObjQualifier = owner;
    if (alreadyWritten(QStringLiteral("U"), owner, table))
        return;
    const std::optional<int> id = m_info.objectId(owner, table, QStringLiteral("U"));
    const QStringList body = m_info.GetTableScript(table, owner);
    if (!id || body == QStringList{DataNotAvailable}) {
        const QString fault = m_info.LastScriptFault();
        return writeUnscripted(QStringLiteral("table"),
                               fault.isEmpty() ? QStringLiteral("not found") : fault, toFile);
    }
    m_quotedNames = m_info.LastScriptQuotesNames();

    const QList<TCTColumnBinding> bindings = m_info.GetColumnBindings(*id);
    for (const TCTColumnBinding& binding : bindings) {
        if (!binding.IsRule)
            writeDefaultObject(binding.Object, toFile);
    }

    // Other tables' foreign keys to this one go first, or the server refuses the drop.
    QString guardLines;
    for (const TCTReference& reference : m_info.GetReferencingForeignKeys(*id)) {
        guardLines += QStringLiteral("IF EXISTS(SELECT * FROM ") + DbPrefix +
                      QStringLiteral("dbo.sysobjects WHERE name = ") + nameLiteral(reference.Name) +
                      QStringLiteral(" AND type = ") + nameLiteral(QStringLiteral("RI")) +
                      QStringLiteral(")\n  ALTER TABLE ") + reference.Table +
                      QStringLiteral(" DROP CONSTRAINT ") + scriptName(reference.Name) +
                      QLatin1Char('\n');
    }
    beginSection(guardLines + guard(QStringLiteral("dbo.sysobjects WHERE name = ") +
                                    nameLiteral(table) + QStringLiteral(" AND type = ") +
                                    nameLiteral(QStringLiteral("U")) + ownerCondition() + ")"),
                 QStringLiteral("  DROP TABLE ") + ownedScriptName());
    // The table's primary key and unique constraints are written with it, not again
    // as indexes.
    for (const TCTConstraint& key : m_info.GetTableConstraints(*id)) {
        if (!key.IndexName.isEmpty())
            alreadyWritten(QStringLiteral("I"), table, key.IndexName);
    }
    SectionLines += body;
    SectionLines << QStringLiteral("GO");
    QStringList binds;
    for (const TCTColumnBinding& binding : bindings) {
        binds << QStringLiteral("EXECUTE ") +
                     (binding.IsRule ? QStringLiteral("sp_bindrule ")
                                     : QStringLiteral("sp_bindefault ")) +
                     singleQuoted(binding.Object) + QStringLiteral(", ") +
                     singleQuoted(table + QLatin1Char('.') + binding.Column);
    }
    if (!binds.isEmpty())
        SectionLines << QString() << binds << QStringLiteral("GO");
    if (m_quotedNames)
        SectionLines << quotedIdentifiers(false);
    m_quotedNames = false;
    endOwner(owner);
    if (refusedForBatchEnd(QStringLiteral("table"), toFile))
        return;
    flushSection(toFile);

    // Foreign keys wait until every table of the script exists.
    for (const TCTConstraint& key : m_info.GetForeignKeys(*id)) {
        QStringList lines{QString()};
        if (m_options.AddDrop) {
            lines << QStringLiteral("IF NOT EXISTS(SELECT * FROM ") + DbPrefix +
                         QStringLiteral("dbo.sysobjects WHERE name = ") + singleQuoted(key.Name) +
                         QStringLiteral(" AND type = 'RI')");
        }
        lines << QStringLiteral("  ALTER TABLE ") + ownedScriptName() + QStringLiteral(" ADD ") +
                     constraintClause(key)
              << QStringLiteral("GO");
        if (holdsBatchEnd(lines)) {
            m_state.Unscripted << m_info.SelectDb() + QStringLiteral(": foreign key ") +
                                      printable(key.Name) +
                                      QStringLiteral(": a name in it holds ") + kBatchBreakLine;
            continue;
        }
        m_state.PendingForeignKeys += lines;
    }

    if (m_options.TriggerScript)
        writeTriggersOf(table, owner, toFile);
    if (m_options.IndexScript)
        writeIndexesOf(table, owner, toFile);

    ObjName = table;
    ObjQualifier = owner;
    SectionLines.clear();
    if (m_options.PrivilegeScript) {
        std::optional<TCTObject> object = m_info.GetObjectInfo(table, false, true, owner);
        if (object && object->Protects) {
            warnUnknownActions(*object->Protects, ownedName());
            const QStringList grants = composeGrantStatements(*object->Protects, table, false);
            if (!grants.isEmpty()) {
                beginOwner(owner);
                appendSectionBatch(grants, toFile);
                endOwner(owner);
            }
            TCTLibObjInfo::FreeProtectList(object->Protects, true);
        }
        flushSection(toFile);
    }
}

void TSectionWriter::WritePendingForeignKeys(bool toFile)
{
    if (m_state.PendingForeignKeys.isEmpty())
        return;
    // Key and table names may need quoted identifiers; the literals take single quotes.
    SectionLines =
        QStringList{QString(), QStringLiteral("/************ foreign keys ************/")} +
        quotedIdentifiers(true);
    SectionLines += m_state.PendingForeignKeys;
    SectionLines << quotedIdentifiers(false);
    m_state.PendingForeignKeys.clear();
    flushSection(toFile);
}

void TSectionWriter::WriteSystemTablePermissions(bool toFile)
{
    // A new database is a copy of model: it starts with model's privileges on the system
    // tables they both have (master's own tables exist nowhere else).
    const QString newDatabaseTemplate = QStringLiteral("model");
    const QString database = m_info.SelectDb();
    if (!m_options.PrivilegeScript || database == newDatabaseTemplate)
        return;
    const TCTProtectList own = m_info.GetSystemTableProtects(database, newDatabaseTemplate);
    if (!m_state.NewDatabaseSystemTableProtects) {
        m_state.NewDatabaseSystemTableProtects =
            m_info.GetSystemTableProtects(newDatabaseTemplate, newDatabaseTemplate);
    }
    const TCTProtectList& carried = *m_state.NewDatabaseSystemTableProtects;
    const QStringList statements = composeSystemTableStatements(own, carried);
    ObjName = QStringLiteral("permissions on system tables");
    ObjQualifier.clear();
    if (statements.isEmpty() || refusedBatch(statements))
        return;
    const QMap<int, QString> written = differingSystemTables(own, carried);
    for (const TCTProtect& row : own) {
        if (written.contains(row.Id))
            warnUnknownActions({row}, row.ObjectName);
    }
    SectionLines = QStringList{QString(), banner(ObjName)} +
                   withQuotedIdentifiersWhenNeeded(statements) + QStringList{QStringLiteral("GO")};
    flushSection(toFile);
}

namespace {
QString sectionKindWord(ObjectKind kind)
{
    switch (kind) {
        case ObjectKind::Users:
            return QStringLiteral("user");
        case ObjectKind::Groups:
            return QStringLiteral("group");
        case ObjectKind::Tables:
            return QStringLiteral("table");
        case ObjectKind::Views:
            return QStringLiteral("view");
        case ObjectKind::Indexes:
            return QStringLiteral("index");
        case ObjectKind::Triggers:
            return QStringLiteral("trigger");
        case ObjectKind::Procedures:
            return QStringLiteral("procedure");
        case ObjectKind::Rules:
            return QStringLiteral("rule");
        default:
            break;
    }
    return QStringLiteral("datatype");
}
}  // namespace

void TSectionWriter::WriteSection(ObjectKind kind, bool toFile)
{
    if (refusedForLineBreak(sectionKindWord(kind), toFile))
        return;
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
        default:
            break;  // the server's own objects have sections of their own
    }
}
