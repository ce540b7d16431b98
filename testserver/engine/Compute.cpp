#include "engine/Compute.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "engine/Errors.h"
#include "engine/SqlRenderer.h"
#include "engine/Text.h"
#include "engine/Types.h"

namespace tdsim {

namespace {

constexpr int kNotInSelectList = 140;  // number assumed, see engine/README.md
constexpr int kByNotInOrderBy = 143;
constexpr int kNotNumeric = 409;

ComputeOp operatorOf(const std::string& function)
{
    if (function == "count")
        return ComputeOp::Count;
    if (function == "avg")
        return ComputeOp::Avg;
    if (function == "min")
        return ComputeOp::Min;
    if (function == "max")
        return ComputeOp::Max;
    return ComputeOp::Sum;
}

bool sameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && toLower(a) == toLower(b);
}

// The 1-based select-list column an expression of a COMPUTE or ORDER BY clause names:
// a result column of that name (an alias or a column), a select item that is that
// column under another name, or a column number.
std::optional<int> selectListColumn(const Expr& expr, const SelectStmt& select, const ResultSet& rs)
{
    if (expr.kind == Expr::Kind::Integer) {
        int number = std::atoi(expr.text.c_str());
        if (number >= 1 && number <= static_cast<int>(rs.columns.size()))
            return number;
        return std::nullopt;
    }
    if (expr.kind != Expr::Kind::Column || expr.names.empty())
        return std::nullopt;
    const std::string& name = expr.names.back();
    for (size_t i = 0; i < rs.columns.size(); ++i) {
        if (sameName(rs.columns[i].name, name))
            return static_cast<int>(i + 1);
    }
    bool itemsAreColumns = std::none_of(select.items.begin(), select.items.end(),
                                        [](const SelectItem& item) { return item.star; }) &&
                           select.items.size() == rs.columns.size();
    if (!itemsAreColumns)
        return std::nullopt;
    for (size_t i = 0; i < select.items.size(); ++i) {
        const ExprPtr& item = select.items[i].expr;
        if (item && item->kind == Expr::Kind::Column && !item->names.empty() &&
            sameName(item->names.back(), name))
            return static_cast<int>(i + 1);
    }
    return std::nullopt;
}

int requireSelectListColumn(const Expr& expr, const SelectStmt& select, const ResultSet& rs)
{
    std::optional<int> column = selectListColumn(expr, select, rs);
    if (!column) {
        throw EngineError{kNotInSelectList, 16,
                          "Every item of a COMPUTE clause must be a column of the select list."};
    }
    return *column;
}

bool isNumericKind(ColumnType type)
{
    return isIntegerType(type) || isExactType(type) || type == ColumnType::Float ||
           type == ColumnType::Real;
}

// Orders two non-null values of one column type.
int compareValues(const Value& a, const Value& b, ColumnType type)
{
    auto order = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
    switch (type) {
        case ColumnType::Float:
        case ColumnType::Real:
            return order(a.floatValue, b.floatValue);
        case ColumnType::DateTime:
        case ColumnType::SmallDateTime:
            if (a.dateTime.days != b.dateTime.days)
                return order(a.dateTime.days, b.dateTime.days);
            return order(a.dateTime.ticks, b.dateTime.ticks);
        default:
            if (isStringType(type) || isBinaryType(type))
                return a.bytes.compare(b.bytes) < 0 ? -1 : (a.bytes == b.bytes ? 0 : 1);
            return order(a.intValue, b.intValue);
    }
}

bool sameValue(const Value& a, const Value& b, ColumnType type)
{
    if (a.isNull || b.isNull)
        return a.isNull == b.isNull;
    return compareValues(a, b, type) == 0 && a.bigDigits == b.bigDigits;
}

// Whole-number division rounded half away from zero, for money and scaled numerics.
int64_t roundedQuotient(int64_t sum, int64_t count)
{
    int64_t quotient = sum / count;
    int64_t remainder = sum % count;
    if (2 * std::llabs(remainder) >= count)
        quotient += sum < 0 ? -1 : 1;
    return quotient;
}

// One aggregate over the rows [begin, end) of column `operand` (0-based).
Value aggregate(const ComputeColumn& column, const ColumnInfo& source, const std::vector<Row>& rows,
                size_t begin, size_t end, size_t operand)
{
    int64_t count = 0;
    int64_t intSum = 0;
    double floatSum = 0;
    std::optional<Value> extreme;
    for (size_t r = begin; r < end; ++r) {
        const Value& v = rows[r][operand];
        if (v.isNull)
            continue;
        if (!v.bigDigits.empty() && column.op != ComputeOp::Count)
            throw EngineError{3606, 16, "Arithmetic overflow occurred."};
        ++count;
        intSum += v.intValue;
        floatSum += v.floatValue;
        if (!extreme) {
            extreme = v;
        } else {
            int order = compareValues(v, *extreme, source.type);
            if ((column.op == ComputeOp::Min && order < 0) ||
                (column.op == ComputeOp::Max && order > 0))
                extreme = v;
        }
    }
    if (column.op == ComputeOp::Count)
        return Value::ofInt(count);
    if (count == 0)
        return Value::null();
    bool isFloat = source.type == ColumnType::Float || source.type == ColumnType::Real;
    if (column.op == ComputeOp::Min || column.op == ComputeOp::Max)
        return *extreme;
    if (column.op == ComputeOp::Sum)
        return isFloat ? Value::ofFloat(floatSum) : Value::ofInt(intSum);
    if (isFloat)
        return Value::ofFloat(floatSum / static_cast<double>(count));
    if (isIntegerType(source.type))
        return Value::ofInt(intSum / count);  // integer averages truncate
    return Value::ofInt(roundedQuotient(intSum, count));
}

ComputeFormat formatOf(const ComputeClause& clause, uint16_t id, const SelectStmt& select,
                       const ResultSet& rs)
{
    ComputeFormat format;
    format.id = id;
    for (const ComputeClause::Aggregate& a : clause.aggregates) {
        ComputeColumn column;
        column.op = operatorOf(a.function);
        column.operand = requireSelectListColumn(*a.argument, select, rs);
        const ColumnInfo& source = rs.columns[static_cast<size_t>(column.operand - 1)];
        if ((column.op == ComputeOp::Sum || column.op == ComputeOp::Avg) &&
            !isNumericKind(source.type)) {
            throw EngineError{kNotNumeric, 16,
                              "The " + a.function +
                                  " aggregate operation cannot take a non-numeric datatype as "
                                  "an argument."};
        }
        column.info = aggregateType(a.function, source);
        column.info.name = a.function;
        format.columns.push_back(std::move(column));
    }
    for (size_t k = 0; k < clause.by.size(); ++k) {
        int by = requireSelectListColumn(*clause.by[k], select, rs);
        std::optional<int> ordered = k < select.orderBy.size()
                                         ? selectListColumn(*select.orderBy[k].expr, select, rs)
                                         : std::nullopt;
        if (ordered != by) {
            throw EngineError{kByNotInOrderBy, 15,
                              "A COMPUTE BY item was not found in the order by list. All "
                              "expressions in the compute by list must also be present in the "
                              "order by list."};
        }
        format.byColumns.push_back(by);
    }
    return format;
}

// Whether the group of a BY list ends after row `r`: the last row, or the next row
// differs in one of the BY columns.
bool groupEndsAfter(const ComputeFormat& format, const ResultSet& rs, size_t r)
{
    if (r + 1 == rs.rows.size())
        return true;
    for (int by : format.byColumns) {
        size_t c = static_cast<size_t>(by - 1);
        if (!sameValue(rs.rows[r][c], rs.rows[r + 1][c], rs.columns[c].type))
            return true;
    }
    return false;
}

}  // namespace

