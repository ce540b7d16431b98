// The stored source text of procedures, views, triggers, defaults and rules.
#include "CTLibDatabase.h"
#include "CTLibException.h"
#include "CTLibObjInfo.h"
#include "CatalogRead.h"
#include "CatalogStatements.h"
#include "TextPieces.h"

namespace Sql = CatalogStatements;

namespace {

bool hasStoredText(const QString& type)
{
    return type == "P" || type == "V" || type == "R" || type == "D" || type == "TR" || type == "SF";
}

}  // namespace

QString TCTLibObjInfo::objectType(const QString& owner, const QString& name)
{
    QString type;
    CatalogRead read(*this, CatalogRead::Mode::Cursor, CatalogRead::Results::AsStored);
    if (owner.isEmpty())
        read.open(Sql::objectKind(m_selectDb, name));
    else
        read.open(Sql::CatalogSet::Objects, {name, owner});
    while (read.next())
        type = trimBlanks(read.text(owner.isEmpty() ? 1 : 5)).left(2);
    return type;
}

QString TCTLibObjInfo::GetObjectText(const QString& objectName, const QString& owner)
{
    return trimBlanks(GetStoredText(objectName, owner).Text);
}

TCTStoredText TCTLibObjInfo::GetStoredText(const QString& objectName, const QString& owner)
{
    const bool sqlAnywhere = isSqlAnywhere();
    const QString name = nameArgument(objectName);

    const QString type = objectType(owner, name);
    if (!hasStoredText(type)) {
        throw EDatabaseError(
            QStringLiteral("Object '%1' is not a Stored Procedure, View ,Trigger, Default or Rule")
                .arg(name));
    }

    const QString textOwner = owner.isEmpty() ? GetObjectOwner(name) : owner;
    // The pieces keep their blanks and line breaks: a row may end or begin inside a word,
    // a run of blanks or a multi-byte character, so they are joined as bytes with nothing
    // in between and decoded once.
    TCTStoredText stored;
    QByteArray text;
    TTextPieces pieces;
    CatalogRead read(*this, CatalogRead::Mode::Cursor, CatalogRead::Results::AsStored);
    if (sqlAnywhere)
        read.open(Sql::sqlAnywhereObjectText(name));
    else
        read.open(Sql::CatalogSet::Texts, {name, textOwner});
    while (read.next()) {
        text += read.bytes(1);
        if (!sqlAnywhere) {
            const int status = read.integer(2);
            stored.Hidden = stored.Hidden || (status & kTextHidden);
            stored.QuotedIdentifiers = stored.QuotedIdentifiers || (status & kTextQuotedIdentifier);
            pieces.add(read.integer(3), read.integer(4), read.integer(5));
        }
    }
    stored.RowMissing = pieces.gap();
    if (!stored.Hidden)
        stored.Text = QString::fromUtf8(text);
    return stored;
}
