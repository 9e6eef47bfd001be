// libFuzzer entry; built only by scripts/fuzz.sh (clang, -fsanitize=fuzzer,address).
#include "ProtocolFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ProtocolFuzz::any(data, size);
    return 0;
}
