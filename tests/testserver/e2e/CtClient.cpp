#include "CtClient.h"

#include <cstring>
#include <stdexcept>

namespace tdsim::e2e {

namespace {
constexpr CS_INT kTextBuffer = 1024;

CS_RETCODE onServerMessage(CS_CONTEXT*, CS_CONNECTION*, CS_SERVERMSG* m)
{
    CtClient::serverMessages().push_back({static_cast<int>(m->msgnumber),
                                          static_cast<int>(m->severity), static_cast<int>(m->state),
                                          std::string(m->text, static_cast<size_t>(m->textlen))});
    return CS_SUCCEED;
}

CS_RETCODE onClientMessage(CS_CONTEXT*, CS_CONNECTION*, CS_CLIENTMSG* m)
{
    CtClient::clientMessages().emplace_back(m->msgstring, static_cast<size_t>(m->msgstringlen));
    return CS_SUCCEED;
}
}  // namespace

std::vector<ServerMessage>& CtClient::serverMessages()
{
    static std::vector<ServerMessage> messages;
    return messages;
}

std::vector<std::string>& CtClient::clientMessages()
{
    static std::vector<std::string> messages;
    return messages;
}

CtClient::CtClient()
{
    serverMessages().clear();
    clientMessages().clear();
    if (cs_ctx_alloc(CS_VERSION_100, &ctx_) != CS_SUCCEED ||
        ct_init(ctx_, CS_VERSION_100) != CS_SUCCEED) {
        throw std::runtime_error("cannot initialise Client-Library");
    }
    ct_callback(ctx_, nullptr, CS_SET, CS_SERVERMSG_CB,
                reinterpret_cast<CS_VOID*>(onServerMessage));
    ct_callback(ctx_, nullptr, CS_SET, CS_CLIENTMSG_CB,
                reinterpret_cast<CS_VOID*>(onClientMessage));
    if (ct_con_alloc(ctx_, &con_) != CS_SUCCEED) {
        throw std::runtime_error("ct_con_alloc failed");
    }
}

CtClient::~CtClient()
{
    if (cmd_ != nullptr) {
        ct_cancel(nullptr, cmd_, CS_CANCEL_ALL);
        ct_cmd_drop(cmd_);
    }
    if (connected_) {
        ct_close(con_, CS_UNUSED);
    }
    ct_con_drop(con_);
    ct_exit(ctx_, CS_FORCE_EXIT);
    cs_ctx_drop(ctx_);
}

CS_RETCODE CtClient::connect(const std::string& user, const std::string& password)
{
    ct_con_props(con_, CS_SET, CS_USERNAME, const_cast<char*>(user.c_str()), CS_NULLTERM, nullptr);
    ct_con_props(con_, CS_SET, CS_PASSWORD, const_cast<char*>(password.c_str()), CS_NULLTERM,
                 nullptr);
    ct_con_props(con_, CS_SET, CS_APPNAME, const_cast<char*>("e2e"), CS_NULLTERM, nullptr);
    CS_RETCODE rc = ct_connect(con_, const_cast<char*>("tdsim"), CS_NULLTERM);
    if (rc == CS_SUCCEED) {
        connected_ = true;
        ct_cmd_alloc(con_, &cmd_);
    }
    return rc;
}

CS_RETCODE CtClient::sendLanguage(const std::string& sql)
{
    CS_RETCODE rc =
        ct_command(cmd_, CS_LANG_CMD, const_cast<char*>(sql.c_str()), CS_NULLTERM, CS_UNUSED);
    return rc == CS_SUCCEED ? ct_send(cmd_) : rc;
}

std::vector<std::vector<std::string>> CtClient::fetchAll()
{
    CS_INT columns = 0;
    ct_res_info(cmd_, CS_NUMDATA, &columns, CS_UNUSED, nullptr);
    std::vector<std::vector<char>> buffers(static_cast<size_t>(columns),
                                           std::vector<char>(kTextBuffer));
    std::vector<CS_SMALLINT> indicators(static_cast<size_t>(columns));
    std::vector<CS_INT> lengths(static_cast<size_t>(columns));
    for (CS_INT i = 0; i < columns; ++i) {
        CS_DATAFMT fmt;
        std::memset(&fmt, 0, sizeof fmt);
        fmt.datatype = CS_CHAR_TYPE;
        fmt.format = CS_FMT_NULLTERM;
        fmt.maxlength = kTextBuffer;
        fmt.count = 1;
        ct_bind(cmd_, i + 1, &fmt, buffers[i].data(), &lengths[i], &indicators[i]);
    }
    std::vector<std::vector<std::string>> rows;
    CS_INT read = 0;
    while (ct_fetch(cmd_, CS_UNUSED, CS_UNUSED, CS_UNUSED, &read) == CS_SUCCEED) {
        std::vector<std::string> row;
        for (CS_INT i = 0; i < columns; ++i) {
            row.push_back(indicators[i] == -1 ? "NULL" : std::string(buffers[i].data()));
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<CS_INT> CtClient::drain(std::vector<std::vector<std::string>>* rows)
{
    std::vector<CS_INT> types;
    CS_INT type = 0;
    CS_RETCODE rc;
    while ((rc = ct_results(cmd_, &type)) == CS_SUCCEED) {
        types.push_back(type);
        if (type == CS_ROW_RESULT || type == CS_STATUS_RESULT || type == CS_PARAM_RESULT ||
            type == CS_CURSOR_RESULT || type == CS_COMPUTE_RESULT) {
            auto fetched = fetchAll();
            if (rows != nullptr) {
                rows->insert(rows->end(), fetched.begin(), fetched.end());
            }
        }
    }
    types.push_back(rc == CS_END_RESULTS ? CS_END_RESULTS : -1000 - rc);
    return types;
}

}  // namespace tdsim::e2e
