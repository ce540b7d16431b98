// Private to ctlib/ and query/: the Client-Library header plus what the installed
// FreeTDS lacks. The values are the vendor's, so code written against the vendor's
// headers keeps its meaning; FreeTDS ignores the properties it does not know.
#pragma once

#include <ctpublic.h>

#ifndef CS_NOINTERRUPT
#define CS_NOINTERRUPT 9111
#endif
#ifndef CS_ASYNC_NOTIFS
#define CS_ASYNC_NOTIFS 9145
#endif
#ifndef CS_EXTERNAL_CONFIG
#define CS_EXTERNAL_CONFIG 9155
#endif
#ifndef CS_CONFIG_FILE
#define CS_CONFIG_FILE 9156
#endif
#ifndef CS_CONFIG_BY_SERVERNAME
#define CS_CONFIG_BY_SERVERNAME 9157
#endif
#ifndef CS_OPT_LEVEL1
#define CS_OPT_LEVEL1 1
#endif
#ifndef CS_OPT_LEVEL3
#define CS_OPT_LEVEL3 3
#endif

// Debugging (ct_debug) constants.
#ifndef CS_SET_FLAG
#define CS_SET_FLAG 1700
#define CS_CLEAR_FLAG 1701
#define CS_SET_DBG_FILE 1702
#define CS_SET_PROTOCOL_FILE 1703
#endif
#ifndef CS_DBG_ALL
#define CS_DBG_ALL 0x1
#define CS_DBG_ASYNC 0x2
#define CS_DBG_ERROR 0x4
#define CS_DBG_MEM 0x8
#define CS_DBG_PROTOCOL 0x10
#define CS_DBG_PROTOCOL_STATES 0x20
#define CS_DBG_API_STATES 0x40
#define CS_DBG_DIAG 0x80
#define CS_DBG_NETWORK 0x100
#endif

// Stands in for ct_debug, which FreeTDS does not provide (see ctlib/README.md). Named
// apart so that it never clashes with a library that defines the real function.
CS_RETCODE compat_ct_debug(CS_CONTEXT* context, CS_CONNECTION* connection, CS_INT operation,
                           CS_INT flag, CS_CHAR* filename, CS_INT fnamelen);

// The FreeTDS debug flags the shim has collected from CS_SET_FLAG/CS_CLEAR_FLAG, and the
// dump file it was given; the connection writes them into the configuration it hands
// FreeTDS.
namespace ctlib_debug {
unsigned freetdsDebugFlags();
const char* dumpFile();
}  // namespace ctlib_debug
