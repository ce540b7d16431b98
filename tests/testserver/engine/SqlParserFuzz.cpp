// libFuzzer target: the tokenizer and parser must turn any input into statements
// or a syntax error, never a crash or a hang.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/Parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    for (bool quotedIdentifier : {false, true}) {
        try {
            tdsim::parseBatch(text, quotedIdentifier);
        } catch (const tdsim::ParseError&) {
        } catch (const tdsim::LexError&) {
        }
    }
    return 0;
}
