// Composes the GRANT (and REVOKE) statements that re-create an object's privileges.
#pragma once

#include "CTLibObjRecords.h"

#include <QStringList>

// The statements for object `objectName` from its protection rows, in catalog order.
// When every scriptable row grants to one user the result is the single line
// "GRANT SELECT,UPDATE ON items TO guest"; otherwise one statement per grantee and
// kind of row (GRANT, GRANT ... WITH GRANT OPTION, REVOKE ... FROM) and set of columns;
// a row on some columns names them after its privileges, as in
// "GRANT UPDATE (name,zip) ON customers TO john". EXECUTE is
// scriptable only for text objects (`withExecute`); rows of other actions and rows
// whose grantee no longer exists are left out. Empty when nothing is scriptable.
QStringList composeGrantStatements(const TCTProtectList& protects, const QString& objectName,
                                   bool withExecute);
