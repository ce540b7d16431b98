// The reasons an object whose catalog rows refer to rows the catalog lacks is not
// scripted, as the reports name them.
#pragma once

#include <QString>

// A syscomments row of the object's text, or of a text of the table, is missing.
inline const QString kMissingTextRow =
    QStringLiteral("a row of its text in syscomments is missing");
// A table or view has no syscolumns row.
inline const QString kNoColumns = QStringLiteral("syscolumns holds no column of it");