ColumnInfo aggregateType(const std::string& function, const ColumnInfo& argument)
{
    if (function == "count")
        return makeColumnInfo(ColumnType::Int, 4, false);
    if ((function == "sum" || function == "avg") && isIntegerType(argument.type))
        return makeColumnInfo(ColumnType::Int);
    ColumnInfo type = argument;
    type.nullable = true;
    return type;
}

void addComputeResults(const SelectStmt& select, ResultSet& rs)
{
    for (size_t i = 0; i < select.computes.size(); ++i) {
        rs.computeFormats.push_back(
            formatOf(select.computes[i], static_cast<uint16_t>(i + 1), select, rs));
    }
    // At the end of a group the inner (longer) BY lists close first.
    std::vector<const ComputeFormat*> closing;
    for (const ComputeFormat& f : rs.computeFormats)
        closing.push_back(&f);
    std::stable_sort(closing.begin(), closing.end(), [](const auto* a, const auto* b) {
        return a->byColumns.size() > b->byColumns.size();
    });
    std::vector<size_t> groupStart(rs.computeFormats.size() + 1, 0);
    for (size_t r = 0; r < rs.rows.size(); ++r) {
        for (const ComputeFormat* f : closing) {
            if (!groupEndsAfter(*f, rs, r))
                continue;
            ComputeRow row;
            row.id = f->id;
            row.afterRows = r + 1;
            for (const ComputeColumn& column : f->columns) {
                size_t operand = static_cast<size_t>(column.operand - 1);
                row.values.push_back(aggregate(column, rs.columns[operand], rs.rows,
                                               groupStart[f->id], r + 1, operand));
            }
            rs.computeRows.push_back(std::move(row));
            groupStart[f->id] = r + 1;
        }
    }
}

}  // namespace tdsim
