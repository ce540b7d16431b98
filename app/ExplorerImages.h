#pragma once

#include <QIcon>

// The explorer's images: 0 database, 1..9 the object kinds in folder order, 20 the check
// mark of a marked object. Drawn at run time so that no image files are needed.
namespace ExplorerImages {
constexpr int Database = 0;
constexpr int Marked = 20;

QIcon icon(int imageIndex);
}  // namespace ExplorerImages
