#include "CommandHandler.h"

#include "Options.h"

namespace tdsim::tds {

namespace {
constexpr int32_t kProcedureNotFound = 2812;

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;
}  // namespace

CommandHandler::CommandHandler(Session& session, ServerStats& stats, std::string serverName,
                               Product product)
    : session_(session),
      results_(std::move(serverName), session.currentDatabase()),
      cursors_(session, results_, stats, product)
{
}

Reply CommandHandler::handle(const std::vector<Command>& commands)
{
    Reply reply;
    for (const Command& command : commands) {
        Reply part;
        try {
            handleOne(command, part);
        } catch (const std::exception& e) {
            part = Reply{};
            internalError(e.what(), part);
        }
        reply.append(part);
        if (loggedOut_) {
            break;
        }
    }
    if (reply.empty()) {
        reply.done(done::kFinal);  // the client waits for a DONE even for nothing
    }
    reply.chainDones();
    return reply;
}

void CommandHandler::handleOne(const Command& command, Reply& reply)
{
    std::visit(Overloaded{
                   [&](const LanguageCommand& c) { language(c, reply); },
                   [&](const CursorDeclare& c) { cursors_.declare(c, reply); },
                   [&](const CursorSetRows& c) { cursors_.setRows(c, reply); },
                   [&](const CursorOpen& c) { cursors_.open(c, reply); },
                   [&](const CursorFetch& c) { cursors_.fetch(c, reply); },
                   [&](const CursorClose& c) { cursors_.close(c, reply); },
                   [&](const DynamicCommand& c) { dynamic(c, reply); },
                   [&](const OptionCommand& c) { applyOption(c, session_.options(), reply); },
                   [&](const LogoutCommand&) {
                       reply.done(done::kFinal);
                       loggedOut_ = true;
                   },
               },
               command);
}

void CommandHandler::language(const LanguageCommand& command, Reply& reply)
{
    std::vector<StatementResult> results =
        session_.execute(command.text, engineValues(command.params));
    loggedOut_ = !results.empty() && results.back().endsConnection;
    if (results.empty()) {
        reply.done(done::kFinal);  // an empty batch still gets its DONE
        return;
    }
    results_.write(reply, results);
}

void CommandHandler::dynamic(const DynamicCommand& command, Reply& reply)
{
    switch (command.op) {
        case DynamicOp::Prepare:
            preparedStatements_[command.id] = command.statement;
            reply.dynamicAck(command.id);
            reply.done(done::kFinal);
            return;
        case DynamicOp::Deallocate:
            preparedStatements_.erase(command.id);
            reply.dynamicAck(command.id);
            reply.done(done::kFinal);
            return;
        case DynamicOp::Execute:
            break;
    }
    auto it = preparedStatements_.find(command.id);
    if (it == preparedStatements_.end()) {
        Message m;
        m.number = kProcedureNotFound;
        m.severity = 16;
        m.text = "Could not find prepared statement '" + command.id + "'.\n";
        results_.writeMessages(reply, {m});
        reply.done(done::kError);
        return;
    }
    std::vector<StatementResult> results =
        session_.execute(it->second, engineValues(command.params));
    if (results.empty()) {
        reply.done(done::kFinal);
        return;
    }
    results_.write(reply, results);
}

void CommandHandler::internalError(const std::string& what, Reply& reply)
{
    Message m;
    m.number = 0;
    m.severity = 16;
    m.text = "Internal error in tdsim: " + what + "\n";
    results_.writeMessages(reply, {m});
    reply.done(done::kError);
}

}  // namespace tdsim::tds
