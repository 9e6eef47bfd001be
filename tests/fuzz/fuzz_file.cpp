// libFuzzer entry of one file reader, the FileFuzz function named by QUORVIN_FUZZ_ENTRY; built only by
// scripts/fuzz.sh (clang, -fsanitize=fuzzer,address).
#include "FileFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FileFuzz::QUORVIN_FUZZ_ENTRY(data, size);
    return 0;
}
