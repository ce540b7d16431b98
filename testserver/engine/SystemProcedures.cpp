#include "engine/SessionImpl.h"

namespace tdsim {

bool SessionImpl::runSystemProcedure(const std::string&, const std::vector<SqlValue>&,
                                     StatementResult&, Results&) {
    return false;
}

}  // namespace tdsim
