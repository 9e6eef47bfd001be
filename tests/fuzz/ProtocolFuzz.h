#pragma once

#include <cstddef>
#include <cstdint>

// Entry points shared by the libFuzzer target and the random-bytes test that CI runs. Each takes
// arbitrary bytes and checks the parser's own promises; a broken promise aborts (so the fuzzer
// reports it) through qFatal.
namespace ProtocolFuzz {
// The decoder must produce the same frames whether the bytes arrive whole or split at any point,
// and must never hand out a view outside the bytes it was given.
void frameDecoder(const uint8_t *data, size_t size);
void panelIdentity(const uint8_t *data, size_t size);
void ssdpSearch(const uint8_t *data, size_t size);
// Routes by the first byte, so one fuzzer explores all three.
void any(const uint8_t *data, size_t size);
} // namespace ProtocolFuzz
