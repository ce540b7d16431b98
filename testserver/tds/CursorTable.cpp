#include "CursorTable.h"

#include <algorithm>
#include <cmath>

namespace tdsim::tds {

namespace {
constexpr int32_t kCursorAlreadyDeclared = 556;
constexpr int32_t kCursorNotFound = 557;
constexpr int32_t kCursorAlreadyOpen = 558;
constexpr int32_t kCursorNotOpen = 559;

Message cursorError(int32_t number, const std::string& text)
{
    Message m;
    m.number = number;
    m.severity = 16;
    m.text = text;
    return m;
}
}  // namespace

// The engine's type for a parameter's wire type. Money keeps its four decimals and a
// scaled numeric its precision and scale; a numeric too wide for 64 bits becomes a float.
ParamValue engineValue(const Parameter& p)
{
    const Value& v = p.value;
    const bool fourBytes = p.format.maxLength() == 4;
    switch (p.format.typeCode()) {
        case wire::kMoney:
        case wire::kMoneyN:
            return {fourBytes ? ColumnType::SmallMoney : ColumnType::Money, v};
        case wire::kMoney4:
            return {ColumnType::SmallMoney, v};
        case wire::kNumeric:
        case wire::kDecimal: {
            if (p.format.scale() == 0 && v.bigDigits.empty())
                return {ColumnType::BigInt, v};
            if (v.isNull || v.bigDigits.empty())
                return {ColumnType::Numeric, v, p.format.precision(), p.format.scale()};
            double magnitude = std::stod(v.bigDigits) * (v.intValue < 0 ? -1 : 1);
            return {ColumnType::Float,
                    Value::ofFloat(magnitude / std::pow(10.0, p.format.scale()))};
        }
        case wire::kReal:
            return {ColumnType::Real, v};
        case wire::kFloat:
        case wire::kFloatN:
            return {fourBytes ? ColumnType::Real : ColumnType::Float, v};
        case wire::kDateTime4:
            return {ColumnType::SmallDateTime, v};
        case wire::kDateTime:
        case wire::kDateTimeN:
            return {fourBytes ? ColumnType::SmallDateTime : ColumnType::DateTime, v};
        case wire::kBit:
            return {ColumnType::Bit, v};
        case wire::kBigDateTimeN:
            return {ColumnType::BigDateTime, v};
        case wire::kBigTimeN:
            return {ColumnType::BigTime, v};
        case wire::kInt1:
        case wire::kInt2:
        case wire::kInt4:
        case wire::kInt8:
        case wire::kIntN:
            return {ColumnType::BigInt, v};
        case wire::kBinary:
        case wire::kVarBinary:
        case wire::kLongBinary:
        case wire::kImage:
            return {ColumnType::VarBinary, v};
        default:
            return {ColumnType::VarChar, v};
    }
}

Params engineValues(const std::vector<Parameter>& params)
{
    Params values;
    values.reserve(params.size());
    for (const auto& p : params) {
        values.push_back(engineValue(p));
    }
    return values;
}

uint16_t CursorTable::Cursor::status() const
{
    uint16_t s = curstat::kReadOnly | (isOpen ? curstat::kOpen : curstat::kDeclared);
    if (rowsPerFetch) {
        s |= curstat::kRowCount;
    }
    return s;
}

CursorTable::Cursor* CursorTable::find(const CursorRef& ref)
{
    if (ref.id != 0) {
        auto it = cursors_.find(ref.id);
        return it == cursors_.end() ? nullptr : &it->second;
    }
    for (auto& [id, cursor] : cursors_) {
        if (cursor.name == ref.name) {
            return &cursor;
        }
    }
    return nullptr;
}

void CursorTable::notFound(const CursorRef& ref, Reply& reply)
{
    std::string name = ref.id != 0 ? "#" + std::to_string(ref.id) : ref.name;
    fail(cursorError(kCursorNotFound, "The cursor '" + name + "' could not be found.\n"), reply);
}

void CursorTable::fail(const Message& message, Reply& reply)
{
    results_.writeMessages(reply, {message});
    reply.done(done::kError);
}

void CursorTable::declare(const CursorDeclare& command, Reply& reply)
{
    if (find(CursorRef{0, command.name}) != nullptr) {
        fail(cursorError(kCursorAlreadyDeclared,
                         "A cursor with the name '" + command.name + "' already exists.\n"),
             reply);
        return;
    }
    Cursor c;
    c.id = nextId_++;
    c.name = command.name;
    c.statement = command.statement;
    c.declareParams = engineValues(command.params);
    reply.curInfo(c.id, c.status(), std::nullopt);
    if (declareEndsWithDone_)
        reply.done(done::kFinal);
    cursors_.emplace(c.id, std::move(c));
}

void CursorTable::setRows(const CursorSetRows& command, Reply& reply)
{
    Cursor* c = find(command.cursor);
    if (c == nullptr) {
        notFound(command.cursor, reply);
        return;
    }
    if (command.command == 1) {
        c->rowsPerFetch = std::max(command.rows, 1);
    }
    reply.curInfo(c->id, c->status(), c->rowsPerFetch);
    if (declareEndsWithDone_)
        reply.done(done::kFinal);
}

void CursorTable::open(const CursorOpen& command, Reply& reply)
{
    Cursor* c = find(command.cursor);
    if (c == nullptr) {
        notFound(command.cursor, reply);
        return;
    }
    if (c->isOpen) {
        fail(cursorError(kCursorAlreadyOpen,
                         "Attempt to open cursor '" + c->name + "' which is already open.\n"),
             reply);
        return;
    }
    auto params = command.params.empty() ? c->declareParams : engineValues(command.params);
    std::vector<StatementResult> results = session_.execute(c->statement, params);
    const StatementResult* withRows = nullptr;
    bool failed = results.empty();
    for (const auto& r : results) {
        results_.writeMessages(reply, r.messages);
        failed = failed || r.failed;
        if (r.resultSet && withRows == nullptr) {
            withRows = &r;
        }
    }
    if (failed || withRows == nullptr) {
        // No format on failure: the client reports the open as failed.
        reply.done(done::kError);
        return;
    }
    c->isOpen = true;
    c->rows = *withRows->resultSet;
    c->columns = WireColumn::forResultSet(c->rows);
    c->position = 0;
    reply.curInfo(c->id, c->status(), c->rowsPerFetch);
    // The format goes out once, here; repeating it in a fetch reply would unbind
    // the client's buffers.
    reply.rowFormat(c->columns);
    reply.done(done::kFinal);
}

size_t CursorTable::startOf(const Cursor& c, const CursorFetch& command, size_t batch) const
{
    auto total = static_cast<int64_t>(c.rows.rows.size());
    int64_t start = static_cast<int64_t>(c.position);
    switch (command.type) {
        case FetchType::Next:
            break;
        case FetchType::Previous:
            start -= 2 * static_cast<int64_t>(batch);
            break;
        case FetchType::First:
            start = 0;
            break;
        case FetchType::Last:
            start = total - static_cast<int64_t>(batch);
            break;
        case FetchType::Absolute:
            start = command.rowNumber >= 0 ? command.rowNumber - 1 : total + command.rowNumber;
            break;
        case FetchType::Relative:
            start += command.rowNumber - static_cast<int64_t>(batch);
            break;
    }
    return static_cast<size_t>(std::clamp<int64_t>(start, 0, total));
}

void CursorTable::fetch(const CursorFetch& command, Reply& reply)
{
    Cursor* c = find(command.cursor);
    if (c == nullptr) {
        notFound(command.cursor, reply);
        return;
    }
    if (!c->isOpen) {
        fail(cursorError(kCursorNotOpen, "Attempt to use cursor '" + c->name +
                                             "' which is not open. Use the system stored "
                                             "procedure sp_cursorinfo for more information.\n"),
             reply);
        return;
    }
    ++stats_.cursorFetches;
    size_t batch = static_cast<size_t>(c->rowsPerFetch.value_or(1));
    size_t start = startOf(*c, command, batch);
    size_t end = std::min(start + batch, c->rows.rows.size());
    for (size_t i = start; i < end; ++i) {
        reply.row(c->columns, c->rows.rows[i]);
    }
    c->position = end;
    reply.done(done::kCount, static_cast<int32_t>(end - start));
}

void CursorTable::close(const CursorClose& command, Reply& reply)
{
    Cursor* c = find(command.cursor);
    if (c == nullptr) {
        notFound(command.cursor, reply);
        return;
    }
    uint32_t id = c->id;
    if (command.deallocate) {
        cursors_.erase(id);
        reply.curInfo(id, curstat::kDeallocated, std::nullopt);
    } else {
        c->isOpen = false;
        c->rows = ResultSet{};
        c->position = 0;
        reply.curInfo(id, curstat::kClosed | curstat::kDeclared | curstat::kReadOnly, std::nullopt);
    }
    reply.done(done::kFinal);
}

}  // namespace tdsim::tds
