// libFuzzer entry: any failed invariant aborts, so the fuzzer keeps the input.
#include "configfilecheck.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (!checkConfigFile(data, size))
        std::abort();
    return 0;
}
