#pragma once

#include <cstddef>
#include <cstdint>

// Runs one input through the reply collector and the payload decoders and checks what must hold
// for any byte stream. The first two bytes steer the run (piece size; frame limit and feeding style); the
// rest is the stream. Returns false when an invariant is broken.
bool checkReplyStream(const uint8_t *data, size_t size);
