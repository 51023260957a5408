#pragma once

#include <cstddef>
#include <cstdint>

// Runs one input through a link's reply handlers as the board's replies to the command in flight,
// read from the socket in pieces. The first byte picks the command and how many more of its kind
// wait behind it, the second the piece size; the rest is what the board sends. Needs a
// QCoreApplication. Returns false when an invariant is broken.
bool checkLinkReplies(const uint8_t *data, size_t size);
