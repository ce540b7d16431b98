// libFuzzer target: arbitrary bytes as a request message and as a login record.
// Parsing must either succeed or throw ProtocolError; commands that parse are
// then executed against the canned-statement session, as a connection would.
#include <cstddef>
#include <cstdint>

#include "FakeEngine.h"
#include "tds/CommandHandler.h"
#include "tds/Login.h"
#include "tds/Request.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace tdsim;
    tds::Bytes bytes(data, data + size);
    try {
        tds::parseLoginRecord(bytes);
    } catch (const tds::ProtocolError&) {
    }
    try {
        std::vector<tds::Command> commands = tds::parseRequest(bytes);
        testing::FakeSession session(11);
        ServerStats stats;
        tds::CommandHandler handler(session, stats, "FUZZ");
        handler.handle(commands);
        // A second round reuses cursor and statement state left by the first.
        handler.handle(commands);
    } catch (const tds::ProtocolError&) {
    }
    return 0;
}
