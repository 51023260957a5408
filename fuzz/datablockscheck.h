#pragma once

#include <cstddef>
#include <cstdint>

// Runs one input through a configuration block's decoder and the rules the tabs fill by, and checks
// what must hold for any bytes. The first byte picks the section; the rest is its block. Returns
// false when an invariant is broken.
bool checkDataBlock(const uint8_t *data, size_t size);
