// The stored source text of procedures, views, triggers, defaults and rules.
#include "CTLibDatabase.h"
#include "CTLibException.h"
#include "CTLibObjInfo.h"
#include "CatalogRead.h"
#include "CatalogStatements.h"

namespace Sql = CatalogStatements;

namespace {

bool hasStoredText(const QString& type) {
    return type == "P" || type == "V" || type == "R" || type == "D" || type == "TR";
}

}  // namespace

QString TCTLibObjInfo::GetObjectText(const QString& objectName) {
    const bool sqlAnywhere = isSqlAnywhere();
    const QString name = trimBlanks(objectName);

    QString type;
    {
        CatalogRead read(*this, CatalogRead::Mode::Cursor, CatalogRead::Results::AsStored);
        read.open(Sql::objectKind(m_selectDb, name));
        while (read.next())
            type = trimBlanks(read.text(1)).left(2);
    }
    if (!hasStoredText(type)) {
        throw EDatabaseError(
            QStringLiteral("Object '%1' is not a Stored Procedure, View ,Trigger, Default or Rule")
                .arg(name));
    }

    const QString owner = GetObjectOwner(name);
    // The pieces keep their blanks and line breaks: a row may end or begin inside a word
    // or a run of blanks, and they are joined with nothing in between.
    QString text;
    CatalogRead read(*this, CatalogRead::Mode::Cursor, CatalogRead::Results::AsStored);
    read.open(Sql::objectText(m_selectDb, owner, name, sqlAnywhere));
    while (read.next())
        text += read.text(1);
    return trimBlanks(text);
}
