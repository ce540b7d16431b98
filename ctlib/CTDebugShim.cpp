// ct_debug over what FreeTDS offers: the dump file through TDSDUMP (read at each
// connect until a dump is open) and the flags through the configuration file's
// "debug flags" key, which the connection writes into the file it hands FreeTDS.
#include "CTLibCompat.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {
CS_INT chosenFlags = 0;  // CS_DBG_* bits
std::string dumpFileName;

// FreeTDS's own debug bits for each Client-Library flag; CS_DBG_MEM and
// CS_DBG_ASYNC have no counterpart.
unsigned freetdsBits(CS_INT flag)
{
    switch (flag) {
        case CS_DBG_ALL:
            return 0x4fff;
        case CS_DBG_API_STATES:
        case CS_DBG_PROTOCOL_STATES:
            return 0x02;
        case CS_DBG_ERROR:
        case CS_DBG_DIAG:
            return 0x08;
        case CS_DBG_NETWORK:
        case CS_DBG_PROTOCOL:
            return 0x20;
        default:
            return 0;
    }
}
}  // namespace

CS_RETCODE compat_ct_debug(CS_CONTEXT*, CS_CONNECTION*, CS_INT operation, CS_INT flag,
                           CS_CHAR* filename, CS_INT fnamelen)
{
    switch (operation) {
        case CS_SET_DBG_FILE:
        case CS_SET_PROTOCOL_FILE: {
            if (!filename)
                return CS_FAIL;
            const size_t length = fnamelen == CS_NULLTERM ? std::strlen(filename)
                                                          : size_t(fnamelen > 0 ? fnamelen : 0);
            dumpFileName.assign(filename, length);
            ::setenv("TDSDUMP", dumpFileName.c_str(), 1);
            return CS_SUCCEED;
        }
        case CS_SET_FLAG:
            chosenFlags |= flag;
            return CS_SUCCEED;
        case CS_CLEAR_FLAG:
            chosenFlags &= ~flag;
            return CS_SUCCEED;
        default:
            return CS_FAIL;
    }
}

namespace ctlib_debug {
unsigned freetdsDebugFlags()
{
    unsigned bits = 0;
    for (CS_INT flag = 1; flag <= CS_DBG_NETWORK; flag <<= 1) {
        if (chosenFlags & flag)
            bits |= freetdsBits(flag);
    }
    return bits;
}
const char* dumpFile()
{
    return dumpFileName.c_str();
}
}  // namespace ctlib_debug
