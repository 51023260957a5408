#pragma once

#include <cstddef>
#include <cstdint>

// Runs one input through the model-id file reader, the configuration file tool's reading,
// checking, dumping and comparing, and the configuration report, as a file made anywhere could
// arrive. The first byte picks the file's name (a model-id file or one of the per-tab files); the
// rest is its contents. Returns false when an invariant is broken.
bool checkConfigFile(const uint8_t *data, size_t size);
