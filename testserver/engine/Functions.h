// SQLite functions that give rendered queries the server's semantics.
#pragma once

#include "engine/Catalog.h"

namespace tdsim {

class ApplicationContexts;

void registerFunctions(Catalog& catalog, ApplicationContexts& contexts);

}  // namespace tdsim
