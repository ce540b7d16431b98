#pragma once

#include <QIcon>

// The explorer's images: 0 database, 1..15 the object kinds (the kind's number plus one),
// 20 the check mark of a marked object, 21 the server. Drawn at run time so that no image
// files are needed.
namespace ExplorerImages {
constexpr int Database = 0;
constexpr int Marked = 20;
constexpr int Server = 21;

QIcon icon(int imageIndex);
}  // namespace ExplorerImages
