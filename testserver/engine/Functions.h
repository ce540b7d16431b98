// SQLite functions that give rendered queries the server's semantics.
#pragma once

#include "engine/Catalog.h"

namespace tdsim {

void registerFunctions(Catalog& catalog);

}  // namespace tdsim
