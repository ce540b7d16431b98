// COMPUTE clauses of a select: their formats, and the compute rows the server sends
// between the regular rows of the result.
#pragma once

#include <string>

#include "engine/Ast.h"
#include "engine/Engine.h"

namespace tdsim {

// The type of sum, avg, count, min or max over a value of type `argument`: integer
// sums and averages are int, count is a non-null int, the rest keep the argument's
// type (made nullable).
ColumnInfo aggregateType(const std::string& function, const ColumnInfo& argument);

// Fills the compute formats and rows of `rs` from the select's COMPUTE clauses; the
// rows of `rs` are in their final order. Throws EngineError for a clause the server
// refuses (an aggregate or BY item outside the select list, a BY list that does not
// start the ORDER BY list, a sum or average of a non-numeric column).
void addComputeResults(const SelectStmt& select, ResultSet& rs);

}  // namespace tdsim
