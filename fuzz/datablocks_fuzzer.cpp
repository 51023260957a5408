// libFuzzer entry: any failed invariant aborts, so the fuzzer keeps the input.
#include "datablockscheck.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (!checkDataBlock(data, size))
        std::abort();
    return 0;
}
